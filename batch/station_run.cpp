// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/station_run.h"

namespace korvel::batch {

namespace {

std::string Status(const RunOutcome& run, const std::optional<FatalError>& failure) {
    if (!failure && run.ShowsReport()) return std::string(kStatusOk);
    std::string joined;
    for (const std::string_view message : run.messages) {
        if (!joined.empty()) joined += "; ";
        joined += message;
    }
    if (failure) joined += (joined.empty() ? "" : "; ") + ErrorText(*failure);
    return joined;
}

}  // namespace

StationOutcome RunStation(const RunInputs& row, char separator, const ReportWriter& writeReport) {
    StationOutcome outcome;
    if (!row.brand.empty() && FindBrand(row.brand) == nullptr) {
        outcome.status = "марка электрода «" + row.brand + "» не из списка марок";
        return outcome;
    }

    RunOutcome run = Calculate(row, separator);
    const std::optional<FatalError>& failure = run.failure;
    if (!failure && writeReport) writeReport(run.inputs, run.results);
    outcome.computed = !failure;
    outcome.ok = !failure && run.ShowsReport();
    outcome.status = Status(run, failure);
    outcome.fieldsShowNumbers = failure || run.ShowsReport();
    if (outcome.fieldsShowNumbers) {
        outcome.text5 = std::move(run.dailyConsumptionText).value_or("");
        outcome.text6 = std::move(run.weldingSecondsText).value_or("");
    } else {
        outcome.text5 = outcome.text6 = kFailedRunText;
    }
    outcome.results = std::move(run.results);
    return outcome;
}

}  // namespace korvel::batch
