// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/substances.h"

namespace korvel {

FactorRow LookupBrand(std::string_view brand) {
    FactorRow row{};
    for (const Brand& entry : BrandTable) {
        if (entry.name == brand) {
            for (std::size_t i = 0; i < kSubstanceCount; ++i) row[i] = entry.factors[i];
            break;
        }
    }
    return row;
}

}  // namespace korvel
