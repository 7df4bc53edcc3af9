// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/regional.h"

#include <locale>
#include <stdexcept>

namespace korvel {

char SystemDecimalSeparator() {
    try {
        const std::locale user("");
        const char point = std::use_facet<std::numpunct<char>>(user).decimal_point();
        return point == ',' ? ',' : '.';
    } catch (const std::runtime_error&) {
        return '.';
    }
}

}  // namespace korvel
