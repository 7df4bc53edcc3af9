// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_document.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "report/windows1251.h"
#include "support/scratch_folder.h"
#include "support/worked_example.h"

namespace korvel {
namespace {

using ::testing::HasSubstr;

std::string Golden(const std::string& name) {
    return testing::ReadBytes(std::filesystem::path(KORVEL_GOLDEN_DIR) / name);
}

// A run through the real calculation from the worked example.
struct RunSetup {
    std::string brand = "УОНИ 13/45";
    bool perYear = false;
    std::vector<std::pair<std::string RunInputs::*, std::string>> texts;
};

std::string ReportOf(const RunSetup& setup, char separator = ',') {
    RunInputs typed = testing::WorkedExample(setup.perYear);
    typed.brand = setup.brand;
    for (const auto& [field, text] : setup.texts) typed.*field = text;
    const RunOutcome outcome = Calculate(typed, separator);
    return BuildReport(outcome.inputs, outcome.results, separator);
}

std::vector<std::string> Lines(const std::string& report) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(report.substr(start, end - start));
    }
    EXPECT_EQ(start, report.size()) << "bytes after the last line end";
    return lines;
}

TEST(BuildReport, WorkedExampleMatchesTheGoldenFilesByteForByte) {
    const struct {
        bool perYear;
        char separator;
        const char* file;
    } cases[] = {{false, ',', "worked_daily_comma.htm"},
                 {false, '.', "worked_daily_stop.htm"},
                 {true, ',', "worked_per_year_comma.htm"},
                 {true, '.', "worked_per_year_stop.htm"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string report = ReportOf({"УОНИ 13/45", c.perYear, {}}, c.separator);
        const std::string golden = Golden(c.file);
        ASSERT_FALSE(golden.empty());
        EXPECT_TRUE(report == golden) << "sizes " << report.size() << " and " << golden.size();
        // Name the first differing line rather than dumping both documents.
        const auto got = Lines(report), want = Lines(golden);
        const auto diff = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
        if (diff.first != got.end() && diff.second != want.end()) {
            ADD_FAILURE() << "line " << diff.first - got.begin() + 1 << "\n got: " << *diff.first
                          << "\nwant: " << *diff.second;
        }
    }
}

TEST(BuildReport, SubstanceEntriesFollowTheirOwnValue) {
    // The worked example has seven substances with G and M; without them a
    // report keeps every heading, formula and legend.
    const std::size_t baseLines[] = {Lines(Golden("worked_daily_comma.htm")).size() - std::size_t{8 * 7},
                                     Lines(Golden("worked_per_year_comma.htm")).size() - std::size_t{8 * 7}};
    const struct {
        const char* name;
        RunSetup setup;
        long gEntries, mEntries;    // substances with G, with M not 0
        long closingsWithoutBlank;  // "<br></p>": after manganese's G only
    } cases[] = {
        {"АНО - 7", {"АНО - 7", false, {}}, 7, 7, 1},
        {"no brand", {"", false, {}}, 0, 0, 0},
        {"no brand, per year", {"", true, {}}, 0, 0, 0},
        {"consumption 0", {"УОНИ 13/45", false, {{&RunInputs::yearlyConsumption, "0"}}}, 0, 0, 0},
        // No manganese in this brand.
        {"Т - 590", {"Т - 590", false, {}}, 2, 2, 0},
        // 1 kg over 500000 hours: only 0123 and 0337 keep a G after rounding
        // to eight decimals; every M stays.
        {"G rounds to 0",
         {"УОНИ 13/45", true, {{&RunInputs::yearlyConsumption, "1"}, {&RunInputs::hoursPerYear, "500000"}}},
         2,
         7,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto lines = Lines(ReportOf(c.setup));
        auto count = [&](auto&& pred) { return std::count_if(lines.begin(), lines.end(), pred); };
        auto row = [](const std::string& l) { return l.starts_with("<TR><TD>") && l.size() > 8 && l[8] != '<'; };
        EXPECT_EQ(count([&](const std::string& l) { return row(l) && l.find("align=CENTER") != l.npos; }),
                  c.mEntries);  // factor table
        EXPECT_EQ(count([&](const std::string& l) { return row(l) && l.find("align=CENTER") == l.npos; }),
                  c.mEntries);  // totals table
        EXPECT_EQ(count([](const std::string& l) { return l.starts_with("G = "); }), c.gEntries);
        EXPECT_EQ(count([](const std::string& l) { return l.starts_with("M = "); }), c.mEntries);
        EXPECT_EQ(count([](const std::string& l) { return l == "<br></p>"; }), c.closingsWithoutBlank);
        EXPECT_EQ(count([](const std::string& l) { return l == "<br></p> "; }),
                  c.gEntries + c.mEntries - c.closingsWithoutBlank);
        EXPECT_EQ(lines.size(),
                  baseLines[c.setup.perYear ? 1 : 0] + static_cast<std::size_t>(3 * c.gEntries + 5 * c.mEntries));
    }
}

TEST(BuildReport, WritesTheRunsTextsAsTheyAre) {
    const struct {
        RunSetup setup;
        std::string line;
    } cases[] = {
        {{"", false, {{&RunInputs::sourceName, ""}}},
         ToWindows1251("<P align=center><font face= \"Times New Roman\" size=\"4\"<b>Источник выброса  -  </b></P>")},
        {{"", false, {}}, ToWindows1251("<P align=LEFT>Расход электродов марки  составляет - 330 кг. в год.<br>")},
        {{"", false, {}}, ToWindows1251(" марки , г/кг (таблица 3.6.1 методики)</P>")},
        {{"УОНИ 13/45", false, {{&RunInputs::yearlyConsumption, "0"}}},
         ToWindows1251("Расход электродов в день составляет - 0кг.  / 365раб.дн в год =  0  кг.</p>")},
        // The yearly hours exactly as typed, blanks included.
        {{"УОНИ 13/45", true, {{&RunInputs::hoursPerYear, " 502 "}}},
         ToWindows1251("Участок работает  502  часов в год или 1807200 сек.<br>")},
        // A G that rounds to 0 is still written in the totals.
        {{"УОНИ 13/45", true, {{&RunInputs::yearlyConsumption, "1"}, {&RunInputs::hoursPerYear, "500000"}}},
         ToWindows1251("<TR><TD>0143<TD>Марганец и его соединения<TD> 0 <TD> 9,2E-07 ")},
        {{"УОНИ 13/45", true, {{&RunInputs::yearlyConsumption, "1"}, {&RunInputs::hoursPerYear, "500000"}}},
         "G =  13,3  \xF5  1  / 1800000000 =  1E-08 <br>"},
        // "<", "&" and quotes stay even where they break the markup; € and №
        // exist in Windows-1251, Ü, 漢 and the emoji do not.
        {{"УОНИ 13/45", false, {{&RunInputs::sourceName, "<a href=\"x\">Цех & 'B' №5 € Ü漢😀</a>"}}},
         "\xE2\xFB\xE1\xF0\xEE\xF1\xE0  -  <a href=\"x\">\xD6\xE5\xF5 & 'B' \xB9"
         "5 \x88 ?\?\?</a></b></P>"},
    };
    for (const auto& c : cases) EXPECT_THAT(ReportOf(c.setup), HasSubstr(c.line + "\r\n"));
}

}  // namespace
}  // namespace korvel
