// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_steps.h"

#include <utility>

#include "report/report_file.h"

namespace korvel {

ReportSteps::ReportSteps(FieldSource& fields, ReportDisplay& display, std::filesystem::path reportPath, char separator)
    : fields_(fields), display_(display), reportPath_(std::move(reportPath)), separator_(separator) {}

void ReportSteps::WriteReport(const CalcInputs& inputs, const CalcResults& results) {
    korvel::WriteReport(inputs, results, separator_, reportPath_);
}

void ReportSteps::ClosingStep(const CalcInputs& inputs, const CalcResults& results) {
    korvel::ClosingStep(inputs, results, fields_, display_, reportPath_);
}

}  // namespace korvel
