// SPDX-License-Identifier: GPL-3.0-or-later
// The input window's editable fields.
#pragma once

#include <QLineEdit>

namespace korvel {

// A text field that selects its whole text whenever it receives the focus,
// and keeps it selected after the click that gave it the focus.
class SelectAllField : public QLineEdit {
    Q_OBJECT
public:
    explicit SelectAllField(QWidget* parent) : QLineEdit(parent) {}

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The focusing click is still in progress: it must not move the caret.
    bool focusedByClick_ = false;
    bool swallowingClick_ = false;
};

}  // namespace korvel
