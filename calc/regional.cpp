// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/regional.h"

#include <cstdlib>
#include <locale>
#include <stdexcept>
#include <string>

namespace korvel {

namespace {

std::string NumericLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return "C";
}

}  // namespace

char SystemDecimalSeparator() {
    try {
        // Only the numeric category: a missing locale for another one must not matter.
        const std::locale numeric(std::locale::classic(), NumericLocaleName().c_str(), std::locale::numeric);
        return std::use_facet<std::numpunct<char>>(numeric).decimal_point() == ',' ? ',' : '.';
    } catch (const std::runtime_error&) {
        return '.';
    }
}

}  // namespace korvel
