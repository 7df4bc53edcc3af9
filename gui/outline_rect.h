// SPDX-License-Identifier: GPL-3.0-or-later
// The input window's band frames.
#pragma once

#include <QWidget>

namespace korvel {

// A one-pixel outline in the window-text colour, no fill, no input.
class OutlineRect : public QWidget {
    Q_OBJECT
public:
    explicit OutlineRect(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvel
