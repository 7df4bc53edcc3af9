// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/station_run.h"

#include <algorithm>

#include "calc/closing_step.h"
#include "calc/number_rules.h"
#include "sheets/pollution_sources.h"
#include "sheets/stations_table.h"

namespace korvel {

namespace {

std::string Status(const RunOutcome& run, const RunEnd& end) {
    if (end.showsReport) return std::string(kStatusOk);
    std::string joined;
    for (const std::string_view message : run.messages) {
        if (!joined.empty()) joined += "; ";
        joined += message;
    }
    if (run.failure) joined += (joined.empty() ? "" : "; ") + ErrorText(*run.failure);
    return joined;
}

std::vector<PartlyReadCell> PartlyReadCells(const RunInputs& row, char separator) {
    std::vector<PartlyReadCell> cells;
    for (const auto field : LeadingNumberFields(row)) {
        const std::optional<double> read = PartlyRead(row.*field);
        if (!read) continue;
        const auto column = std::find(kStationFields.begin(), kStationFields.end(), field) - kStationFields.begin();
        cells.push_back({static_cast<std::size_t>(column), "прочитано как " + NumberText(*read, separator)});
    }
    return cells;
}

}  // namespace

StationOutcome RunStation(const StationInputs& row, char separator, const ReportWriter& writeReport) {
    StationOutcome outcome;
    outcome.partlyRead = PartlyReadCells(row, separator);
    if (!row.brand.empty() && FindBrand(row.brand) == nullptr) {
        outcome.status = "марка электрода «" + row.brand + "» не из списка марок";
        return outcome;
    }
    if (!PollutionSourceNumber(row.pollutionSource)) {
        outcome.status = PollutionSourceNumberFault(row.pollutionSource);
        return outcome;
    }

    RunOutcome run = Calculate(row, separator);
    if (run.ReportDue() && writeReport) writeReport(run.inputs, run.results);
    RunEnd end = CloseRun(run);
    outcome.computed = run.ReportDue();
    outcome.ok = end.showsReport;
    outcome.status = Status(run, end);
    outcome.fieldsShowNumbers = !end.markedFailed;
    outcome.dailyConsumption = std::move(end.dailyConsumption).value_or("");
    outcome.weldingTime = std::move(end.weldingTime).value_or("");
    outcome.results = std::move(run.results);
    return outcome;
}

}  // namespace korvel
