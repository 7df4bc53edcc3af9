// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/csv.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(Csv, TextCellsCannotStartFormulasAndNumberCellsStayNumbers) {
    const struct {
        std::string_view text;
        char delimiter;
        std::string asText, asNumber;
    } cases[] = {
        {"Пост 1", ';', "Пост 1", "Пост 1"},
        {"=HYPERLINK(\"x\")", ';', "\"'=HYPERLINK(\"\"x\"\")\"", "\"=HYPERLINK(\"\"x\"\")\""},
        {"+7 900", ';', "'+7 900", "+7 900"},
        {"-33", ';', "'-33", "-33"},
        {"-2,5", ';', "'-2,5", "-2,5"},
        {"-2,5", ',', "\"'-2,5\"", "\"-2,5\""},
        {"@SUM(A1)", ',', "'@SUM(A1)", "@SUM(A1)"},
        {"\tcmd", ';', "'\tcmd", "\tcmd"},
        {"\rcmd", ';', "\"'\rcmd\"", "\"\rcmd\""},
        {"a=b-c", ';', "a=b-c", "a=b-c"},
        {" blank ", ';', "\" blank \"", "\" blank \""},
        {"", ';', "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text, number;
        AppendCsvText(text, c.text, c.delimiter);
        AppendCsvField(number, c.text, c.delimiter);
        EXPECT_EQ(text, c.asText);
        EXPECT_EQ(number, c.asNumber);
    }
    CsvLine line(';');
    line.Number("-1,5").Text("-1,5").Text("").Number("2");
    EXPECT_EQ(std::move(line).Finish(), "-1,5;'-1,5;;2\r\n");
}

}  // namespace
}  // namespace korvel
