// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/substances.h"

#include <algorithm>

namespace korvel {

const Brand* FindBrand(std::string_view brand) {
    const auto* found =
        std::find_if(BrandTable.begin(), BrandTable.end(), [&](const Brand& b) { return b.name == brand; });
    return found == BrandTable.end() ? nullptr : found;
}

FactorRow LookupBrand(std::string_view brand) {
    FactorRow row{};
    if (const Brand* found = FindBrand(brand)) std::copy(found->factors.begin(), found->factors.end(), row.begin());
    return row;
}

}  // namespace korvel
