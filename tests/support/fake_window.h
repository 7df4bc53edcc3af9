// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the input window and its message boxes: field texts by name,
// the check box value, and a record of every box the run showed.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "calc/run.h"

namespace korvel::testing {

class FakeWindow : public FieldSource, public RunFeedback {
public:
    FakeWindow() {
        texts_ = {{Control::Text1, "330.00"},
                  {Control::Text2, "1"},
                  {Control::Text3, "15"},
                  {Control::Text4, "365"},
                  {Control::Text5, "Не рассчитано"},
                  {Control::Text6, "Не рассчитано"},
                  {Control::Text7, "__________"},
                  {Control::Text8, "502"},
                  {Control::Combo1, ""}};
    }

    int CheckValue() const override { return check; }
    std::string Text(Control control) const override { return texts_.at(control); }
    void SetText(Control control, std::string_view text) override { texts_[control] = std::string(text); }
    void ShowMessage(std::string_view message) override { messages.emplace_back(message); }
    void ShowError(const FatalError& error) override { errors.push_back(error.Code()); }

    int check = 0;
    std::vector<std::string> messages;
    std::vector<int> errors;

private:
    std::map<Control, std::string> texts_;
};

// Records that the later steps were reached, and with what.
class RecordingSteps : public RunSteps {
public:
    void WriteReport(const CalcInputs& inputs, const CalcResults& results) override {
        reported = Calculation{inputs, results};
    }
    void ClosingStep(const CalcInputs&, const CalcResults& results) override { closedWithFlags = results.FlagSum(); }

    std::optional<Calculation> reported;
    std::optional<int> closedWithFlags;
};

}  // namespace korvel::testing
