// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/inventory.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "sheets/summary.h"
#include "report/atomic_file.h"
#include "report/file_names.h"
#include "report/report_document.h"
#include "sheets/csv_reader.h"
#include "sheets/stations_table.h"
#include "sheets/totals.h"
#include "sheets/xlsx_records.h"
#include "sheets/zip_archive.h"

namespace korvel {

namespace {

// Who signs the workbooks the page writes.
constexpr std::string_view kPageProgram = "korvel";

// Enough to take back a slip or a few; older removals are forgotten.
constexpr std::size_t kUndoDepth = 100;

bool IsBlank(const StationInputs& typed) {
    return std::all_of(kStationFields.begin(), kStationFields.end(),
                       [&](std::string StationInputs::*field) { return (typed.*field).empty(); });
}

}  // namespace

void Inventory::Compute(InventoryRow& row) const {
    row.blank = IsBlank(row.typed);
    row.outcome = row.blank ? StationOutcome{} : RunStation(row.typed, separator_, nullptr);
}

void Inventory::Recount() {
    totals_ = {};
    partlyRead_ = 0;
    for (const InventoryRow& row : rows_) {
        AddToTotals(totals_, row.outcome);
        partlyRead_ += row.outcome.partlyRead.size();
    }
}

void Inventory::KeepOneRow() {
    if (rows_.empty()) rows_.emplace_back();
}

void Inventory::SetSeparator(char separator) {
    separator_ = separator;
    for (InventoryRow& row : rows_) Compute(row);
    Recount();
}

void Inventory::Set(std::size_t row, std::size_t column, std::string text) {
    InventoryRow& target = rows_.at(row);
    SetStationField(target.typed, column, std::move(text));
    Compute(target);
    Recount();
}

void Inventory::Insert(std::size_t at, std::size_t count) {
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(std::min(at, rows_.size())), count, InventoryRow{});
}

void Inventory::Duplicate(std::size_t first, std::size_t count) {
    count = std::min(count, rows_.size() - std::min(first, rows_.size()));
    const auto begin = rows_.begin() + static_cast<std::ptrdiff_t>(first);
    std::vector<InventoryRow> copies(begin, begin + static_cast<std::ptrdiff_t>(count));
    rows_.insert(begin + static_cast<std::ptrdiff_t>(count), copies.begin(), copies.end());
    Recount();
}

void Inventory::Delete(std::size_t first, std::size_t count) {
    count = std::min(count, rows_.size() - std::min(first, rows_.size()));
    if (count == 0) return;
    const auto begin = rows_.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = begin + static_cast<std::ptrdiff_t>(count);
    deleted_.emplace_back(first, std::vector<InventoryRow>(std::make_move_iterator(begin), std::make_move_iterator(end)));
    if (deleted_.size() > kUndoDepth) deleted_.erase(deleted_.begin());
    rows_.erase(begin, end);
    KeepOneRow();
    Recount();
}

std::optional<CellBlock> Inventory::Undo() {
    if (deleted_.empty()) return std::nullopt;
    auto [first, rows] = std::move(deleted_.back());
    deleted_.pop_back();
    first = std::min(first, rows_.size());
    const std::size_t count = rows.size();
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(first), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
    Recount();
    return CellBlock{first, 0, count, kStationColumns.size()};
}

CellBlock Inventory::Paste(std::size_t row, std::size_t column, std::string_view text) {
    std::istringstream in{std::string(text)};
    CsvReader reader(in, '\t');
    CsvRecord record;
    CellBlock block{row, column, 0, 0};
    try {
        while (reader.Next(record)) {
            const std::size_t at = row + block.rows++;
            if (at >= rows_.size()) rows_.resize(at + 1);
            InventoryRow& target = rows_[at];
            for (std::size_t f = 0; f < record.fields.size() && column + f < kStationColumns.size(); ++f) {
                SetStationField(target.typed, column + f, std::move(record.fields[f]));
                block.columns = std::max(block.columns, f + 1);
            }
            Compute(target);
        }
    } catch (const CsvError&) {
        // An unclosed quote: what came before it is pasted, as a spreadsheet does.
    }
    Recount();
    return block;
}

void Inventory::Load(std::string_view bytes, std::string_view name, bool append) {
    std::istringstream csv;
    std::unique_ptr<RecordSource> source;
    if (LooksLikeZip(bytes)) {
        source = XlsxRecords(bytes, name);
    } else {
        csv.str(std::string(bytes));
        source = CsvRecords(csv);
    }
    StationsTable table{std::string(name), std::move(source), separator_};
    std::vector<InventoryRow> loaded;
    StationRow station;
    // Blank records keep their place, so that rows keep the batch's numbers.
    while (table.Next(station)) {
        loaded.resize(station.number - 1);
        loaded.push_back({std::move(station.typed), false, {}});
        Compute(loaded.back());
    }
    loaded.resize(table.Records());
    if (!append) rows_.clear();
    rows_.insert(rows_.end(), std::make_move_iterator(loaded.begin()), std::make_move_iterator(loaded.end()));
    KeepOneRow();
    Recount();
}

void Inventory::Clear() {
    rows_.clear();
    deleted_.clear();
    KeepOneRow();
    Recount();
}

std::string Inventory::SourcesCsv() const {
    return StationsCsv(rows_.size(), [&](std::size_t i) -> const StationInputs& { return rows_[i].typed; }, separator_);
}

std::string Inventory::SummaryCsv() const {
    std::string bytes;
    const auto summary = CsvSummary(separator_, [&](std::string_view part) { bytes.append(part); });
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].blank) continue;
        const SummaryRow row{i + 1, rows_[i].typed, rows_[i].outcome};
        summary->Add(row, summary->Prepare(row));
    }
    summary->Finish();
    return bytes;
}

// The library writes the workbook to a file of its own (in the page, in the
// module's file system in memory), which is read back and, never committed,
// removed.
std::string Inventory::SummaryXlsx(const std::string& title) const {
    const AtomicFile file(std::filesystem::temp_directory_path() / "korvel-summary.xlsx", "сводку");
    {
        const auto summary = XlsxSummary(file.TemporaryPath(), title, kPageProgram, separator_);
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (!rows_[i].blank) summary->Add({i + 1, rows_[i].typed, rows_[i].outcome}, {});
        }
        summary->Finish();
    }
    std::ifstream in(file.TemporaryPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Inventory::ReportName(std::size_t row) const {
    return ReportFileName(row + 1, RowNumberWidth(rows_.size()), rows_.at(row).typed.sourceName);
}

std::string Inventory::ReportsZip() const {
    ZipWriter zip;
    const std::time_t now = std::time(nullptr);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].blank) continue;
        RunStation(rows_[i].typed, separator_, [&](const CalcInputs& in, const CalcResults& out) {
            zip.Add(ReportName(i), BuildReport(in, out, separator_), now);
        });
    }
    return zip.Finish();
}

std::optional<std::pair<std::string, std::string>> Inventory::Report(std::size_t row) const {
    const InventoryRow& target = rows_.at(row);
    std::optional<std::pair<std::string, std::string>> report;
    if (target.blank) return report;
    RunStation(target.typed, separator_, [&](const CalcInputs& in, const CalcResults& out) {
        report.emplace(BuildReport(in, out, separator_), TotalsCsv(in, out, separator_));
    });
    return report;
}

}  // namespace korvel
