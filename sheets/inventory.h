// SPDX-License-Identifier: GPL-3.0-or-later
// An inventory being edited (the inventory page's table): every source of an
// enterprise as a row of korvel-batch's input, each computed as the batch computes it, with the
// totals and every file the batch writes. Rows keep their texts and what the
// run made of them, never a report: reports are made again when asked for.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sheets/station_run.h"
#include "calc/run.h"
#include "calc/substances.h"

namespace korvel {

struct InventoryRow {
    StationInputs typed;
    bool blank = true;  // no text at all: not a source, as a line of delimiters is none to the batch
    StationOutcome outcome;
};

// What a column of the table holds: a text typed, what a run made of them
// (b and t), the row's status, or G or M of a substance.
enum class ColumnKind { Input, Computed, Status, G, M };

// A column as the table shows it: its caption, its name in korvel-batch's
// files, its header's tooltip, its kind, the substance's code (G and M), and
// how wide it is: "long", "list" (picked from a list), "number", "result",
// "status" or "emission".
struct InventoryColumn {
    std::string caption, name, title;
    ColumnKind kind = ColumnKind::Input;
    std::string_view code, width;
};

// Every column in order: the inputs (kStationColumns), b, t, the status,
// then G and M of each substance in catalogue order.
const std::vector<InventoryColumn>& InventoryColumns();

// The names the files of the inventory `name` are offered under.
struct InventoryFileNames {
    std::string sources, summaryCsv, summaryXlsx, reportsZip;
};
InventoryFileNames FileNamesOf(std::string_view name);

// A rectangle of cells: its first row and column and its size.
struct CellBlock {
    std::size_t row = 0, column = 0, rows = 0, columns = 0;
};

// The table always has a row, blank when there is nothing else, to type into.
class Inventory {
public:
    explicit Inventory(char separator) : separator_(separator), rows_(1) {}

    std::size_t Size() const { return rows_.size(); }
    const InventoryRow& Row(std::size_t i) const { return rows_.at(i); }
    char Separator() const { return separator_; }
    // Sum of M of each substance over the rows that are ok, in row order.
    const std::array<double, kSubstanceCount>& Totals() const { return totals_; }
    // The row's text in each column (InventoryColumns), numbers written with the separator.
    std::vector<std::string> CellTexts(std::size_t row) const;
    // The totals row: its label, then its text in each column.
    std::vector<std::string> TotalsTexts() const;
    // The totals as printed for the inventory `name`: a heading, then a
    // table whose first row is its captions.
    std::pair<std::string, std::vector<std::vector<std::string>>> PrintedTotals(std::string_view name) const;
    // Cells read only in part, over every row.
    std::size_t PartlyReadCount() const { return partlyRead_; }

    // Hours per year are read and numbers written with `separator`: every row anew.
    void SetSeparator(char separator);
    // The text of input column `column` (of kStationColumns) in `row`.
    void Set(std::size_t row, std::size_t column, std::string text);
    // `count` empty rows before `at`.
    void Insert(std::size_t at, std::size_t count);
    // A copy of rows [first, first + count) after them.
    void Duplicate(std::size_t first, std::size_t count);
    // Removes rows; the latest removals can be undone.
    void Delete(std::size_t first, std::size_t count);
    // Puts the latest removed rows back where they were; the rows they
    // fill, or nothing when there is nothing to undo.
    std::optional<CellBlock> Undo();
    bool CanUndo() const { return !deleted_.empty(); }
    // Tab-separated lines as a spreadsheet copies them, from the cell at
    // `row`, `column` on, rows added as needed; cells beyond the last input
    // column are dropped. Gives the cells it filled.
    CellBlock Paste(std::size_t row, std::size_t column, std::string_view text);
    // korvel-batch's input, CSV or XLSX, in place of the rows or after them.
    // Throws StationsError, the rows unchanged.
    void Load(std::string_view bytes, std::string_view name, bool append);
    void Clear();

    // The files korvel-batch writes for these rows. `title` names the inventory in a workbook.
    std::string SourcesCsv() const;
    std::string SummaryCsv() const;
    std::string SummaryXlsx(const std::string& title) const;
    std::string ReportsZip() const;
    // The row's report (Windows-1251) and its totals as CSV; nothing for a
    // row that stops before its report, or a blank one.
    std::optional<std::pair<std::string, std::string>> Report(std::size_t row) const;
    // The report's name in korvel-batch's output folder.
    std::string ReportName(std::size_t row) const;

private:
    void Compute(InventoryRow& row) const;
    void Recount();
    void KeepOneRow();

    char separator_;
    std::vector<InventoryRow> rows_;
    std::array<double, kSubstanceCount> totals_{};
    std::size_t partlyRead_ = 0;
    // Removed blocks, latest last: where they stood and what they held.
    std::vector<std::pair<std::size_t, std::vector<InventoryRow>>> deleted_;
};

}  // namespace korvel
