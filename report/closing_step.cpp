// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/closing_step.h"

namespace korvel {

void ClosingStep(const CalcInputs& inputs, const CalcResults& results, FieldSource& fields, ReportDisplay& display,
                 const std::filesystem::path& reportPath) {
    if (results.FlagSum() != 0) {
        fields.SetText(Control::Text5, kFailedRunText);
        fields.SetText(Control::Text6, kFailedRunText);
        return;
    }
    display.ShowReport(reportPath, inputs, results);
}

}  // namespace korvel
