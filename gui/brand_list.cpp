// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/brand_list.h"

#include <QAbstractItemView>
#include <QWheelEvent>

namespace korvel {

BrandList::BrandList(QWidget* parent) : QComboBox(parent) {
    // The wheel neither takes the focus nor, without it, changes the brand.
    setFocusPolicy(Qt::StrongFocus);
}

void BrandList::showPopup() {
    QComboBox::showPopup();
    if (currentIndex() < 0 && count() > 0) view()->setCurrentIndex(model()->index(0, modelColumn(), rootModelIndex()));
}

void BrandList::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

}  // namespace korvel
