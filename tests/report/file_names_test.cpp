// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/file_names.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(ReportFileName, KeepsLettersAndMakesTheRestSafe) {
    const struct {
        std::size_t row, width;
        std::string source, name;
    } cases[] = {
        {1, 4, "Сварочный пост №1", "0001-Сварочный_пост_№1.htm"},
        {12, 4, "../../etc/passwd", "0012-etc_passwd.htm"},
        {3, 4, "a/b\\c:d*e?f\"g<h>i|j;k", "0003-a_b_c_d_e_f_g_h_i_j_k.htm"},
        {4, 4, "line\r\nbreak\ttab", "0004-line_break_tab.htm"},
        {5, 4, "  ...  ", "0005.htm"},
        {6, 4, "", "0006.htm"},
        {7, 4, "Пост (2), цех-1+", "0007-Пост_(2),_цех-1+.htm"},
        {123456, 6, "x", "123456-x.htm"},
        {42, 6, "x", "000042-x.htm"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReportFileName(c.row, c.width, c.source), c.name) << c.source;
}

TEST(ReportFileName, CutsLongNamesOnACharacterBoundary) {
    std::string longName = "x";
    for (int i = 0; i < 100; ++i) longName += "Ж";  // two bytes each
    const std::string stem = SafeFileStem(longName, 100);
    EXPECT_EQ(stem.size(), 99u);
    EXPECT_EQ(stem, longName.substr(0, 99));
}

TEST(RowNumberWidth, FitsTheLargestRowNumber) {
    EXPECT_EQ(RowNumberWidth(0), 4u);
    EXPECT_EQ(RowNumberWidth(9999), 4u);
    EXPECT_EQ(RowNumberWidth(10000), 5u);
    EXPECT_EQ(RowNumberWidth(100000), 6u);
}

}  // namespace
}  // namespace korvel
