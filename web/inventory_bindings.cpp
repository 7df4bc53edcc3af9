// SPDX-License-Identifier: GPL-3.0-or-later
// What the inventory page calls: its one table of sources, kept here, and the
// files made from it. One function, korvel_inventory, takes a record whose
// first field names the call and whose others are its arguments (numbers as
// decimal texts) and answers a record (web/record.h); the calls are listed
// below. Rows go out as the texts the table shows.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "calc/number_rules.h"
#include "calc/substances.h"
#include "sheets/inventory.h"
#include "sheets/pollution_sources.h"
#include "sheets/stations_table.h"
#include "web/record.h"

namespace korvel::web {
namespace {

Inventory& Table() {
    static Inventory table('.');
    return table;
}

// The rows the page shows: every row, or with the filter on only the rows
// with notes. Rows added or removed move with the view, added ones shown;
// after any other change of rows the filter is applied anew.
struct Shown {
    bool filtered = false;
    RowView view;
};

Shown& Showing() {
    static Shown shown;
    return shown;
}

const RowView& View() { return Showing().view; }

void Reshow() { Showing().view = Showing().filtered ? RowView(Table().RowsWithNotes()) : RowView(); }

// The inventory's row shown as `row`; past the rows shown, one past the last row.
std::size_t RowAt(std::size_t row) {
    const std::size_t shown = View().Size(Table().Size());
    return row < shown ? View()[row] : row == shown && shown > 0 ? View()[shown - 1] + 1 : Table().Size();
}

// How many of `count` rows from `first` on the inventory has.
std::size_t Within(std::size_t first, std::size_t count) {
    return std::min(count, Table().Size() - std::min(first, Table().Size()));
}

char Separator(const std::string& text) { return text == "," ? ',' : '.'; }

// How the row reads: "blank" (no source), "ok", "flagged" (computed, with
// validation messages) or "failed" (stopped before its report).
const char* State(const InventoryRow& row) {
    if (row.blank) return "blank";
    if (row.outcome.ok) return "ok";
    return row.outcome.computed ? "flagged" : "failed";
}

// How a row of the table of sources reads: "failed" (a parameter cannot be
// applied), "flagged" (posts that failed are left out of the sums), "unused"
// (no post names it) or "ok"; then " fixed" for the posts of no source, a row
// with nothing to type.
std::string State(const PollutionSourceEntry& entry) {
    std::string state = !entry.fault.empty()                        ? "failed"
                        : !entry.line.failedRows.empty()            ? "flagged"
                        : entry.line.assigned && !entry.line.Used() ? "unused"
                                                                    : "ok";
    if (!entry.line.assigned) state += " fixed";
    return state;
}

constexpr std::array<const char*, 5> kKinds{"input", "computed", "status", "g", "m"};

// Each column (after their count): caption, name, tooltip, kind (kKinds),
// substance code, width class.
void Columns(RecordWriter& out, const std::vector<InventoryColumn>& columns) {
    out.Number(columns.size());
    for (const InventoryColumn& c : columns) {
        out.Text(c.caption).Text(c.name).Text(c.title).Text(kKinds.at(static_cast<std::size_t>(c.kind)));
        out.Text(c.code).Text(c.width);
    }
}

// A printed table: its heading, its notes after their count, then its rows
// (captions first), each after its count of cells, after their count.
void Printed(RecordWriter& out, const PrintedTable& printed) {
    out.Text(printed.heading).Number(printed.notes.size());
    for (const std::string& note : printed.notes) out.Text(note);
    out.Number(printed.rows.size());
    for (const std::vector<std::string>& row : printed.rows) {
        out.Number(row.size());
        for (const std::string& text : row) out.Text(text);
    }
}

// The row's number, its state, the text of each column, then the notice of
// each input column ("прочитано как 200", or empty).
void RowTexts(RecordWriter& out, const Inventory& table, std::size_t row) {
    out.Number(row + 1).Text(State(table.Row(row)));
    for (const std::string& text : table.CellTexts(row)) out.Text(text);
    std::array<std::string_view, kStationColumns.size()> notices{};
    for (const PartlyReadCell& cell : table.Row(row).outcome.partlyRead) notices.at(cell.column) = cell.notice;
    for (const std::string_view notice : notices) out.Text(notice);
}

// A block of cells: row, column, rows, columns, and whether it lies in the table of sources.
void Block(RecordWriter& out, const CellBlock& block) {
    out.Number(block.row).Number(block.column).Number(block.rows).Number(block.columns).Flag(block.sources);
}

CellBlock ReadBlock(RecordReader& in) {
    CellBlock block;
    block.row = in.Number();
    block.column = in.Number();
    block.rows = in.Number();
    block.columns = in.Number();
    return block;
}

using Call = std::function<void(RecordReader& in, RecordWriter& out)>;
using CallTable = std::map<std::string, Call, std::less<>>;

// The block a change taken back or made again fills, in shown rows, or nothing.
void MaybeBlock(RecordWriter& out, std::optional<CellBlock> block) {
    Reshow();
    if (!block) return;
    if (!block->sources) block->row = View().Find(block->row);
    Block(out, *block);
}

// Absent when `read` takes its input, else the message of what cannot be read.
void Reading(RecordWriter& out, const std::function<void()>& read) {
    try {
        read();
        out.Absent();
    } catch (const StationsError& error) {
        out.Text(error.what());
    }
}

// Absent and the bytes `write` makes, or the message of why it cannot.
void Written(RecordWriter& out, const std::function<std::string()>& write) {
    try {
        const std::string bytes = write();
        out.Absent().Text(bytes);
    } catch (const StationsError& error) {
        out.Text(error.what());
    }
}

// What the page shows of the table.
void AddViewCalls(CallTable& calls) {
    // Each column (after their count): caption, name, tooltip, kind (kKinds),
    // substance code, width class; the brands after their count.
    calls["columns"] = [](RecordReader&, RecordWriter& out) {
        Columns(out, InventoryColumns());
        out.Number(BrandTable.size());
        for (const Brand& brand : BrandTable) out.Text(brand.name);
    };
    // first, count (shown rows) → the texts of each of those rows (RowTexts).
    calls["rows"] = [](RecordReader& in, RecordWriter& out) {
        const Inventory& table = Table();
        const std::size_t first = in.Number(), count = in.Number(), shown = View().Size(table.Size());
        for (std::size_t i = first; i < shown && i < first + count; ++i) RowTexts(out, table, View()[i]);
    };
    // a block (row, column, rows, columns) → its texts as a spreadsheet copies them.
    calls["copy"] = [](RecordReader& in, RecordWriter& out) { out.Text(Table().BlockText(ReadBlock(in), View())); };
    // → the totals row: its label, then its text in each column.
    calls["totals"] = [](RecordReader&, RecordWriter& out) {
        for (const std::string& text : Table().TotalsTexts()) out.Text(text);
    };
    // the inventory's name → the printed totals' heading, then its rows
    // (captions first), each after its count of cells, after their count.
    calls["printTotals"] = [](RecordReader& in, RecordWriter& out) { Printed(out, Table().PrintedTotals(in.Text())); };
    // the inventory's name → the printed table of sources (Printed).
    calls["printSources"] = [](RecordReader& in, RecordWriter& out) { Printed(out, Table().PrintedSources(in.Text())); };
    // the inventory's name → the names of its sources CSV, summary CSV,
    // summary workbook, reports archive, table of sources of pollution and whole workbook.
    calls["fileNames"] = [](RecordReader& in, RecordWriter& out) {
        const InventoryFileNames names = FileNamesOf(in.Text());
        out.Text(names.sources).Text(names.summaryCsv).Text(names.summaryXlsx).Text(names.reportsZip);
        out.Text(names.pollutionSources).Text(names.inventoryXlsx);
    };
}

// The status line's counts and the history buttons' states.
void AddStateCalls(CallTable& calls) {
    // → rows shown, sources, ok sources, cells read only in part, whether the filter is on.
    calls["counts"] = [](RecordReader&, RecordWriter& out) {
        std::size_t sources = 0, ok = 0;
        for (std::size_t i = 0; i < Table().Size(); ++i) {
            sources += Table().Row(i).blank ? 0 : 1;
            ok += Table().Row(i).outcome.ok ? 1 : 0;
        }
        out.Number(View().Size(Table().Size())).Number(sources).Number(ok).Number(Table().PartlyReadCount());
        out.Flag(Showing().filtered);
    };
    // "1" to show only the rows with notes (taken now), else every row.
    calls["filter"] = [](RecordReader& in, RecordWriter&) {
        Showing().filtered = in.Text() == "1";
        Reshow();
    };
    // → whether there is a change to undo, the undo button's caption, the
    // same of redo, and the separator.
    calls["history"] = [](RecordReader&, RecordWriter& out) {
        out.Flag(Table().CanUndo()).Text(Table().UndoCaption());
        out.Flag(Table().CanRedo()).Text(Table().RedoCaption());
        out.Text(std::string(1, Table().Separator()));
    };
}

// Every change of the table, and its history. Rows are shown rows.
void AddEditCalls(CallTable& calls) {
    calls["setSeparator"] = [](RecordReader& in, RecordWriter&) {
        Table().SetSeparator(Separator(in.Text()));
        Reshow();
    };
    // row, column, text.
    calls["set"] = [](RecordReader& in, RecordWriter&) {
        const std::size_t row = RowAt(in.Number()), column = in.Number();
        Table().Set(row, column, in.Text());
    };
    // A row after the last when every row is shown; under the filter rows
    // past the last shown are not the table's last.
    calls["append"] = [](RecordReader&, RecordWriter& out) {
        if (!Showing().filtered) Table().Insert(Table().Size(), 1);
        out.Flag(!Showing().filtered);
    };
    // at, count.
    calls["insert"] = [](RecordReader& in, RecordWriter&) {
        const std::size_t at = RowAt(in.Number()), count = in.Number();
        Table().Insert(at, count);
        Showing().view.Inserted(at, count);
    };
    // first, count: the inventory's rows from the shown row `first` on.
    calls["duplicate"] = [](RecordReader& in, RecordWriter&) {
        const std::size_t first = RowAt(in.Number()), count = Within(first, in.Number());
        Table().Duplicate(first, count);
        Showing().view.Inserted(first + count, count);
    };
    calls["remove"] = [](RecordReader& in, RecordWriter&) {
        const std::size_t first = RowAt(in.Number()), count = Within(first, in.Number());
        Table().Delete(first, count);
        Showing().view.Removed(first, count);
    };
    // a selected block, the clipboard's text → the block it filled.
    calls["paste"] = [](RecordReader& in, RecordWriter& out) {
        const CellBlock block = ReadBlock(in);
        Block(out, Table().PasteInto(block, in.Text(), View()));
    };
    // a block.
    calls["erase"] = [](RecordReader& in, RecordWriter&) { Table().Erase(ReadBlock(in), View()); };
    calls["fillDown"] = [](RecordReader& in, RecordWriter&) { Table().FillDown(ReadBlock(in), View()); };
    calls["clear"] = [](RecordReader&, RecordWriter&) {
        Table().Clear();
        Reshow();
    };
    calls["undo"] = [](RecordReader&, RecordWriter& out) { MaybeBlock(out, Table().Undo()); };
    calls["redo"] = [](RecordReader&, RecordWriter& out) { MaybeBlock(out, Table().Redo()); };
    calls["forgetHistory"] = [](RecordReader&, RecordWriter&) { Table().ForgetHistory(); };
}

// Files into the table: opened, or as another window stored them.
void AddOpenCalls(CallTable& calls) {
    // bytes, file name, "1" to append → absent, or the message of a file
    // that cannot be read (with its line and column).
    calls["load"] = [](RecordReader& in, RecordWriter& out) {
        const std::string bytes = in.Text(), name = in.Text();
        const bool append = in.Text() == "1";
        Reading(out, [&] { Table().Load(bytes, name, append); });
        Reshow();
    };
    // korvel-batch input as another window stored it, its separator, its
    // parameters of sources → absent, or the message of input that cannot be read.
    calls["reload"] = [](RecordReader& in, RecordWriter& out) {
        const std::string csv = in.Text();
        const char separator = Separator(in.Text());
        const std::string parameters = in.Text();
        Reading(out, [&] { Table().Reload(csv, separator, parameters); });
        Reshow();
    };
    // the parameters of sources as stored, or a parameters file, and its
    // name → absent, or the message of what cannot be read.
    calls["loadParameters"] = [](RecordReader& in, RecordWriter& out) {
        const std::string bytes = in.Text(), name = in.Text();
        Reading(out, [&] { Table().LoadParameters(bytes, name); });
    };
    // bytes → whether they are a parameters file rather than rows.
    calls["isParameters"] = [](RecordReader& in, RecordWriter& out) { out.Flag(IsPollutionSourceFile(in.Text())); };
}

// Files made of the table.
void AddFileCalls(CallTable& calls) {
    calls["parametersCsv"] = [](RecordReader&, RecordWriter& out) { out.Text(Table().ParametersCsv()); };
    calls["sourcesCsv"] = [](RecordReader&, RecordWriter& out) { out.Text(Table().SourcesCsv()); };
    calls["summaryCsv"] = [](RecordReader&, RecordWriter& out) { out.Text(Table().SummaryCsv()); };
    // the inventory's name → absent and the workbook, or why the table of
    // sources cannot be written.
    calls["summaryXlsx"] = [](RecordReader& in, RecordWriter& out) {
        const std::string title = in.Text();
        Written(out, [&] { return Table().SummaryXlsx(title); });
    };
    // the inventory's name → its rows and parameters as one workbook.
    calls["inventoryXlsx"] = [](RecordReader& in, RecordWriter& out) { out.Text(Table().InventoryXlsx(in.Text())); };
    calls["pollutionSourcesCsv"] = [](RecordReader&, RecordWriter& out) {
        Written(out, [] { return Table().PollutionSourcesCsv(); });
    };
    // → the report (Windows-1251) of every row without an error, in order: what the inventory prints.
    calls["printReports"] = [](RecordReader&, RecordWriter& out) {
        for (std::size_t i = 0; i < Table().Size(); ++i) {
            if (!Table().Row(i).outcome.ok) continue;
            if (const auto report = Table().Report(i)) out.Text(report->first);
        }
    };
    calls["reportsZip"] = [](RecordReader&, RecordWriter& out) { out.Text(Table().ReportsZip()); };
    // row → its report (Windows-1251), its totals as CSV and the report's
    // file name; all absent for a row without a report.
    calls["report"] = [](RecordReader& in, RecordWriter& out) {
        const std::size_t row = RowAt(in.Number());
        if (const auto report = Table().Report(row)) {
            out.Text(report->first).Text(report->second).Text(Table().ReportName(row));
        } else {
            out.Absent().Absent().Absent();
        }
    };
}

// The table of sources of pollution: what it shows, and its edits.
void AddSourceCalls(CallTable& calls) {
    // The columns (as "columns" gives them), then the heading of the rows' numbers.
    calls["sourceColumns"] = [](RecordReader&, RecordWriter& out) {
        Columns(out, PollutionSourceViewColumns());
        out.Text(kPollutionSourceHeading);
    };
    calls["sourceCount"] = [](RecordReader&, RecordWriter& out) { out.Number(Table().SourceCount()); };
    // first, count → of each of those rows its state, its number, then its text in each column.
    calls["sourceRows"] = [](RecordReader& in, RecordWriter& out) {
        const Inventory& table = Table();
        const std::size_t first = in.Number(), count = in.Number();
        for (std::size_t i = first; i < table.SourceCount() && i < first + count; ++i) {
            out.Text(State(table.Source(i)));
            for (const std::string& text : table.SourceCellTexts(i)) out.Text(text);
        }
    };
    calls["sourceTotals"] = [](RecordReader&, RecordWriter& out) {
        for (const std::string& text : Table().SourceTotalsTexts()) out.Text(text);
    };
    // row, column, text.
    calls["setSource"] = [](RecordReader& in, RecordWriter&) {
        const std::size_t row = in.Number(), column = in.Number();
        Table().SetSource(row, column, in.Text());
    };
    // As "paste", "erase", "fillDown" and "copy" in the rows.
    calls["pasteSources"] = [](RecordReader& in, RecordWriter& out) {
        const CellBlock block = ReadBlock(in);
        Block(out, Table().PasteSourcesInto(block, in.Text()));
    };
    calls["eraseSources"] = [](RecordReader& in, RecordWriter&) { Table().EraseSources(ReadBlock(in)); };
    calls["fillSourcesDown"] = [](RecordReader& in, RecordWriter&) { Table().FillSourcesDown(ReadBlock(in)); };
    calls["copySources"] = [](RecordReader& in, RecordWriter& out) {
        out.Text(Table().SourceBlockText(ReadBlock(in)));
    };
    // first, count.
    calls["removeSources"] = [](RecordReader& in, RecordWriter&) {
        const std::size_t first = in.Number();
        Table().DeleteSources(first, in.Number());
    };
}

const CallTable& Calls() {
    static const CallTable calls = [] {
        CallTable table;
        AddViewCalls(table);
        AddSourceCalls(table);
        AddStateCalls(table);
        AddEditCalls(table);
        AddOpenCalls(table);
        AddFileCalls(table);
        return table;
    }();
    return calls;
}

}  // namespace
}  // namespace korvel::web

extern "C" {

// An unknown call, or a row beyond the table, answers an empty record.
EMSCRIPTEN_KEEPALIVE const char* korvel_inventory(const char* record, std::size_t size) {
    using namespace korvel::web;
    RecordReader in(record, size);
    RecordWriter out;
    const std::string name = in.Text();
    const auto call = Calls().find(name);
    if (call != Calls().end()) {
        try {
            call->second(in, out);
        } catch (const std::out_of_range&) {
            out = RecordWriter();
        }
    }
    return Answer(out);
}

}  // extern "C"
