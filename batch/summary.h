// SPDX-License-Identifier: GPL-3.0-or-later
// The summary table of a batch: one line per row with its status, the two
// result fields and G and M of the eight substances, then the totals of M.
//
// UTF-8 with a byte-order mark so that spreadsheets recognise the encoding;
// ';' between fields when the decimal separator is a comma, else ','.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "batch/station_run.h"
#include "calc/substances.h"

namespace korvel::batch {

class SummaryTable {
public:
    // `sink` receives the bytes as they are produced.
    SummaryTable(char separator, std::function<void(std::string_view)> sink);

    // The byte-order mark and the header line.
    void Begin();
    void AddRow(std::size_t row, const RunInputs& input, const StationOutcome& outcome);
    // The totals line: the sum of M per substance over the rows with status ok.
    void Finish();

    char Delimiter() const { return delimiter_; }
    const std::array<double, kSubstanceCount>& Totals() const { return totals_; }

private:
    void Field(std::string_view text);
    void EndLine();

    char separator_;
    char delimiter_;
    std::function<void(std::string_view)> sink_;
    std::string line_;
    bool lineStarted_ = false;
    std::array<double, kSubstanceCount> totals_{};
};

inline constexpr std::string_view kTotalsLabel = "итого";

}  // namespace korvel::batch
