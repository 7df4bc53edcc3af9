// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "calc/closing_step.h"
#include "calc/number_rules.h"
#include "support/worked_example.h"

namespace korvel {
namespace {

using Typed = std::vector<std::pair<std::string RunInputs::*, std::string>>;

struct RunCase {
    const char* name;
    bool perYear;
    Typed texts;  // over the worked example without a brand
    std::vector<std::string_view> messages;
    const char* text5;  // nullptr: not written; '#' stands for the regional separator
    const char* text6;
    int errorCode;  // 0: the run reaches its report and closing step
    int flags;
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

std::optional<std::string> Regional(const char* text, char sep) {
    if (text == nullptr) return std::nullopt;
    std::string s = text;
    for (char& c : s) {
        if (c == '#') c = sep;
    }
    return s;
}

const Typed kBrand = {{&RunInputs::brand, "УОНИ 13/45"}};

Typed With(Typed texts) {
    texts.insert(texts.begin(), {&RunInputs::brand, "УОНИ 13/45"});
    return texts;
}

RunInputs Typing(bool perYear, const Typed& texts) {
    RunInputs in = testing::WorkedExample(perYear);
    in.brand.clear();
    for (const auto& [field, text] : texts) in.*field = text;
    return in;
}

const RunCase kRunCases[] = {
    {"WorkedExample", false, kBrand, {}, "0#9", "4500", 0, 0},
    {"PerYear502", true, kBrand, {}, "330", "1807200", 0, 0},
    {"EmptyBrand", false, {}, {kBrandMissingMessage}, "0#9", "4500", 0, 1},
    {"ZeroDays", false, With({{&RunInputs::workingDays, "0"}}), {kZeroDaysMessage}, "0", "4500", 0, 1},
    {"EmptyDays", false, With({{&RunInputs::workingDays, ""}}), {kZeroDaysMessage}, "0", "4500", 0, 1},
    {"TooManyDays", false, With({{&RunInputs::workingDays, "400"}}), {kTooManyDaysMessage}, "0#82", "4500", 0, 1},
    {"Exactly365", false, With({{&RunInputs::workingDays, "365"}}), {}, "0#9", "4500", 0, 0},
    {"HalfDayOver", false, With({{&RunInputs::workingDays, "365.5"}}), {kTooManyDaysMessage}, "0#9", "4500", 0, 1},
    {"NegativeDays", false, With({{&RunInputs::workingDays, "-10"}}), {kTooFewDaysMessage}, "-33", "4500", 0, 1},
    {"CommaEndsTheNumber", false, With({{&RunInputs::yearlyConsumption, "330,5"}}), {}, "0#9", "4500", 0, 0},
    {"TwoFailures",
     false,
     {{&RunInputs::workingDays, "400"}},
     {kBrandMissingMessage, kTooManyDaysMessage},
     "0#82",
     "4500",
     0,
     2},
    {"PerYearIgnoresDays", true, With({{&RunInputs::workingDays, "0"}}), {}, "330", "1807200", 0, 0},
    {"PerYearEmptyHours", true, {{&RunInputs::hoursPerYear, ""}}, {}, nullptr, nullptr, FatalError::kTypeMismatch, 0},
    {"PerYearHoursWithUnit",
     true,
     With({{&RunInputs::hoursPerYear, "502 ч"}}),
     {},
     nullptr,
     nullptr,
     FatalError::kTypeMismatch,
     0},
    {"PerYearHoursOverflow",
     true,
     With({{&RunInputs::hoursPerYear, "1e306"}}),
     {},
     nullptr,
     nullptr,
     FatalError::kOverflow,
     0},
    {"NoWeldingTime",
     false,
     With({{&RunInputs::hours, "0"}, {&RunInputs::minutes, "0"}}),
     {},
     "0#9",
     "0",
     FatalError::kDivisionByZero,
     0},
    {"NoWeldingTimeNoBrand",
     false,
     {{&RunInputs::hours, "0"}, {&RunInputs::minutes, "0"}},
     {kBrandMissingMessage},
     "0#9",
     "0",
     FatalError::kOverflow,
     0},
    {"PerYearZeroHours", true, With({{&RunInputs::hoursPerYear, "0"}}), {}, "330", "0", FatalError::kDivisionByZero, 0},
    {"OneOffTooLarge",
     false,
     With({{&RunInputs::yearlyConsumption, "10000"},
           {&RunInputs::hours, "0"},
           {&RunInputs::minutes, "1"},
           {&RunInputs::workingDays, "1"}}),
     {},
     "10000",
     "60",
     FatalError::kOverflow,
     0},
    {"HugeConsumption",
     false,
     With({{&RunInputs::yearlyConsumption, "1e400"}}),
     {},
     nullptr,
     nullptr,
     FatalError::kOverflow,
     0},
    {"HugeConsumptionNoBrand",
     false,
     {{&RunInputs::yearlyConsumption, "1e400"}},
     {kBrandMissingMessage},
     nullptr,
     nullptr,
     FatalError::kOverflow,
     0},
    {"DailyConsumptionOutOfRange",
     false,
     With({{&RunInputs::yearlyConsumption, "21474836.48"}, {&RunInputs::workingDays, "1"}}),
     {},
     nullptr,
     nullptr,
     FatalError::kOverflow,
     0},
    // Mend: zero days give b = 0, so no welding time still fails, as 0 / 0.
    {"ZeroDaysAndNoWeldingTime",
     false,
     With({{&RunInputs::workingDays, "0"}, {&RunInputs::hours, "0"}, {&RunInputs::minutes, ""}}),
     {kZeroDaysMessage},
     "0",
     "0",
     FatalError::kOverflow,
     0},
    // Only blanks around the yearly hours are ignored; a pasted tab is no number.
    {"PerYearHoursWithTab",
     true,
     With({{&RunInputs::hoursPerYear, "502\t"}}),
     {},
     nullptr,
     nullptr,
     FatalError::kTypeMismatch,
     0},
    {"PerYearHoursInBlanks", true, With({{&RunInputs::hoursPerYear, "  502 "}}), {}, "330", "1807200", 0, 0},
    {"UnknownBrandIsNoFailure", false, {{&RunInputs::brand, "УОНИ 13/45 "}}, {}, "0#9", "4500", 0, 0},
};

class RunCases : public ::testing::TestWithParam<std::tuple<RunCase, char>> {};

TEST_P(RunCases, MessagesResultTextsAndOutcome) {
    const auto& [c, sep] = GetParam();
    const RunOutcome outcome = Calculate(Typing(c.perYear, c.texts), sep);

    EXPECT_EQ(outcome.messages, c.messages);
    EXPECT_EQ(outcome.dailyConsumptionText, Regional(c.text5, sep));
    EXPECT_EQ(outcome.weldingSecondsText, Regional(c.text6, sep));
    EXPECT_EQ(outcome.failure ? outcome.failure->Code() : 0, c.errorCode);
    EXPECT_EQ(outcome.ReportDue(), c.errorCode == 0);
    if (c.errorCode == 0) {
        EXPECT_EQ(outcome.results.FlagSum(), c.flags);
    }
    // The closing step, after the report was written and after it could not be.
    for (const bool written : {true, false}) {
        SCOPED_TRACE(written);
        const RunEnd end = CloseRun(outcome, written);
        const bool closes = written && c.errorCode == 0;
        EXPECT_EQ(end.showsReport, closes && c.flags == 0);
        EXPECT_EQ(end.markedFailed, closes && c.flags != 0);
        const std::optional<std::string> failed(kFailedRunText);
        EXPECT_EQ(end.dailyConsumption, end.markedFailed ? failed : Regional(c.text5, sep));
        EXPECT_EQ(end.weldingTime, end.markedFailed ? failed : Regional(c.text6, sep));
    }
}

INSTANTIATE_TEST_SUITE_P(Run, RunCases, ::testing::Combine(::testing::ValuesIn(kRunCases), ::testing::Values(',', '.')),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == ',' ? "Comma" : "FullStop");
                         });

RunOutcome CalculateWith(bool perYear, const Typed& texts, char sep = ',') {
    return Calculate(Typing(perYear, texts), sep);
}

TEST(Run, WorkedExampleGivesTheTabulatedEmissions) {
    for (char sep : {',', '.'}) {
        const RunOutcome calc = CalculateWith(false, kBrand, sep);
        EXPECT_EQ(calc.inputs.yearlyConsumption, "330");
        EXPECT_EQ(calc.inputs.hours, "1");
        EXPECT_EQ(calc.inputs.minutes, "15");
        EXPECT_EQ(calc.inputs.workingDays, "365");
        EXPECT_EQ(calc.inputs.sourceName, "__________");
        EXPECT_EQ(calc.results.dailyConsumption, 0.9);
        EXPECT_EQ(calc.results.weldingSeconds, "4500");
        const double g[] = {0.000184, 0.002138, 0.00028, 0.00068, 0, 0.00015, 0.0003, 0.00266};
        const double m[] = {0.0003036, 0.0035277, 0.000462, 0.001122, 0, 0.0002475, 0.000495, 0.004389};
        for (std::size_t i = 0; i < kSubstanceCount; ++i) {
            EXPECT_EQ(calc.results.maxEmission[i], g[i]) << i;
            EXPECT_EQ(NumberText(calc.results.grossEmission[i], ','), NumberText(m[i], ',')) << i;
        }
        // Each product rounded on its own: M of 0123 and 2908 lie one and two
        // units in the last place below the double nearest the decimal value.
        EXPECT_EQ(calc.results.grossEmission[0], 0.0003036);
        EXPECT_EQ(calc.results.grossEmission[1], std::nextafter(0.0035277, 0.0));
        EXPECT_EQ(calc.results.grossEmission[2], std::nextafter(std::nextafter(0.000462, 0.0), 0.0));
    }
}

TEST(Run, PerYearModeSpreadsTheGrossEmissionOverTheWorkingTime) {
    const RunOutcome calc = CalculateWith(true, kBrand);
    EXPECT_TRUE(calc.inputs.perYearMode);
    EXPECT_EQ(calc.inputs.hoursPerYear, "502");
    EXPECT_EQ(calc.inputs.hours, "1");
    EXPECT_EQ(calc.inputs.minutes, "1");
    EXPECT_EQ(calc.inputs.workingDays, "1");
    EXPECT_EQ(calc.results.dailyConsumption, 330);
    EXPECT_EQ(calc.results.maxEmission[0], 0.00016799);
    // Text8 is read with the regional separator and kept as typed.
    const RunOutcome fraction = CalculateWith(true, With({{&RunInputs::hoursPerYear, " 0,5 "}}));
    EXPECT_EQ(fraction.inputs.hoursPerYear, " 0,5 ");
    EXPECT_EQ(fraction.results.weldingSeconds, "1800");
    const Typed fullStop = With({{&RunInputs::hoursPerYear, "502.5"}});
    EXPECT_EQ(CalculateWith(true, fullStop, ',').failure->Code(), FatalError::kTypeMismatch);
    EXPECT_EQ(CalculateWith(true, fullStop, '.').results.weldingSeconds, "1809000");
}

TEST(Run, DailyConsumptionRoundsHalfwayToEven) {
    const struct {
        const char* consumption;
        double daily;
    } cases[] = {{"0.025", 0.02}, {"0.015", 0.02}, {"0.035", 0.04}, {"330.00", 330}, {"1 000.5", 1000.5}};
    for (const auto& c : cases) {
        EXPECT_EQ(CalculateWith(true, With({{&RunInputs::yearlyConsumption, c.consumption}})).results.dailyConsumption,
                  c.daily)
            << c.consumption;
    }
}

TEST(Run, ResultsFollowTheBrandAndTheDays) {
    const RunOutcome t590 = CalculateWith(false, {{&RunInputs::brand, "Т - 590"}});
    EXPECT_EQ(t590.results.maxEmission[0], 0.0);
    EXPECT_EQ(t590.results.grossEmission[0], 0.0);
    EXPECT_GT(t590.results.maxEmission[1], 0.0);

    const RunOutcome none = CalculateWith(false, {});
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        EXPECT_FALSE(none.results.factors[i].has_value());
        EXPECT_EQ(none.results.maxEmission[i], 0.0);
        EXPECT_EQ(none.results.grossEmission[i], 0.0);
    }

    const RunOutcome negative = CalculateWith(false, With({{&RunInputs::workingDays, "-10"}}));
    const RunOutcome normal = CalculateWith(false, kBrand);
    EXPECT_EQ(negative.results.dailyConsumption, -33);
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        EXPECT_EQ(negative.results.grossEmission[i], normal.results.grossEmission[i]);
        if (normal.results.maxEmission[i] != 0) {
            EXPECT_LT(negative.results.maxEmission[i], 0) << i;
        }
    }
    EXPECT_EQ(CalculateWith(false, With({{&RunInputs::workingDays, "365.5"}}), ',').inputs.workingDays, "365,5");
    EXPECT_EQ(CalculateWith(false, With({{&RunInputs::workingDays, "365.5"}}), '.').inputs.workingDays, "365.5");
}

TEST(Run, OneOffEmissionIsRoundedToEightDecimals) {
    // 0.92 x 0.9 / 4500 is 0.000184000000...; a long welding time rounds G to 0
    // while M stays.
    const RunOutcome tiny = CalculateWith(false, With({{&RunInputs::hours, "10000000"}}));
    EXPECT_EQ(tiny.results.maxEmission[0], 0.0);
    EXPECT_GT(tiny.results.grossEmission[0], 0.0);
}

}  // namespace
}  // namespace korvel
