// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/select_all_field.h"

#include <QFocusEvent>
#include <QMouseEvent>

namespace korvel {

void SelectAllField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Coming back from another window or from a popup (the field's own context
    // menu) is no entering of the field: the caret the user placed stays.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
    selectAll();
    focusedByClick_ = event->reason() == Qt::MouseFocusReason;
}

void SelectAllField::focusOutEvent(QFocusEvent* event) {
    focusedByClick_ = swallowingClick_ = false;
    QLineEdit::focusOutEvent(event);
}

void SelectAllField::mousePressEvent(QMouseEvent* event) {
    if (focusedByClick_) {
        focusedByClick_ = false;
        swallowingClick_ = true;
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void SelectAllField::mouseMoveEvent(QMouseEvent* event) {
    if (swallowingClick_) {
        event->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void SelectAllField::mouseReleaseEvent(QMouseEvent* event) {
    if (swallowingClick_) {
        swallowingClick_ = false;
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

}  // namespace korvel
