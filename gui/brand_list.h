// SPDX-License-Identifier: GPL-3.0-or-later
// The input window's pick-only brand list.
#pragma once

#include <QComboBox>

namespace korvel {

// A drop-down list that a mouse wheel passing over it leaves alone unless it
// has the focus, and whose list, opened while nothing is picked, starts on its
// first entry, so that the arrow keys and Enter go from there.
class BrandList : public QComboBox {
    Q_OBJECT
public:
    explicit BrandList(QWidget* parent);
    void showPopup() override;

protected:
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace korvel
