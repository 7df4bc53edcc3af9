// SPDX-License-Identifier: GPL-3.0-or-later
// What the inventory page calls: its one table of sources, kept here, and the
// files made from it. One function, korvel_inventory, takes a record whose
// first field names the call and whose others are its arguments (numbers as
// decimal texts) and answers a record (web/record.h); the calls are listed
// below. Rows go out as the texts the table shows.
#include <emscripten/emscripten.h>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "calc/number_rules.h"
#include "calc/substances.h"
#include "sheets/stations_table.h"
#include "sheets/inventory.h"
#include "web/record.h"

namespace korvel::web {
namespace {

Inventory& Table() {
    static Inventory table('.');
    return table;
}

char Separator(const std::string& text) { return text == "," ? ',' : '.'; }

// How the row reads: "blank" (no source), "ok", "flagged" (computed, with
// validation messages) or "failed" (stopped before its report).
const char* State(const InventoryRow& row) {
    if (row.blank) return "blank";
    if (row.outcome.ok) return "ok";
    return row.outcome.computed ? "flagged" : "failed";
}

constexpr std::array<const char*, 5> kKinds{"input", "computed", "status", "g", "m"};

// State, the text of each column, then the notice of each input column
// ("прочитано как 200", or empty).
void RowTexts(RecordWriter& out, const Inventory& table, std::size_t row) {
    out.Text(State(table.Row(row)));
    for (const std::string& text : table.CellTexts(row)) out.Text(text);
    std::array<std::string_view, kStationColumns.size()> notices{};
    for (const PartlyReadCell& cell : table.Row(row).outcome.partlyRead) notices.at(cell.column) = cell.notice;
    for (const std::string_view notice : notices) out.Text(notice);
}

// A block of cells: row, column, rows, columns.
void Block(RecordWriter& out, const CellBlock& block) {
    out.Number(block.row).Number(block.column).Number(block.rows).Number(block.columns);
}

using Call = std::function<void(RecordReader& in, RecordWriter& out)>;
using CallTable = std::map<std::string, Call, std::less<>>;

// The block a change taken back or made again fills, or nothing.
void MaybeBlock(RecordWriter& out, const std::optional<CellBlock>& block) {
    if (block) Block(out, *block);
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

// What the page shows of the table.
void AddViewCalls(CallTable& calls) {
    // Each column (after their count): caption, name, tooltip, kind (kKinds),
    // substance code, width class; the brands after their count.
    calls["columns"] = [](RecordReader&, RecordWriter& out) {
        out.Number(InventoryColumns().size());
        for (const InventoryColumn& c : InventoryColumns()) {
            out.Text(c.caption).Text(c.name).Text(c.title).Text(kKinds.at(static_cast<std::size_t>(c.kind)));
            out.Text(c.code).Text(c.width);
        }
        out.Number(BrandTable.size());
        for (const Brand& brand : BrandTable) out.Text(brand.name);
    };
    // first, count → the texts of each of those rows (RowTexts).
    calls["rows"] = [](RecordReader& in, RecordWriter& out) {
        const Inventory& table = Table();
        const std::size_t first = in.Number(), count = in.Number();
        for (std::size_t i = first; i < table.Size() && i < first + count; ++i) RowTexts(out, table, i);
    };
    // → the totals row: its label, then its text in each column.
    calls["totals"] = [](RecordReader&, RecordWriter& out) {
        for (const std::string& text : Table().TotalsTexts()) out.Text(text);
    };
    // the inventory's name → the printed totals' heading, then its rows
    // (captions first), each after its count of cells, after their count.
    calls["printTotals"] = [](RecordReader& in, RecordWriter& out) {
        const auto [heading, rows] = Table().PrintedTotals(in.Text());
        out.Text(heading).Number(rows.size());
        for (const std::vector<std::string>& row : rows) {
            out.Number(row.size());
            for (const std::string& text : row) out.Text(text);
        }
    };
    // the inventory's name → the names of its sources CSV, summary CSV,
    // summary workbook and reports archive.
    calls["fileNames"] = [](RecordReader& in, RecordWriter& out) {
        const InventoryFileNames names = FileNamesOf(in.Text());
        out.Text(names.sources).Text(names.summaryCsv).Text(names.summaryXlsx).Text(names.reportsZip);
    };
}

// The status line's counts and the history buttons' states.
void AddStateCalls(CallTable& calls) {
    // → rows, sources, ok sources, cells read only in part.
    calls["counts"] = [](RecordReader&, RecordWriter& out) {
        std::size_t sources = 0, ok = 0;
        for (std::size_t i = 0; i < Table().Size(); ++i) {
            sources += Table().Row(i).blank ? 0 : 1;
            ok += Table().Row(i).outcome.ok ? 1 : 0;
        }
        out.Number(Table().Size()).Number(sources).Number(ok).Number(Table().PartlyReadCount());
    };
    // → whether there is a change to undo, the undo button's caption, the
    // same of redo, and the separator.
    calls["history"] = [](RecordReader&, RecordWriter& out) {
        out.Flag(Table().CanUndo()).Text(Table().UndoCaption());
        out.Flag(Table().CanRedo()).Text(Table().RedoCaption());
        out.Text(std::string(1, Table().Separator()));
    };
}

// Every change of the table, and its history.
void AddEditCalls(CallTable& calls) {
    calls["setSeparator"] = [](RecordReader& in, RecordWriter&) { Table().SetSeparator(Separator(in.Text())); };
    // row, column, text.
    calls["set"] = [](RecordReader& in, RecordWriter&) {
        const std::size_t row = in.Number(), column = in.Number();
        Table().Set(row, column, in.Text());
    };
    // at, count.
    calls["insert"] = [](RecordReader& in, RecordWriter&) {
        const std::size_t at = in.Number();
        Table().Insert(at, in.Number());
    };
    // first, count.
    calls["duplicate"] = [](RecordReader& in, RecordWriter&) {
        const std::size_t first = in.Number();
        Table().Duplicate(first, in.Number());
    };
    calls["remove"] = [](RecordReader& in, RecordWriter&) {
        const std::size_t first = in.Number();
        Table().Delete(first, in.Number());
    };
    // row, column, tab-separated text → the block it filled.
    calls["paste"] = [](RecordReader& in, RecordWriter& out) {
        const std::size_t row = in.Number(), column = in.Number();
        Block(out, Table().Paste(row, column, in.Text()));
    };
    calls["clear"] = [](RecordReader&, RecordWriter&) { Table().Clear(); };
    calls["undo"] = [](RecordReader&, RecordWriter& out) { MaybeBlock(out, Table().Undo()); };
    calls["redo"] = [](RecordReader&, RecordWriter& out) { MaybeBlock(out, Table().Redo()); };
    calls["forgetHistory"] = [](RecordReader&, RecordWriter&) { Table().ForgetHistory(); };
}

// Files into the table and out of it.
void AddFileCalls(CallTable& calls) {
    // bytes, file name, "1" to append → absent, or the message of a file
    // that cannot be read (with its line and column).
    calls["load"] = [](RecordReader& in, RecordWriter& out) {
        const std::string bytes = in.Text(), name = in.Text();
        const bool append = in.Text() == "1";
        Reading(out, [&] { Table().Load(bytes, name, append); });
    };
    // korvel-batch input as another window stored it, its separator →
    // absent, or the message of input that cannot be read.
    calls["reload"] = [](RecordReader& in, RecordWriter& out) {
        const std::string csv = in.Text();
        const char separator = Separator(in.Text());
        Reading(out, [&] { Table().Reload(csv, separator); });
    };
    calls["sourcesCsv"] = [](RecordReader&, RecordWriter& out) { out.Text(Table().SourcesCsv()); };
    calls["summaryCsv"] = [](RecordReader&, RecordWriter& out) { out.Text(Table().SummaryCsv()); };
    // the inventory's name.
    calls["summaryXlsx"] = [](RecordReader& in, RecordWriter& out) { out.Text(Table().SummaryXlsx(in.Text())); };
    calls["reportsZip"] = [](RecordReader&, RecordWriter& out) { out.Text(Table().ReportsZip()); };
    // row → its report (Windows-1251), its totals as CSV and the report's
    // file name; all absent for a row without a report.
    calls["report"] = [](RecordReader& in, RecordWriter& out) {
        const std::size_t row = in.Number();
        if (const auto report = Table().Report(row)) {
            out.Text(report->first).Text(report->second).Text(Table().ReportName(row));
        } else {
            out.Absent().Absent().Absent();
        }
    };
}

const CallTable& Calls() {
    static const CallTable calls = [] {
        CallTable table;
        AddViewCalls(table);
        AddStateCalls(table);
        AddEditCalls(table);
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
