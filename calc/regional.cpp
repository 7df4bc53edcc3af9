// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/regional.h"

#include <locale>
#include <stdexcept>

namespace korvel {

std::string NumericLocaleName(const std::function<const char*(const char*)>& variable) {
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = variable(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return "C";
}

char DecimalSeparatorOf(const std::string& localeName) {
    try {
        // Only the numeric category: a missing locale for another one must not matter.
        const std::locale numeric(std::locale::classic(), localeName.c_str(), std::locale::numeric);
        return std::use_facet<std::numpunct<char>>(numeric).decimal_point() == ',' ? ',' : '.';
    } catch (const std::runtime_error&) {
        return '.';
    }
}

}  // namespace korvel
