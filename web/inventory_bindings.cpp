// SPDX-License-Identifier: GPL-3.0-or-later
// What the inventory page calls: its one table of sources, kept here, and
// the files made from it. Rows go out as the texts the table shows.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "calc/number_rules.h"
#include "calc/substances.h"
#include "sheets/stations_table.h"
#include "web/inventory.h"

namespace korvel::web {
namespace {

using emscripten::val;

Inventory& Table() {
    static Inventory table('.');
    return table;
}

char Separator(const std::string& text) { return text == "," ? ',' : '.'; }

// A copy the page owns (see bindings.cpp).
val Bytes(const std::string& bytes) {
    const auto view = emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data()));
    return val::global("Uint8Array").new_(val(view));
}

// How the row reads: "blank" (no source), "ok", "flagged" (computed, with
// validation messages) or "failed" (stopped before its report).
const char* State(const InventoryRow& row) {
    if (row.blank) return "blank";
    if (row.outcome.ok) return "ok";
    return row.outcome.computed ? "flagged" : "failed";
}

// Texts handed over as one record: each a 32-bit little-endian byte count
// and its UTF-8 bytes. One call and one view per request: a JS string per
// cell through the bindings costs more than the rows' computing.
class Record {
public:
    void Text(std::string_view text) {
        const auto count = static_cast<std::uint32_t>(text.size());
        for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<char>((count >> shift) & 0xFF));
        bytes_.append(text);
    }
    // A view of the bytes, valid until the next record is made.
    val View() {
        static std::string last;
        last = std::move(bytes_);
        return val(emscripten::typed_memory_view(last.size(), reinterpret_cast<const unsigned char*>(last.data())));
    }

private:
    std::string bytes_;
};

// Per row: state, the seven inputs, b, t, status, G and M of each substance.
void RowTexts(Record& record, const InventoryRow& row, char separator) {
    record.Text(State(row));
    for (const auto field : kStationFields) record.Text(row.typed.*field);
    const StationOutcome& outcome = row.outcome;
    record.Text(outcome.dailyConsumption);
    record.Text(outcome.weldingTime);
    record.Text(outcome.status);
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        record.Text(outcome.computed ? NumberText(outcome.results.maxEmission[i], separator) : std::string());
        record.Text(outcome.computed ? NumberText(outcome.results.grossEmission[i], separator) : std::string());
    }
}

val Rows(std::size_t first, std::size_t count) {
    const Inventory& table = Table();
    Record record;
    for (std::size_t i = first; i < table.Size() && i < first + count; ++i) RowTexts(record, table.Row(i), table.Separator());
    return record.View();
}

val Totals() {
    Record record;
    for (const double total : Table().Totals()) record.Text(NumberText(total, Table().Separator()));
    return record.View();
}

val Block(const CellBlock& block) {
    val result = val::object();
    result.set("row", block.row);
    result.set("column", block.column);
    result.set("rows", block.rows);
    result.set("columns", block.columns);
    return result;
}

val Undo() {
    const std::optional<CellBlock> block = Table().Undo();
    return block ? Block(*block) : val::null();
}

// null, or the message of a file that cannot be read (with its line and column).
val Load(const std::string& bytes, const std::string& name, bool append) {
    try {
        Table().Load(bytes, name, append);
        return val::null();
    } catch (const StationsError& error) {
        return val(std::string(error.what()));
    }
}

// {report, totalsCsv, name}, or null for a row without a report.
val Report(std::size_t row) {
    const auto report = Table().Report(row);
    if (!report) return val::null();
    val result = val::object();
    result.set("report", Bytes(report->first));
    result.set("totalsCsv", Bytes(report->second));
    result.set("name", Table().ReportName(row));
    return result;
}

// {sources, ok}: the rows that are sources, and those that are ok.
val Counts() {
    std::size_t sources = 0, ok = 0;
    for (std::size_t i = 0; i < Table().Size(); ++i) {
        const InventoryRow& row = Table().Row(i);
        sources += row.blank ? 0 : 1;
        ok += row.outcome.ok ? 1 : 0;
    }
    val result = val::object();
    result.set("sources", sources);
    result.set("ok", ok);
    return result;
}

// The columns' names in files, and the substances' codes and names.
val Columns() {
    val result = val::object();
    val inputs = val::array();
    for (const std::string_view name : kStationColumns) inputs.call<void>("push", std::string(name));
    val substances = val::array();
    for (const Substance& s : SubstanceCatalogue) {
        val substance = val::array();
        substance.call<void>("push", std::string(s.code));
        substance.call<void>("push", std::string(s.name));
        substances.call<void>("push", substance);
    }
    val brands = val::array();
    for (const Brand& brand : BrandTable) brands.call<void>("push", std::string(brand.name));
    result.set("inputs", inputs);
    result.set("substances", substances);
    result.set("brands", brands);
    return result;
}

}  // namespace
}  // namespace korvel::web

EMSCRIPTEN_BINDINGS(korvel_inventory) {
    using namespace korvel::web;
    namespace em = emscripten;
    em::function("columns", &Columns);
    em::function("size", +[] { return Table().Size(); });
    em::function("rows", &Rows);
    em::function("totals", &Totals);
    em::function("counts", &Counts);
    em::function("state", +[](std::size_t row) { return std::string(State(Table().Row(row))); });
    em::function("setSeparator", +[](const std::string& separator) { Table().SetSeparator(Separator(separator)); });
    em::function("set", +[](std::size_t row, std::size_t column, const std::string& text) { Table().Set(row, column, text); });
    em::function("insert", +[](std::size_t at, std::size_t count) { Table().Insert(at, count); });
    em::function("duplicate", +[](std::size_t first, std::size_t count) { Table().Duplicate(first, count); });
    em::function("remove", +[](std::size_t first, std::size_t count) { Table().Delete(first, count); });
    em::function("undo", &Undo);
    em::function("canUndo", +[] { return Table().CanUndo(); });
    em::function("paste", +[](std::size_t row, std::size_t column, const std::string& text) {
        return Block(Table().Paste(row, column, text));
    });
    em::function("load", &Load);
    em::function("clear", +[] { Table().Clear(); });
    em::function("sourcesCsv", +[] { return Bytes(Table().SourcesCsv()); });
    em::function("summaryCsv", +[] { return Bytes(Table().SummaryCsv()); });
    em::function("summaryXlsx", +[](const std::string& title) { return Bytes(Table().SummaryXlsx(title)); });
    em::function("reportsZip", +[] { return Bytes(Table().ReportsZip()); });
    em::function("report", &Report);
}
