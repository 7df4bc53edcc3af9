// SPDX-License-Identifier: GPL-3.0-or-later
// One row of a batch: a calculation run exactly as the input window would do
// it, with the row's texts in the window's fields.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "calc/run.h"

namespace korvel::batch {

// The texts of one input row, each as if typed into its window field.
struct StationRow {
    std::string source;        // Text7
    std::string brand;         // Combo1
    std::string consumption;   // Text1
    std::string hours;         // Text2
    std::string minutes;       // Text3
    std::string days;          // Text4
    std::string hoursPerYear;  // Text8; non-empty means per-year mode
};

struct StationOutcome {
    bool ok = false;
    // "ok"; or the validation messages, then the error, in the order the
    // window would have shown them, joined by "; ".
    std::string status;
    std::string text5;  // the result fields as the run and its closing step left them
    std::string text6;
    // The results of a run that completed (also one with validation messages).
    std::optional<CalcResults> results;
};

inline constexpr std::string_view kStatusOk = "ok";

// Writes a run's report; may throw FatalError (a file that cannot be written).
using ReportWriter = std::function<void(const CalcInputs&, const CalcResults&)>;

// Runs the row through korvel::Run: the report step calls `writeReport` when
// it is set, the closing step is the window's with a display that shows
// nothing. A brand that is not in the brand table fails the row without a
// run: the window's list offers no such text.
StationOutcome RunStation(const StationRow& row, char separator, const ReportWriter& writeReport,
                          const std::filesystem::path& reportPath);

}  // namespace korvel::batch
