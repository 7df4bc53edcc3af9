// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/station_run.h"

#include <vector>

namespace korvel::batch {

namespace {

std::string Joined(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) {
        if (!joined.empty()) joined += "; ";
        joined += text;
    }
    return joined;
}

}  // namespace

StationOutcome RunStation(const RunInputs& row, char separator, const ReportWriter& writeReport) {
    StationOutcome outcome;
    if (!row.brand.empty() && FindBrand(row.brand) == nullptr) {
        outcome.status = "марка электрода «" + row.brand + "» не из списка марок";
        return outcome;
    }

    const RunOutcome run = Calculate(row, separator);
    std::vector<std::string> shown(run.messages.begin(), run.messages.end());
    outcome.text5 = run.dailyConsumptionText.value_or("");
    outcome.text6 = run.weldingSecondsText.value_or("");
    std::optional<FatalError> failure = run.failure;
    if (!failure && writeReport) failure = writeReport(run.inputs, run.results);
    if (failure) {
        shown.push_back(ErrorText(*failure));
    } else {
        outcome.results = run.results;
        if (!run.ShowsReport()) outcome.text5 = outcome.text6 = kFailedRunText;
    }
    outcome.ok = !failure && run.ShowsReport();
    outcome.status = outcome.ok ? std::string(kStatusOk) : Joined(shown);
    return outcome;
}

}  // namespace korvel::batch
