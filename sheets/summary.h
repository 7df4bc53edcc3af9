// SPDX-License-Identifier: GPL-3.0-or-later
// The summary table of an inventory, as korvel-batch writes it and the page
// offers it: one line per row with its status, the two result fields and G
// and M of the eight substances, then the totals of M over the rows with
// status ok. As CSV or as an XLSX workbook.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/pollution_sources.h"
#include "sheets/station_run.h"
#include "calc/substances.h"

namespace korvel {

inline constexpr std::string_view kTotalsLabel = "итого";

// Adds the row's M of each substance to `totals` when the row is ok: the
// summary's totals line, and the page's.
void AddToTotals(std::array<double, kSubstanceCount>& totals, const StationOutcome& outcome);

// row, source, brand, status, daily_consumption_kg, welding_time_s, then
// G_<code>_g_s and M_<code>_t_year of each substance in catalogue order.
std::vector<std::string> SummaryColumnNames();

// What the summary shows of one row.
struct SummaryRow {
    std::size_t number;  // the data row, 1 being the line after the header
    const RunInputs& typed;
    const StationOutcome& outcome;
};

class Summary {
public:
    virtual ~Summary() = default;

    // The row's entry as far as it can be made ahead of writing, on any
    // thread; handed back to Add.
    virtual std::string Prepare(const SummaryRow&) const { return {}; }
    // Adds the rows in order.
    void Add(const SummaryRow& row, const std::string& prepared);
    // The totals line; the table is complete. A workbook also gets the
    // table of `sources` on a sheet of its own.
    void Finish(const PollutionSourceTable* sources = nullptr);

    const std::array<double, kSubstanceCount>& Totals() const { return totals_; }

protected:
    virtual void Write(const SummaryRow& row, const std::string& prepared) = 0;
    virtual void WriteTotals() = 0;
    virtual void WriteSources(const PollutionSourceTable&) {}
    virtual void Close() {}

private:
    std::array<double, kSubstanceCount> totals_{};
};

// UTF-8 with a byte-order mark so that spreadsheets recognise the encoding;
// CR LF line ends; ';' between fields when the decimal separator is a comma,
// else ','. `sink` receives the bytes as they are produced.
std::unique_ptr<Summary> CsvSummary(char separator, std::function<void(std::string_view)> sink);

// An XLSX workbook at `path`, titled for the inventory `inputName` and
// signed by `program`. Throws SheetError.
std::unique_ptr<Summary> XlsxSummary(const std::filesystem::path& path, std::string_view inputName,
                                     std::string_view program, char separator);

}  // namespace korvel
