// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/closing_step.h"

#include <gtest/gtest.h>

#include "support/fake_window.h"

namespace korvel {
namespace {

class RecordingDisplay : public ReportDisplay {
public:
    void ShowReport(const std::filesystem::path& path, const CalcInputs&, const CalcResults& results) override {
        shown.push_back(path);
        lastDaily = results.dailyConsumption;
    }
    std::vector<std::filesystem::path> shown;
    double lastDaily = 0;
};

TEST(ClosingStep, AnyFlagMarksBothResultFieldsAndLeavesTheDisplayAlone) {
    const struct {
        bool brand, many, few, zero;
    } cases[] = {{true, false, false, false}, {false, true, false, false}, {false, false, true, false},
                 {false, false, false, true}, {true, true, false, false},  {false, false, false, false}};
    for (const auto& c : cases) {
        testing::FakeWindow window;
        window.SetText(Control::Text5, "0,9");
        window.SetText(Control::Text6, "4500");
        RecordingDisplay display;
        CalcResults results;
        results.dailyConsumption = 0.9;
        results.brandMissing = c.brand;
        results.tooManyDays = c.many;
        results.tooFewDays = c.few;
        results.zeroDays = c.zero;
        ClosingStep(CalcInputs{}, results, window, display, "/tmp/r.htm");
        const bool failed = c.brand || c.many || c.few || c.zero;
        EXPECT_EQ(window.Text(Control::Text5), failed ? kFailedRunText : "0,9");
        EXPECT_EQ(window.Text(Control::Text6), failed ? kFailedRunText : "4500");
        EXPECT_EQ(display.shown.size(), failed ? 0u : 1u);
        if (!failed) {
            EXPECT_EQ(display.shown[0], "/tmp/r.htm");
            EXPECT_EQ(display.lastDaily, 0.9);
        }
    }
}

}  // namespace
}  // namespace korvel
