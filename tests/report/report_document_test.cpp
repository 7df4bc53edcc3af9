#include "report/report_document.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "report/windows1251.h"
#include "support/fake_window.h"

namespace korvel {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Golden(const std::string& name) { return ReadBytes(std::string(KORVEL_GOLDEN_DIR) + "/" + name); }

// The report of one run through the real calculation, from the input
// window's defaults with the given changes.
struct RunSetup {
    std::string brand = "УОНИ 13/45";
    int check = 0;
    std::vector<std::pair<Control, std::string>> texts;
};

std::string ReportOf(const RunSetup& setup, char separator = ',') {
    testing::FakeWindow window;
    window.check = setup.check;
    window.SetText(Control::Combo1, setup.brand);
    for (const auto& [control, text] : setup.texts) window.SetText(control, text);
    const Calculation calc = Calculate(window, window, separator);
    return BuildReport(calc.inputs, calc.results, separator);
}

std::vector<std::string> Lines(const std::string& report) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(report.substr(start, end - start));
    }
    EXPECT_EQ(start, report.size()) << "text after the last line end";
    return lines;
}

// The lines between two marker lines, exclusive.
std::vector<std::string> Section(const std::vector<std::string>& lines, std::string_view from, std::string_view to) {
    auto first = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(from); });
    auto last = std::find_if(first, lines.end(), [&](const std::string& l) { return l.starts_with(to); });
    EXPECT_NE(first, lines.end()) << from;
    EXPECT_NE(last, lines.end()) << to;
    return first == lines.end() ? std::vector<std::string>{} : std::vector<std::string>(std::next(first), last);
}

long Count(const std::vector<std::string>& lines, std::string_view prefix) {
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); });
}

const std::string kOneOffStart = ToWindows1251("<P align=LEFT><I><B>1.");
const std::string kGrossStart = ToWindows1251("<P align=LEFT><I><B>2.");
const std::string kTotalsStart = ToWindows1251("<TD>Валовый выброс, т/год</tr>");

TEST(BuildReport, WorkedExampleMatchesTheGoldenFilesByteForByte) {
    const struct {
        int check;
        char separator;
        const char* file;
    } cases[] = {{0, ',', "worked_daily_comma.htm"},
                 {0, '.', "worked_daily_stop.htm"},
                 {1, ',', "worked_per_year_comma.htm"},
                 {1, '.', "worked_per_year_stop.htm"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        RunSetup setup;
        setup.check = c.check;
        if (c.separator == '.') setup.texts = {{Control::Text8, "502"}};
        const std::string report = ReportOf(setup, c.separator);
        const std::string golden = Golden(c.file);
        ASSERT_FALSE(golden.empty());
        // Byte for byte; on a mismatch, name the first differing line rather
        // than dumping both documents.
        EXPECT_TRUE(report == golden) << "sizes " << report.size() << " and " << golden.size();
        const auto got = Lines(report), want = Lines(golden);
        for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i) {
            if (got[i] != want[i]) {
                ADD_FAILURE() << "line " << i + 1 << "\n got: " << got[i] << "\nwant: " << want[i];
                break;
            }
        }
    }
}

TEST(BuildReport, SubstanceEntriesFollowTheirOwnValue) {
    const struct {
        const char* name;
        RunSetup setup;
        long factorRows, oneOffEntries, grossEntries, totalsRows;
        long closingsWithoutBlank;  // "<br></p>" lines: manganese's G entry only
    } cases[] = {
        {"АНО - 7", {"АНО - 7", 0, {}}, 7, 7, 7, 7, 1},
        // No brand: every G and M is 0; headings, formulas and legends stay.
        {"no brand", {"", 0, {}}, 0, 0, 0, 0, 0},
        {"no brand per year", {"", 1, {}}, 0, 0, 0, 0, 0},
        // No yearly consumption: nothing to report for any substance.
        {"consumption 0", {"УОНИ 13/45", 0, {{Control::Text1, "0"}}}, 0, 0, 0, 0, 0},
        // Manganese 0 in this brand: it and 0203 are absent everywhere.
        {"Т - 590", {"Т - 590", 0, {}}, 2, 2, 2, 2, 0},
        // A year of 500000 hours with 1 kg: only 0123 and 0337 keep a G that
        // survives rounding to eight decimals; every M stays.
        {"G rounds to 0", {"УОНИ 13/45", 1, {{Control::Text1, "1"}, {Control::Text8, "500000"}}}, 7, 2, 7, 7, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto lines = Lines(ReportOf(c.setup));
        const auto factors = Section(lines, "</tr>", "</TABLE>");
        const auto oneOff = Section(lines, kOneOffStart, kGrossStart);
        const auto gross = Section(lines, kGrossStart, "<TR><TD>");
        const auto totals = Section(lines, kTotalsStart, "</TABLE>");
        EXPECT_EQ(Count(factors, "<TR><TD>"), c.factorRows);
        EXPECT_EQ(static_cast<long>(factors.size()), c.factorRows);
        EXPECT_EQ(Count(oneOff, "G = "), c.oneOffEntries);
        EXPECT_EQ(Count(gross, "M = "), c.grossEntries);
        EXPECT_EQ(Count(totals, "<TR><TD>"), c.totalsRows);
        EXPECT_EQ(static_cast<long>(totals.size()), c.totalsRows);
        // Every entry is three lines; the legends are always there.
        EXPECT_EQ(oneOff.size(), 1 + (c.setup.check ? 4 : 3) + 3 * static_cast<std::size_t>(c.oneOffEntries));
        EXPECT_EQ(gross.size(), 3 + 3 * static_cast<std::size_t>(c.grossEntries));
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "<br></p>"), c.closingsWithoutBlank);
        EXPECT_EQ(std::count(oneOff.begin(), oneOff.end(), "<br></p> "), c.oneOffEntries - c.closingsWithoutBlank);
    }
}

TEST(BuildReport, AGThatRoundsToZeroKeepsItsTotalsRowWithZero) {
    const std::string report = ReportOf({"УОНИ 13/45", 1, {{Control::Text1, "1"}, {Control::Text8, "500000"}}});
    EXPECT_THAT(report, HasSubstr(ToWindows1251("<TR><TD>0143<TD>Марганец и его соединения<TD> 0 <TD> 9,2E-07 \r\n")));
    EXPECT_THAT(report, HasSubstr(ToWindows1251("<TR><TD>0337<TD>Углерода оксид<TD> 1E-08 <TD> 1,33E-05 \r\n")));
    EXPECT_THAT(report, HasSubstr("G =  13,3  \xF5  1  / 1800000000 =  1E-08 <br>\r\n"));
}

TEST(BuildReport, InputSummaryWritesTheRunsTextsAsTheyAre) {
    const struct {
        const char* name;
        RunSetup setup;
        std::vector<std::string> present, absent;
    } cases[] = {
        {"no brand, empty source name",
         {"", 0, {{Control::Text7, ""}}},
         {"\xC8\xF1\xF2\xEE\xF7\xED\xE8\xEA \xE2\xFB\xE1\xF0\xEE\xF1\xE0  -  </b></P>\r\n",  // "Источник выброса  -  "
          ToWindows1251("<P align=LEFT>Расход электродов марки  составляет - 330 кг. в год.<br>\r\n"),
          ToWindows1251(" марки , г/кг (таблица 3.6.1 методики)</P>\r\n")},
         {}},
        {"consumption 0",
         {"УОНИ 13/45", 0, {{Control::Text1, "0"}}},
         {ToWindows1251("марки УОНИ 13/45 составляет - 0 кг. в год.<br>\r\n"),
          ToWindows1251("Расход электродов в день составляет - 0кг.  / 365раб.дн в год =  0  кг.</p>\r\n")},
         {}},
        // The yearly hours are written as typed, blanks included.
        {"per year",
         {"УОНИ 13/45", 1, {{Control::Text8, " 502 "}}},
         {ToWindows1251("Участок работает  502  часов в год или 1807200 сек.<br>\r\n")},
         {ToWindows1251("Время непрерывной"), ToWindows1251("дн. в год"), ToWindows1251("за день, кг")}},
        {"daily",
         {"УОНИ 13/45", 0, {{Control::Text2, "2.5"}, {Control::Text3, "1 0"}}},
         {ToWindows1251("сварки составляет - 2,5 час.10 мин. или 9600 сек.<br>\r\n")},
         {ToWindows1251("часов в год"), ToWindows1251("В данном расчете")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string report = ReportOf(c.setup);
        for (const auto& text : c.present) EXPECT_THAT(report, HasSubstr(text));
        for (const auto& text : c.absent) EXPECT_THAT(report, Not(HasSubstr(text)));
    }
}

TEST(BuildReport, SourceNameGoesInUnescapedWithUnmappableCharactersReplaced) {
    // "<", "&" and quotes stay as typed even where they break the markup;
    // € and № exist in Windows-1251, Ü, 漢 and the emoji do not.
    const std::string report = ReportOf({"УОНИ 13/45", 0, {{Control::Text7, "<a href=\"x\">Цех & 'B' №5 € Ü漢😀</a>"}}});
    EXPECT_THAT(report, HasSubstr("\xE2\xFB\xE1\xF0\xEE\xF1\xE0  -  <a href=\"x\">\xD6\xE5\xF5 & 'B' \xB9"
                                  "5 \x88 ?"
                                  "?"
                                  "?</a></b></P>\r\n"));
}

TEST(BuildReport, FileStructure) {
    for (int check : {0, 1}) {
        const std::string report = ReportOf({"АНО - 7", check, {}});
        // No byte-order mark, no charset declaration, one byte per character.
        EXPECT_TRUE(report.starts_with("<HTML>\r\n<HEAD><TITLE>"));
        EXPECT_THAT(report, Not(HasSubstr("charset")));
        // The only line that runs on: "<TT>" and the body tag.
        EXPECT_THAT(report, HasSubstr("<TD>\r\n<TT><body bgcolor=\"#FFFFFF\"text=\"#000000\">\r\n\r\n<P "));
        EXPECT_TRUE(report.ends_with("</TT></PRE></FONT></body></HTML>\r\n</TABLE>\r\n"));
        // Every line end is CR LF.
        for (std::size_t i = 0; i < report.size(); ++i) {
            if (report[i] == '\n') {
                ASSERT_EQ(report[i - 1], '\r') << "at byte " << i;
            } else if (report[i] == '\r') {
                ASSERT_EQ(report[i + 1], '\n') << "at byte " << i;
            }
        }
    }
}

}  // namespace
}  // namespace korvel
