// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/substances.h"

#include <gtest/gtest.h>

#include <set>

namespace korvel {
namespace {

TEST(BrandLookup, MatchesOnlyTheExactBrandText) {
    const FactorRow ano7 = LookupBrand("АНО - 7");
    const double expected[] = {1.77, 8.53, 1.1, 1, 0, 0.4, 0.35, 4.5};
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        ASSERT_TRUE(ano7[i].has_value());
        EXPECT_EQ(*ano7[i], expected[i]);
    }
    for (const char* miss : {"", "АНО-1", "уони 13/45", "УОНИ 13/45 ", " УОНИ 13/45", "ANO - 1", "Т-590"}) {
        for (const auto& factor : LookupBrand(miss)) EXPECT_FALSE(factor.has_value()) << miss;
    }
    // A stored zero is a set factor, not an unset one.
    const FactorRow t590 = LookupBrand("Т - 590");
    ASSERT_TRUE(t590[0].has_value());
    EXPECT_EQ(*t590[0], 0.0);
}

TEST(BrandTable, KeepsTheFactsTheReportAndTheListRelyOn) {
    std::set<std::string_view> names;
    for (const Brand& brand : BrandTable) {
        names.insert(brand.name);
        EXPECT_GT(brand.factors[1], 0) << brand.name;  // iron oxide everywhere
        const bool chromium = brand.name == "ЭА - 981/15";
        EXPECT_EQ(brand.factors[4] != 0, chromium) << brand.name;
        const bool gases = brand.name == "УОНИ 13/45" || brand.name == "УОНИ 13/55" || brand.name == "АНО - 7";
        EXPECT_EQ(brand.factors[6] != 0 && brand.factors[7] != 0, gases) << brand.name;
        EXPECT_EQ(LookupBrand(brand.name)[0], brand.factors[0]);
    }
    EXPECT_EQ(names.size(), kBrandCount);
    EXPECT_EQ(BrandTable.front().name, "УОНИ 13/45");
    EXPECT_EQ(BrandTable.back().name, "Т - 620");
    EXPECT_EQ(BrandTable[0].factors[3], 3.4);
    EXPECT_EQ(BrandTable[1].factors[2], 1);
    EXPECT_EQ(BrandTable[1].factors[3], 0);
    const char* codes[] = {"0143", "0123", "2908", "0344", "0203", "0342", "0301", "0337"};
    for (std::size_t i = 0; i < kSubstanceCount; ++i) EXPECT_EQ(SubstanceCatalogue[i].code, codes[i]);
}

}  // namespace
}  // namespace korvel
