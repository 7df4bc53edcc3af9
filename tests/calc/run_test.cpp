// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "support/fake_window.h"

namespace korvel {
namespace {

using testing::FakeWindow;
using testing::RecordingSteps;

constexpr const char* kNotCalculated = "Не рассчитано";

struct RunCase {
    const char* name;
    int check;
    std::map<Control, std::string> texts;  // over the window's defaults
    std::vector<std::string_view> messages;
    const char* text5;  // '#' stands for the regional separator
    const char* text6;
    int errorCode;  // 0: the run reaches its report and closing step
    int flags;
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

std::string Regional(const char* text, char sep) {
    std::string s = text;
    for (char& c : s) {
        if (c == '#') c = sep;
    }
    return s;
}

const std::map<Control, std::string> kBrand = {{Control::Combo1, "УОНИ 13/45"}};

std::map<Control, std::string> With(std::map<Control, std::string> texts) {
    texts.emplace(Control::Combo1, "УОНИ 13/45");
    return texts;
}

const RunCase kRunCases[] = {
    {"WorkedExample", 0, kBrand, {}, "0#9", "4500", 0, 0},
    {"PerYear502", 1, kBrand, {}, "330", "1807200", 0, 0},
    {"EmptyBrand", 0, {}, {kBrandMissingMessage}, "0#9", "4500", 0, 1},
    {"ZeroDays", 0, With({{Control::Text4, "0"}}), {kZeroDaysMessage}, "0", "4500", 0, 1},
    {"EmptyDays", 0, With({{Control::Text4, ""}}), {kZeroDaysMessage}, "0", "4500", 0, 1},
    {"TooManyDays", 0, With({{Control::Text4, "400"}}), {kTooManyDaysMessage}, "0#82", "4500", 0, 1},
    {"Exactly365", 0, With({{Control::Text4, "365"}}), {}, "0#9", "4500", 0, 0},
    {"HalfDayOver", 0, With({{Control::Text4, "365.5"}}), {kTooManyDaysMessage}, "0#9", "4500", 0, 1},
    {"NegativeDays", 0, With({{Control::Text4, "-10"}}), {kTooFewDaysMessage}, "-33", "4500", 0, 1},
    {"CommaEndsTheNumber", 0, With({{Control::Text1, "330,5"}}), {}, "0#9", "4500", 0, 0},
    {"TwoFailures", 0, {{Control::Text4, "400"}}, {kBrandMissingMessage, kTooManyDaysMessage}, "0#82", "4500", 0, 2},
    {"PerYearIgnoresDays", 1, With({{Control::Text4, "0"}}), {}, "330", "1807200", 0, 0},
    {"PerYearEmptyHours", 1, {{Control::Text8, ""}}, {}, kNotCalculated, kNotCalculated, FatalError::kTypeMismatch, 0},
    {"PerYearHoursWithUnit",
     1,
     With({{Control::Text8, "502 ч"}}),
     {},
     kNotCalculated,
     kNotCalculated,
     FatalError::kTypeMismatch,
     0},
    {"PerYearHoursOverflow",
     1,
     With({{Control::Text8, "1e306"}}),
     {},
     kNotCalculated,
     kNotCalculated,
     FatalError::kOverflow,
     0},
    {"NoWeldingTime",
     0,
     With({{Control::Text2, "0"}, {Control::Text3, "0"}}),
     {},
     "0#9",
     "0",
     FatalError::kDivisionByZero,
     0},
    {"NoWeldingTimeNoBrand",
     0,
     {{Control::Text2, "0"}, {Control::Text3, "0"}},
     {kBrandMissingMessage},
     "0#9",
     "0",
     FatalError::kOverflow,
     0},
    {"PerYearZeroHours", 1, With({{Control::Text8, "0"}}), {}, "330", "0", FatalError::kDivisionByZero, 0},
    {"OneOffTooLarge",
     0,
     With({{Control::Text1, "10000"}, {Control::Text2, "0"}, {Control::Text3, "1"}, {Control::Text4, "1"}}),
     {},
     "10000",
     "60",
     FatalError::kOverflow,
     0},
    {"HugeConsumption",
     0,
     With({{Control::Text1, "1e400"}}),
     {},
     kNotCalculated,
     kNotCalculated,
     FatalError::kOverflow,
     0},
    {"HugeConsumptionNoBrand",
     0,
     {{Control::Text1, "1e400"}},
     {kBrandMissingMessage},
     kNotCalculated,
     kNotCalculated,
     FatalError::kOverflow,
     0},
    {"DailyConsumptionOutOfRange",
     0,
     With({{Control::Text1, "21474836.48"}, {Control::Text4, "1"}}),
     {},
     kNotCalculated,
     kNotCalculated,
     FatalError::kOverflow,
     0},
    // Mend: zero days give b = 0, so no welding time still fails, as 0 / 0.
    {"ZeroDaysAndNoWeldingTime",
     0,
     With({{Control::Text4, "0"}, {Control::Text2, "0"}, {Control::Text3, ""}}),
     {kZeroDaysMessage},
     "0",
     "0",
     FatalError::kOverflow,
     0},
    {"UnknownBrandIsNoFailure", 0, {{Control::Combo1, "УОНИ 13/45 "}}, {}, "0#9", "4500", 0, 0},
};

class RunCases : public ::testing::TestWithParam<std::tuple<RunCase, char>> {};

TEST_P(RunCases, MessagesResultFieldsAndOutcome) {
    const auto& [c, sep] = GetParam();
    FakeWindow window;
    window.check = c.check;
    for (const auto& [control, text] : c.texts) window.SetText(control, text);
    RecordingSteps steps;

    const auto error = korvel::Run(window, window, steps, sep);

    EXPECT_EQ(window.messages, std::vector<std::string>(c.messages.begin(), c.messages.end()));
    EXPECT_EQ(window.Text(Control::Text5), Regional(c.text5, sep));
    EXPECT_EQ(window.Text(Control::Text6), Regional(c.text6, sep));
    if (c.errorCode != 0) {
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->Code(), c.errorCode);
        EXPECT_EQ(window.errors, std::vector<int>{c.errorCode});
        EXPECT_FALSE(steps.reported) << "no report after a failure";
        EXPECT_FALSE(steps.closedWithFlags);
    } else {
        EXPECT_FALSE(error.has_value());
        EXPECT_TRUE(window.errors.empty());
        ASSERT_TRUE(steps.reported);
        EXPECT_EQ(steps.closedWithFlags, c.flags);
    }
    // The run never changes what the user typed.
    for (const auto& [control, text] : c.texts) EXPECT_EQ(window.Text(control), text);
}

INSTANTIATE_TEST_SUITE_P(Run, RunCases, ::testing::Combine(::testing::ValuesIn(kRunCases), ::testing::Values(',', '.')),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == ',' ? "Comma" : "FullStop");
                         });

Calculation CalculateWith(int check, const std::map<Control, std::string>& texts, char sep = ',') {
    FakeWindow window;
    window.check = check;
    for (const auto& [control, text] : texts) window.SetText(control, text);
    return Calculate(window, window, sep);
}

TEST(Run, WorkedExampleGivesTheTabulatedEmissions) {
    for (char sep : {',', '.'}) {
        const Calculation calc = CalculateWith(0, kBrand, sep);
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
    const Calculation calc = CalculateWith(1, kBrand);
    EXPECT_TRUE(calc.inputs.perYearMode);
    EXPECT_EQ(calc.inputs.hoursPerYear, "502");
    EXPECT_EQ(calc.inputs.hours, "1");
    EXPECT_EQ(calc.inputs.minutes, "1");
    EXPECT_EQ(calc.inputs.workingDays, "1");
    EXPECT_EQ(calc.results.dailyConsumption, 330);
    EXPECT_EQ(calc.results.maxEmission[0], 0.00016799);
    // Text8 is read with the regional separator and kept as typed.
    const Calculation fraction = CalculateWith(1, With({{Control::Text8, " 0,5 "}}));
    EXPECT_EQ(fraction.inputs.hoursPerYear, " 0,5 ");
    EXPECT_EQ(fraction.results.weldingSeconds, "1800");
    FakeWindow window;
    window.check = 1;
    window.SetText(Control::Text8, "502.5");
    EXPECT_THROW(Calculate(window, window, ','), FatalError);
    EXPECT_EQ(Calculate(window, window, '.').results.weldingSeconds, "1809000");
}

TEST(Run, DailyConsumptionRoundsHalfwayToEven) {
    const struct {
        const char* consumption;
        double daily;
    } cases[] = {{"0.025", 0.02}, {"0.015", 0.02}, {"0.035", 0.04}, {"330.00", 330}, {"1 000.5", 1000.5}};
    for (const auto& c : cases) {
        EXPECT_EQ(CalculateWith(1, With({{Control::Text1, c.consumption}})).results.dailyConsumption, c.daily)
            << c.consumption;
    }
}

TEST(Run, ResultsFollowTheBrandAndTheDays) {
    const Calculation t590 = CalculateWith(0, {{Control::Combo1, "Т - 590"}});
    EXPECT_EQ(t590.results.maxEmission[0], 0.0);
    EXPECT_EQ(t590.results.grossEmission[0], 0.0);
    EXPECT_GT(t590.results.maxEmission[1], 0.0);

    const Calculation none = CalculateWith(0, {});
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        EXPECT_FALSE(none.results.factors[i].has_value());
        EXPECT_EQ(none.results.maxEmission[i], 0.0);
        EXPECT_EQ(none.results.grossEmission[i], 0.0);
    }

    const Calculation negative = CalculateWith(0, With({{Control::Text4, "-10"}}));
    const Calculation normal = CalculateWith(0, kBrand);
    EXPECT_EQ(negative.results.dailyConsumption, -33);
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        EXPECT_EQ(negative.results.grossEmission[i], normal.results.grossEmission[i]);
        if (normal.results.maxEmission[i] != 0) {
            EXPECT_LT(negative.results.maxEmission[i], 0) << i;
        }
    }
    EXPECT_EQ(CalculateWith(0, With({{Control::Text4, "365.5"}}), ',').inputs.workingDays, "365,5");
    EXPECT_EQ(CalculateWith(0, With({{Control::Text4, "365.5"}}), '.').inputs.workingDays, "365.5");
}

TEST(Run, OneOffEmissionIsRoundedToEightDecimals) {
    // 0.92 x 0.9 / 4500 is 0.000184000000...; a long welding time rounds G to 0
    // while M stays.
    const Calculation tiny = CalculateWith(0, With({{Control::Text2, "10000000"}}));
    EXPECT_EQ(tiny.results.maxEmission[0], 0.0);
    EXPECT_GT(tiny.results.grossEmission[0], 0.0);
}

}  // namespace
}  // namespace korvel
