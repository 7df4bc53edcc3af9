// SPDX-License-Identifier: GPL-3.0-or-later
// The last two steps of a run as the front ends use them: write the report
// file, then the closing step.
#pragma once

#include <filesystem>

#include "calc/run.h"
#include "report/closing_step.h"

namespace korvel {

class ReportSteps : public RunSteps {
public:
    // The references must outlive the steps.
    ReportSteps(FieldSource& fields, ReportDisplay& display, std::filesystem::path reportPath, char separator);

    void WriteReport(const CalcInputs& inputs, const CalcResults& results) override;
    void ClosingStep(const CalcInputs& inputs, const CalcResults& results) override;

private:
    FieldSource& fields_;
    ReportDisplay& display_;
    std::filesystem::path reportPath_;
    char separator_;
};

}  // namespace korvel
