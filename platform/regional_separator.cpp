// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/regional_separator.h"

#include <QLocale>

namespace korvel {

char RegionalDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80) return static_cast<char>(point.at(0).unicode());
    return '.';
}

}  // namespace korvel
