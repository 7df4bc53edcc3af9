// SPDX-License-Identifier: GPL-3.0-or-later
// The last step of a run: failed validation marks the result fields, a clean
// run shows the report it has just written.
#pragma once

#include <filesystem>
#include <string_view>

#include "calc/run.h"

namespace korvel {

inline constexpr std::string_view kFailedRunText = "Ошибка в исх. данных";

// Where a clean run's report is shown (the report window, or nothing at all
// for a front end without one).
class ReportDisplay {
public:
    virtual ~ReportDisplay() = default;
    // Called after the report file has been written and closed. The results
    // are those the file was written from.
    virtual void ShowReport(const std::filesystem::path& reportPath, const CalcInputs& inputs,
                            const CalcResults& results) = 0;
};

// Any validation flag set: Text5, then Text6, receive kFailedRunText and the
// display is left alone. Otherwise the display shows the report.
void ClosingStep(const CalcInputs& inputs, const CalcResults& results, FieldSource& fields, ReportDisplay& display,
                 const std::filesystem::path& reportPath);

}  // namespace korvel
