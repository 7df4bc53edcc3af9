// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/inventory.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <sstream>

#include "sheets/summary.h"
#include "report/atomic_file.h"
#include "report/file_names.h"
#include "report/report_document.h"
#include "sheets/csv.h"
#include "sheets/csv_reader.h"
#include "sheets/inventory_workbook.h"
#include "sheets/stations_table.h"
#include "sheets/totals.h"
#include "sheets/xlsx_records.h"
#include "sheets/zip_archive.h"

namespace korvel {

namespace {

// Who signs the workbooks the page writes.
constexpr std::string_view kPageProgram = "korvel";

// Enough to take back a slip or a few; older changes are forgotten.
constexpr std::size_t kUndoDepth = 100;

bool IsBlank(const StationInputs& typed) {
    return std::all_of(kStationFields.begin(), kStationFields.end(),
                       [&](std::string StationInputs::*field) { return (typed.*field).empty(); });
}

std::ptrdiff_t At(std::size_t i) { return static_cast<std::ptrdiff_t>(i); }

}  // namespace

CellBlock Clamp(CellBlock block, std::size_t rows, std::size_t columns) {
    block.row = std::min(block.row, rows);
    block.rows = std::min(block.rows, rows - block.row);
    block.column = std::min(block.column, columns);
    block.columns = std::min(block.columns, columns - block.column);
    return block;
}

std::string BlockTextOf(const CellBlock& cells, const std::function<std::vector<std::string>(std::size_t)>& texts) {
    std::string text;
    for (std::size_t r = cells.row; r < cells.row + cells.rows; ++r) {
        const std::vector<std::string> row = texts(r);
        for (std::size_t c = cells.column; c < cells.column + cells.columns; ++c) {
            if (c > cells.column) text.push_back('\t');
            AppendCsvField(text, row[c], '\t');
        }
        text += "\r\n";
    }
    return text;
}

std::string RowsOf(std::size_t count, std::string_view one, std::string_view many) {
    const bool single = count % 10 == 1 && count % 100 != 11;
    return std::to_string(count) + std::string(single ? one : many);
}

std::string CellsOf(std::size_t count) { return RowsOf(count, " ячейки", " ячеек"); }

std::vector<CsvRecord> ClipboardRecords(std::string_view text) {
    std::istringstream in{std::string(text)};
    CsvReader reader(in, '\t');
    CsvRecord record;
    std::vector<CsvRecord> records;
    try {
        while (reader.Next(record)) records.push_back(std::move(record));
    } catch (const CsvError&) {
        // An unclosed quote: what came before it is pasted, as a spreadsheet does.
    }
    return records;
}

std::optional<std::string> FillingValue(const std::vector<CsvRecord>& records, const CellBlock& block) {
    if (records.size() != 1 || records[0].fields.size() != 1 || block.rows * block.columns <= 1) return std::nullopt;
    return records[0].fields[0];
}

std::size_t RowView::Find(std::size_t row) const {
    return all_ ? row : static_cast<std::size_t>(std::lower_bound(rows_.begin(), rows_.end(), row) - rows_.begin());
}

void RowView::Inserted(std::size_t at, std::size_t count) {
    if (all_) return;
    const auto place = std::lower_bound(rows_.begin(), rows_.end(), at);
    for (auto i = place; i != rows_.end(); ++i) *i += count;
    std::vector<std::size_t> added(count);
    std::iota(added.begin(), added.end(), at);
    rows_.insert(place, added.begin(), added.end());
}

void RowView::Removed(std::size_t first, std::size_t count) {
    if (all_) return;
    std::erase_if(rows_, [&](std::size_t row) { return row >= first && row < first + count; });
    for (std::size_t& row : rows_) row -= row >= first + count ? count : 0;
}

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
    RecountSources();
}

Inventory::Change Inventory::Before(std::string label, std::size_t first, std::size_t count) const {
    first = std::min(first, rows_.size());
    count = std::min(count, rows_.size() - first);
    return {std::move(label), first, {rows_.begin() + At(first), rows_.begin() + At(first + count)}, 0, separator_, std::nullopt};
}

void Inventory::Done(Change change, std::size_t count) {
    change.count = count;
    undo_.push_back(std::move(change));
    if (undo_.size() > kUndoDepth) undo_.erase(undo_.begin());
    redo_.clear();
    Recount();
}

void Inventory::Splice(std::size_t first, std::size_t count, std::vector<InventoryRow> rows) {
    const auto begin = rows_.begin() + At(first);
    rows_.erase(begin, begin + At(count));
    rows_.insert(rows_.begin() + At(first), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
}

// The blank row added, if any: 1 or 0.
std::size_t Inventory::KeepOneRow() {
    if (!rows_.empty()) return 0;
    rows_.emplace_back();
    return 1;
}

void Inventory::SetSeparator(char separator) {
    if (separator == separator_) return;
    Change change = Before("смена десятичного разделителя", 0, 0);
    separator_ = separator;
    for (InventoryRow& row : rows_) Compute(row);
    Done(std::move(change), 0);
}

void Inventory::Set(std::size_t row, std::size_t column, std::string text) {
    InventoryRow& target = rows_.at(row);
    Change change = Before("ввод в ячейку", row, 1);
    SetStationField(target.typed, column, std::move(text));
    Compute(target);
    Done(std::move(change), 1);
}

void Inventory::Insert(std::size_t at, std::size_t count) {
    at = std::min(at, rows_.size());
    Change change = Before("добавление " + RowsOf(count), at, 0);
    rows_.insert(rows_.begin() + At(at), count, InventoryRow{});
    Done(std::move(change), count);
}

void Inventory::Duplicate(std::size_t first, std::size_t count) {
    count = std::min(count, rows_.size() - std::min(first, rows_.size()));
    Change change = Before("дублирование " + RowsOf(count), first + count, 0);
    const auto begin = rows_.begin() + At(first);
    std::vector<InventoryRow> copies(begin, begin + At(count));
    rows_.insert(rows_.begin() + At(first + count), copies.begin(), copies.end());
    Done(std::move(change), count);
}

void Inventory::Delete(std::size_t first, std::size_t count) {
    count = std::min(count, rows_.size() - std::min(first, rows_.size()));
    if (count == 0) return;
    Change change = Before("удаление " + RowsOf(count), first, count);
    rows_.erase(rows_.begin() + At(first), rows_.begin() + At(first + count));
    Done(std::move(change), KeepOneRow());
}

std::optional<CellBlock> Inventory::Undo() { return Step(undo_, redo_); }

std::optional<CellBlock> Inventory::Redo() { return Step(redo_, undo_); }

// Takes the latest change of `from` back, and keeps what it replaces in `to`.
std::optional<CellBlock> Inventory::Step(std::vector<Change>& from, std::vector<Change>& to) {
    if (from.empty()) return std::nullopt;
    Change change = std::move(from.back());
    from.pop_back();
    Change inverse = Before(change.label, change.first, change.count);
    inverse.count = change.rows.size();
    Splice(change.first, change.count, std::move(change.rows));
    const bool sourcesOnly = change.parameters && change.count == 0 && inverse.rows.empty();
    if (change.parameters) {
        inverse.parameters = std::move(parameters_);
        parameters_ = std::move(*change.parameters);
    }
    if (change.separator != separator_) {
        separator_ = change.separator;
        for (InventoryRow& row : rows_) Compute(row);
    }
    Recount();
    to.push_back(std::move(inverse));
    if (sourcesOnly) return CellBlock{0, 0, entries_.size(), PollutionSourceViewColumns().size(), true};
    return CellBlock{change.first, 0, to.back().count, kStationColumns.size()};
}

std::string Inventory::UndoCaption() const {
    return undo_.empty() ? "Отменить" : "Отменить: " + undo_.back().label;
}

std::string Inventory::RedoCaption() const {
    return redo_.empty() ? "Повторить" : "Повторить: " + redo_.back().label;
}

void Inventory::ForgetHistory() {
    undo_.clear();
    redo_.clear();
}

CellBlock Inventory::Paste(std::size_t row, std::size_t column, std::string_view text, const RowView& view) {
    return PasteRecords(row, column, ClipboardRecords(text), view);
}

CellBlock Inventory::PasteRecords(std::size_t row, std::size_t column, std::vector<CsvRecord> records,
                                  const RowView& view) {
    const std::size_t shown = view.Size(rows_.size());
    const std::size_t count = view.All() ? records.size() : std::min(records.size(), shown - std::min(row, shown));
    CellBlock block{row, column, count, 0};
    // The rows it changes: in a view of some rows, every row from its first to its last.
    const std::size_t first = view.All() || count == 0 ? row : view[row];
    const std::size_t span = view.All() || count == 0 ? count : view[row + count - 1] - first + 1;
    Change change = Before("вставка " + RowsOf(count), first, span);
    if (row + count > rows_.size()) rows_.resize(row + count);
    for (std::size_t r = 0; r < count; ++r) {
        InventoryRow& target = rows_[view[row + r]];
        std::vector<std::string>& fields = records[r].fields;
        for (std::size_t f = 0; f < fields.size() && column + f < kStationColumns.size(); ++f) {
            SetStationField(target.typed, column + f, std::move(fields[f]));
            block.columns = std::max(block.columns, f + 1);
        }
        Compute(target);
    }
    Done(std::move(change), span);
    return block;
}

CellBlock Inventory::PasteInto(const CellBlock& block, std::string_view text, const RowView& view) {
    std::vector<CsvRecord> records = ClipboardRecords(text);
    if (const std::optional<std::string> value = FillingValue(records, block)) {
        Fill(block, *value, view);
        return Within(block, view);
    }
    return PasteRecords(block.row, block.column, std::move(records), view);
}

CellBlock Inventory::Within(CellBlock block, const RowView& view) const {
    return Clamp(block, view.Size(rows_.size()), kStationColumns.size());
}

void Inventory::EditCells(const std::string& label, CellBlock block, const RowView& view,
                          const std::function<std::string(std::size_t, std::size_t)>& text) {
    block = Within(block, view);
    if (block.rows == 0 || block.columns == 0) return;
    const std::size_t first = view[block.row], span = view[block.row + block.rows - 1] - first + 1;
    Change change = Before(label + CellsOf(block.rows * block.columns), first, span);
    for (std::size_t r = block.row; r < block.row + block.rows; ++r) {
        InventoryRow& target = rows_[view[r]];
        for (std::size_t c = block.column; c < block.column + block.columns; ++c) {
            SetStationField(target.typed, c, text(view[r], c));
        }
        Compute(target);
    }
    Done(std::move(change), span);
}

void Inventory::Erase(const CellBlock& block, const RowView& view) {
    EditCells("очистка ", block, view, [](std::size_t, std::size_t) { return std::string(); });
}

void Inventory::Fill(const CellBlock& block, const std::string& text, const RowView& view) {
    EditCells("заполнение ", block, view, [&](std::size_t, std::size_t) { return text; });
}

void Inventory::FillDown(CellBlock block, const RowView& view) {
    if (block.rows == 1 && block.row > 0) {
        --block.row;
        block.rows = 2;
    }
    block = Within(block, view);
    if (block.rows < 2) return;
    const StationInputs top = rows_[view[block.row]].typed;
    EditCells("заполнение ", {block.row + 1, block.column, block.rows - 1, block.columns}, view,
              [&](std::size_t, std::size_t c) { return top.*kStationFields[c]; });
}

std::string Inventory::BlockText(const CellBlock& block, const RowView& view) const {
    const CellBlock cells = Clamp(block, view.Size(rows_.size()), InventoryColumns().size());
    return BlockTextOf(cells, [&](std::size_t r) { return CellTexts(view[r]); });
}

std::vector<std::size_t> Inventory::RowsWithNotes() const {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const InventoryRow& row = rows_[i];
        if (!row.blank && (!row.outcome.ok || !row.outcome.partlyRead.empty())) rows.push_back(i);
    }
    return rows;
}

void Inventory::Load(std::string_view bytes, std::string_view name, bool append) {
    std::istringstream csv;
    std::unique_ptr<RecordSource> source;
    std::optional<WorkbookParameters> parameters;
    if (LooksLikeZip(bytes)) {
        source = XlsxRecords(bytes, name);
        parameters = ReadWorkbookParameters(bytes, name, false, separator_);
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
    const std::string file = "«" + std::string(name) + "»";
    Change change = append ? Before("добавление строк файла " + file, rows_.size(), 0)
                           : Before("открытие файла " + file, 0, rows_.size());
    if (parameters) {
        change.parameters = parameters_;
        if (!append) parameters_.clear();
        TakeParameters(std::move(parameters->lines));
    }
    const std::size_t count = loaded.size();
    Splice(change.first, change.rows.size(), std::move(loaded));
    Done(std::move(change), count + KeepOneRow());
}

void Inventory::Reload(std::string_view csv, char separator, std::string_view parameters) {
    Change change = Before("изменения из другого окна", 0, rows_.size());
    std::istringstream stored{std::string(parameters)};
    // In place before the rows are loaded, so that they are counted with them.
    change.parameters = std::exchange(parameters_, ReadPollutionSourceTexts(stored, "другого окна"));
    const char before = separator_;
    separator_ = separator;
    std::vector<InventoryRow> kept;
    kept.swap(rows_);
    try {
        Load(csv, "другого окна.csv", false);
    } catch (const StationsError&) {
        rows_.swap(kept);
        parameters_ = std::move(*change.parameters);
        separator_ = before;
        throw;
    }
    undo_.back() = std::move(change);
    undo_.back().count = rows_.size();
}

void Inventory::Clear() {
    Change change = Before("очистка перечня", 0, rows_.size());
    change.parameters = std::move(parameters_);
    parameters_.clear();
    rows_.clear();
    Done(std::move(change), KeepOneRow());
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

namespace {

// The library writes a workbook to a file of its own (in the page, in the
// module's file system in memory), which `write` fills; it is read back and,
// never committed, removed.
std::string WorkbookBytes(const std::function<void(const std::filesystem::path&)>& write) {
    const AtomicFile file(std::filesystem::temp_directory_path() / "korvel-book.xlsx", "книгу");
    write(file.TemporaryPath());
    std::ifstream in(file.TemporaryPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::string Inventory::SummaryXlsx(const std::string& title) const {
    if (const std::string fault = SourcesFault(); !fault.empty()) throw StationsError(fault);
    return WorkbookBytes([&](const std::filesystem::path& path) {
        const auto summary = XlsxSummary(path, title, kPageProgram, separator_);
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (!rows_[i].blank) summary->Add({i + 1, rows_[i].typed, rows_[i].outcome}, {});
        }
        summary->Finish(sourceTable_.Wanted() ? &sourceTable_ : nullptr);
    });
}

std::string Inventory::InventoryXlsx(const std::string& title) const {
    return WorkbookBytes([&](const std::filesystem::path& path) {
        WriteInventoryWorkbook(
            path, "Посты и ИЗА предприятия «" + title + "»", kPageProgram, rows_.size(),
            [&](std::size_t i) -> const StationInputs& { return rows_[i].typed; }, parameters_, separator_);
    });
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
