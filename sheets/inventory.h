// SPDX-License-Identifier: GPL-3.0-or-later
// An inventory being edited (the inventory page's table): every source of an
// enterprise as a row of korvel-batch's input, each computed as the batch computes it, with the
// totals and every file the batch writes. Rows keep their texts and what the
// run made of them, never a report: reports are made again when asked for.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sheets/pollution_sources.h"
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

// The columns of the table of sources of pollution (ИЗА), whose rows are
// headed by their numbers: the parameters typed (name, N, then η of each
// substance), the posts, the status, then G and M after cleaning of each
// substance.
const std::vector<InventoryColumn>& PollutionSourceViewColumns();
inline constexpr std::string_view kPollutionSourceHeading = "ИЗА";
// The captions of the printed table of sources (PollutionSourceColumns in words).
std::vector<std::string> PollutionSourcePrintCaptions();

// The names the files of the inventory `name` are offered under.
struct InventoryFileNames {
    std::string sources, summaryCsv, summaryXlsx, reportsZip, pollutionSources, inventoryXlsx;
};
InventoryFileNames FileNamesOf(std::string_view name);

// A rectangle of cells: its first row and column and its size; `sources`
// when it lies in the table of sources of pollution.
struct CellBlock {
    std::size_t row = 0, column = 0, rows = 0, columns = 0;
    bool sources = false;
};

// A row of the table of sources of pollution: the parameters kept (only the
// number when there are none), what the posts make of them, and why a
// parameter cannot be applied (empty when it can). The posts of no source,
// when there are any, are the last row.
struct PollutionSourceEntry {
    PollutionSourceParameters typed;
    PollutionSourceLine line;
    std::string fault;

    std::string Status() const { return fault.empty() ? line.Status() : fault; }
};

// A table as printed: its heading, lines of text above it, then its rows,
// captions first.
struct PrintedTable {
    std::string heading;
    std::vector<std::string> notes;
    std::vector<std::vector<std::string>> rows;
};

// "12 строк" after a noun: "вставка 12 строк", "удаление 1 строки"; of cells, "2 ячеек".
std::string RowsOf(std::size_t count, std::string_view one = " строки", std::string_view many = " строк");
std::string CellsOf(std::size_t count);
// Tab-separated lines as a spreadsheet copies them.
std::vector<CsvRecord> ClipboardRecords(std::string_view text);
// The one value those lines hold, when it is pasted into a selection of
// several cells, which it then fills; else nothing.
std::optional<std::string> FillingValue(const std::vector<CsvRecord>& records, const CellBlock& block);
// `block` cut to `rows` rows and `columns` columns.
CellBlock Clamp(CellBlock block, std::size_t rows, std::size_t columns);
// The cells of `cells` as a spreadsheet copies them (Inventory::BlockText),
// `texts(row)` giving each row's texts.
std::string BlockTextOf(const CellBlock& cells, const std::function<std::vector<std::string>(std::size_t)>& texts);

// The rows a table shows, in order: every row of the inventory, or those a
// filter passed. Blocks of cells are counted in shown rows.
class RowView {
public:
    RowView() = default;
    explicit RowView(std::vector<std::size_t> rows) : rows_(std::move(rows)), all_(false) {}

    bool All() const { return all_; }
    std::size_t Size(std::size_t total) const { return all_ ? total : rows_.size(); }
    // The inventory's row shown as `i`.
    std::size_t operator[](std::size_t i) const { return all_ ? i : rows_.at(i); }
    // Where the inventory's `row` is shown, or the first shown row after it (the count of shown rows past the last).
    std::size_t Find(std::size_t row) const;
    // The inventory's `count` rows inserted before `at` (shown: just added), or removed from `first` on.
    void Inserted(std::size_t at, std::size_t count);
    void Removed(std::size_t first, std::size_t count);

private:
    std::vector<std::size_t> rows_;
    bool all_ = true;
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
    PrintedTable PrintedTotals(std::string_view name) const;
    // Cells read only in part, over every row.
    std::size_t PartlyReadCount() const { return partlyRead_; }

    // The table of sources of pollution, computed with the rows: a row for
    // every number a post names or parameters are kept for, by number.
    std::size_t SourceCount() const { return entries_.size(); }
    const PollutionSourceEntry& Source(std::size_t i) const { return entries_.at(i); }
    const PollutionSourceTable& Sources() const { return sourceTable_; }
    // The parameters kept, by number, as typed.
    const std::vector<PollutionSourceParameters>& Parameters() const { return parameters_; }
    // The row's number (empty for the posts of none), then its text in each
    // column (PollutionSourceViewColumns).
    std::vector<std::string> SourceCellTexts(std::size_t row) const;
    // The totals row of M after cleaning: its label, then its text in each
    // column; no totals while a parameter cannot be applied.
    std::vector<std::string> SourceTotalsTexts() const;
    // The first parameter that cannot be applied, named with its source, as
    // no table of sources is written with it; empty when there is none.
    std::string SourcesFault() const;
    // The table of sources as printed for the inventory `name`, the rules
    // above it; nothing (no heading) when there are no sources.
    PrintedTable PrintedSources(std::string_view name) const;

    // Every change below is one step of the history, undone and redone as a
    // whole; a change that would leave no row leaves one blank row, as the
    // table always shows one.
    // Hours per year are read and numbers written with `separator`: every row anew.
    void SetSeparator(char separator);
    // The text of input column `column` (of kStationColumns) in `row`.
    void Set(std::size_t row, std::size_t column, std::string text);
    // `count` empty rows before `at`.
    void Insert(std::size_t at, std::size_t count);
    // A copy of rows [first, first + count) after them.
    void Duplicate(std::size_t first, std::size_t count);
    void Delete(std::size_t first, std::size_t count);
    // Tab-separated lines as a spreadsheet copies them, from the cell at
    // `row`, `column` on, rows added as needed (when `view` shows every
    // row; else the lines past its last row are dropped); cells beyond the
    // last input column are dropped. Gives the cells it filled.
    CellBlock Paste(std::size_t row, std::size_t column, std::string_view text, const RowView& view = {});
    // A paste into the selected `block`: one value fills its input cells,
    // as a spreadsheet fills a selection; more are pasted from its first cell on.
    CellBlock PasteInto(const CellBlock& block, std::string_view text, const RowView& view = {});
    // The input cells of `block` emptied (Delete, a cut).
    void Erase(const CellBlock& block, const RowView& view = {});
    // Every input cell of `block` given `text`: one value pasted into a selection.
    void Fill(const CellBlock& block, const std::string& text, const RowView& view = {});
    // The top row's input cells of `block` copied into its other rows; a
    // block of one row takes the row above it, as a spreadsheet's fill down does.
    void FillDown(CellBlock block, const RowView& view = {});
    // The texts of `block` as shown, computed columns too, as a spreadsheet
    // copies cells: a tab between cells, each row ended by CR LF, a cell
    // with a tab, a line break, a quote or blanks at either end quoted.
    std::string BlockText(const CellBlock& block, const RowView& view = {}) const;
    // The rows that are sources with an error, a validation message or a
    // number read only in part: what is left to look at.
    std::vector<std::size_t> RowsWithNotes() const;
    // korvel-batch's input, CSV or XLSX, in place of the rows or after them.
    // A whole inventory's workbook (InventoryXlsx) brings its parameters too,
    // in place of those kept, or, appended, for the numbers that have none.
    // Throws StationsError, the rows and parameters unchanged.
    void Load(std::string_view bytes, std::string_view name, bool append);
    // The same inventory as another window stored it (its separator, its
    // rows as korvel-batch's CSV input and its parameters as
    // PollutionSourceParametersCsv) in place of these.
    void Reload(std::string_view csv, char separator, std::string_view parameters = {});
    // Rows and parameters.
    void Clear();

    // Edits of the table of sources, each one step of the same history:
    // `row` and `column` are of its rows and PollutionSourceViewColumns, and
    // only the parameters' columns take a text; a source whose parameters all
    // become blank keeps none. No row is added: the rows are the posts' numbers.
    void SetSource(std::size_t row, std::size_t column, std::string text);
    CellBlock PasteSources(std::size_t row, std::size_t column, std::string_view text);
    // As PasteInto, Erase, Fill, FillDown and BlockText do in the rows.
    CellBlock PasteSourcesInto(const CellBlock& block, std::string_view text);
    void EraseSources(const CellBlock& block);
    void FillSources(const CellBlock& block, const std::string& text);
    void FillSourcesDown(CellBlock block);
    std::string SourceBlockText(const CellBlock& block) const;
    // The parameters of those rows forgotten: a row no post uses goes.
    void DeleteSources(std::size_t first, std::size_t count);
    // These parameters in place of those kept (a number given twice: its
    // first line), as a step called `label`.
    void SetParameters(std::vector<PollutionSourceParameters> parameters, const std::string& label);
    // A parameters file (IsPollutionSourceFile) named `name` in place of the
    // parameters kept, its values as typed. Throws StationsError, nothing changed.
    void LoadParameters(std::string_view bytes, std::string_view name);

    // The latest change taken back, or the latest one taken back made again;
    // the rows they fill, or nothing when there is nothing to take.
    std::optional<CellBlock> Undo();
    std::optional<CellBlock> Redo();
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // The undo and redo buttons' captions: what they would do.
    std::string UndoCaption() const;
    std::string RedoCaption() const;
    // Another inventory is shown: its history starts afresh.
    void ForgetHistory();

    // The files korvel-batch writes for these rows. `title` names the inventory in a workbook.
    std::string SourcesCsv() const;
    std::string SummaryCsv() const;
    // With the table of sources on its second sheet when there is one;
    // throws StationsError (SourcesFault) while a parameter cannot be applied.
    std::string SummaryXlsx(const std::string& title) const;
    // pollution_sources.csv; throws as SummaryXlsx.
    std::string PollutionSourcesCsv() const;
    // The whole inventory, rows and parameters as typed, as one workbook
    // (WriteInventoryWorkbook) that Load reads back.
    std::string InventoryXlsx(const std::string& title) const;
    // The parameters kept, as PollutionSourceParametersCsv writes them.
    std::string ParametersCsv() const;
    std::string ReportsZip() const;
    // The row's report (Windows-1251) and its totals as CSV; nothing for a
    // row that stops before its report, or a blank one.
    std::optional<std::pair<std::string, std::string>> Report(std::size_t row) const;
    // The report's name in korvel-batch's output folder.
    std::string ReportName(std::size_t row) const;

private:
    // A change as it can be taken back: `count` rows from `first` on took
    // the place of `rows`, the separator was `separator`, and the parameters
    // were `parameters` when it changed them.
    struct Change {
        std::string label;
        std::size_t first = 0;
        std::vector<InventoryRow> rows;
        std::size_t count = 0;
        char separator = '.';
        std::optional<std::vector<PollutionSourceParameters>> parameters;
    };
    using SourceText = std::function<std::optional<std::string>(std::size_t, std::size_t)>;

    // Paste and PasteSources of the records of the clipboard's text.
    CellBlock PasteRecords(std::size_t row, std::size_t column, std::vector<CsvRecord> records, const RowView& view);
    CellBlock PasteSourceRecords(std::size_t row, std::size_t column, const std::vector<CsvRecord>& records);
    void Compute(InventoryRow& row) const;
    void Recount();
    void RecountSources();
    // `parameters` added to those kept, by number; a number kept already keeps its own.
    void TakeParameters(std::vector<PollutionSourceParameters> parameters);
    // The parameters of the source numbered `number`, kept from now on.
    PollutionSourceParameters& KeptParameters(const std::string& number);
    // The cells of `block` within the table of sources given `text(row,
    // column)` where it is not nothing.
    void EditSources(const std::string& label, CellBlock block, const SourceText& text);
    // The change about to replace rows [first, first + count): those rows kept.
    Change Before(std::string label, std::size_t first, std::size_t count) const;
    // Keeps the change made, now `count` rows long, as the latest step.
    void Done(Change change, std::size_t count);
    std::optional<CellBlock> Step(std::vector<Change>& from, std::vector<Change>& to);
    // Rows [first, first + count) replaced by `rows`.
    void Splice(std::size_t first, std::size_t count, std::vector<InventoryRow> rows);
    std::size_t KeepOneRow();
    // The input cells of `block` (shown rows of `view`) within the table,
    // each given `text(row, column)` (the inventory's row).
    void EditCells(const std::string& label, CellBlock block, const RowView& view,
                   const std::function<std::string(std::size_t, std::size_t)>& text);
    // `block` cut to the shown rows and the input columns.
    CellBlock Within(CellBlock block, const RowView& view) const;

    char separator_;
    std::vector<InventoryRow> rows_;
    std::array<double, kSubstanceCount> totals_{};
    std::size_t partlyRead_ = 0;
    std::vector<Change> undo_, redo_;  // latest last
    std::vector<PollutionSourceParameters> parameters_;  // by number, none twice
    PollutionSourceTable sourceTable_;
    std::vector<PollutionSourceEntry> entries_;
};

}  // namespace korvel
