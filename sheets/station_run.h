// SPDX-License-Identifier: GPL-3.0-or-later
// One row of an inventory (korvel-batch's, or the page's table): a
// calculation run exactly as the input window would do it, with the row's
// texts typed into the window's fields.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "calc/run.h"

namespace korvel {

// A cell of a row (its column of kStationColumns) and what the run reads it
// as: "прочитано как 200".
struct PartlyReadCell {
    std::size_t column = 0;
    std::string notice;
};

// A row's texts: the window's fields, and the source of air pollution (ИЗА)
// the post vents through, by its number as typed (blank: none).
struct StationInputs : RunInputs {
    std::string pollutionSource;
};

struct StationOutcome {
    bool ok = false;
    // "ok"; or the validation messages, then the error, in the order the
    // window would have shown them, joined by "; ".
    std::string status;
    // The window's two result fields as the run and its closing step would
    // leave them (CloseRun): b in kg and t in seconds as far as the run got,
    // or the failed-run text in both.
    std::string dailyConsumption;
    std::string weldingTime;
    bool fieldsShowNumbers = false;  // b and t, not the failed-run text
    // The run completed its arithmetic (also one with validation messages):
    // G and M are in `results`. b is there whenever dailyConsumption shows it.
    bool computed = false;
    CalcResults results;
    // The numeric cells the run reads only in part (PartlyRead), in column order.
    std::vector<PartlyReadCell> partlyRead;
};

inline constexpr std::string_view kStatusOk = "ok";

// Writes a run's report. A report that cannot be written is no failure of
// the row: the writer throws, and the batch stops.
using ReportWriter = std::function<void(const CalcInputs&, const CalcResults&)>;

// Runs the row as the window would: the report goes to `writeReport` when it
// is set, and the closing step marks the result fields of a run with a
// validation flag. A brand that is not in the brand table fails the row
// without a run: the window's list offers no such text; so does an ИЗА
// number that is not one.
StationOutcome RunStation(const StationInputs& row, char separator, const ReportWriter& writeReport);

}  // namespace korvel
