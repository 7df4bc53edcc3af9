// SPDX-License-Identifier: GPL-3.0-or-later
// The inventory module's calls as the page makes them, through records
// (web/record.js): the table of sources lives in the module
// (web/inventory_bindings.cpp names every call and what it answers). The
// calls come in the bindings' groups: what the table shows, its state, its
// edits, the files, and the table of sources of pollution.
import {recordCaller} from "./record.js";

// Every text left in the answer.
function all(reader) {
    const texts = [];
    while (!reader.done()) texts.push(reader.text());
    return texts;
}

// The fields of a block of cells, and a block as answered (null when absent).
const cells = ({row, column, rows, columns}) => [row, column, rows, columns];
const block = (reader) => (reader.done() ? null
    : {row: reader.number(), column: reader.number(), rows: reader.number(), columns: reader.number(),
        sources: reader.flag()});

// [{caption, name, title, kind, code, width}, ...]
const columnList = (out) => out.list((r) => ({caption: r.text(), name: r.text(), title: r.text(), kind: r.text(),
    code: r.text(), width: r.text()}));

// {heading, notes: [...], rows: [[captions...], [cells...], ...]}
const printed = (out) => ({heading: out.text(), notes: out.list((r) => r.text()),
    rows: out.list((r) => r.list((cell) => cell.text()))});

// {error: null or why the file cannot be made, bytes}
function written(out) {
    const error = out.text();
    return {error, bytes: error === null ? out.bytes() : null};
}

// A totals row: {label, texts: one per column}.
function totalsRow(out) {
    const [label, ...texts] = all(out);
    return {label, texts};
}

// Rows answered as one run of texts, `width` of them a row, each made by `row(texts, at)`.
const rowsOf = (texts, width, row) => Array.from({length: texts.length / width}, (_, i) => row(texts, i * width));

// What the page shows of the table of posts.
function viewCalls(call) {
    let shape = null;  // of a row's record: the columns' and the inputs' count
    return {
        // {columns: [{caption, name, title, kind, code, width}, ...], brands}
        columns() {
            const out = call("columns");
            const columns = columnList(out);
            return {columns, brands: out.list((r) => r.text())};
        },
        // [{number, state, texts: one per column, notices: one per input column}, ...]
        rows(first, count) {
            if (shape === null) {
                const {columns} = this.columns();
                shape = {columns: columns.length, inputs: columns.filter((c) => c.kind === "input").length};
            }
            const {columns, inputs} = shape;
            return rowsOf(all(call("rows", first, count)), 2 + columns + inputs, (texts, at) => ({
                number: texts[at], state: texts[at + 1], texts: texts.slice(at + 2, at + 2 + columns),
                notices: texts.slice(at + 2 + columns, at + 2 + columns + inputs),
            }));
        },
        totals: () => totalsRow(call("totals")),
        printTotals: (name) => printed(call("printTotals", name)),
        printSources: (name) => printed(call("printSources", name)),
        // {sources, summaryCsv, summaryXlsx, reportsZip, pollutionSources, inventoryXlsx}
        fileNames(name) {
            const out = call("fileNames", name);
            return {sources: out.text(), summaryCsv: out.text(), summaryXlsx: out.text(), reportsZip: out.text(),
                pollutionSources: out.text(), inventoryXlsx: out.text()};
        },
    };
}

// The status line's counts, the filter and the history buttons' states.
function stateCalls(call) {
    return {
        // {size: the rows shown, sources, ok, partlyRead, filtered}
        counts() {
            const out = call("counts");
            return {size: out.number(), sources: out.number(), ok: out.number(), partlyRead: out.number(),
                filtered: out.flag()};
        },
        size() {
            return this.counts().size;
        },
        // Only the rows with errors and notes shown, or every row.
        filter: (on) => call("filter", on ? "1" : ""),
        // {canUndo, undo, canRedo, redo, separator}: the buttons' states and
        // captions, and the separator the history has come to.
        history() {
            const out = call("history");
            return {canUndo: out.flag(), undo: out.text(), canRedo: out.flag(), redo: out.text(), separator: out.text()};
        },
    };
}

// Every change of the table of posts, and its history. Rows are the rows shown.
function editCalls(call) {
    return {
        setSeparator: (separator) => call("setSeparator", separator),
        set: (row, column, text) => call("set", row, column, text),
        insert: (at, count) => call("insert", at, count),
        // Whether a row was added after the last.
        append: () => call("append").flag(),
        duplicate: (first, count) => call("duplicate", first, count),
        remove: (first, count) => call("remove", first, count),
        // Blocks are {row, column, rows, columns} of the rows shown.
        paste: (at, text) => block(call("paste", ...cells(at), text)),
        erase: (at) => call("erase", ...cells(at)),
        fillDown: (at) => call("fillDown", ...cells(at)),
        copy: (at) => call("copy", ...cells(at)).text(),
        clear: () => call("clear"),
        // The block the change taken back or made again fills, or null.
        undo: () => block(call("undo")),
        redo: () => block(call("redo")),
        forgetHistory: () => call("forgetHistory"),
    };
}

// Files into the table and out of it; `caller` passes bytes as they are.
function fileCalls(call, caller) {
    const withBytes = (fields) => caller("korvel_inventory", fields);
    return {
        // null, or the message of a file that cannot be read.
        load: (bytes, name, append) => withBytes(["load", bytes, name, append ? "1" : ""]).text(),
        // null, or the message of rows another window stored that cannot be read.
        reload: (csv, separator, parameters) => call("reload", csv, separator, parameters ?? "").text(),
        // The parameters of sources as stored or a parameters file: null, or the message.
        loadParameters: (bytes, name) => withBytes(["loadParameters", bytes, name]).text(),
        isParameters: (bytes) => withBytes(["isParameters", bytes]).flag(),
        parametersCsv: () => call("parametersCsv").text(),
        sourcesCsv: () => call("sourcesCsv").bytes(),
        summaryCsv: () => call("summaryCsv").bytes(),
        summaryXlsx: (name) => written(call("summaryXlsx", name)),
        pollutionSourcesCsv: () => written(call("pollutionSourcesCsv")),
        // The rows and the parameters of sources as one workbook, which load reads back.
        inventoryXlsx: (name) => call("inventoryXlsx", name).bytes(),
        reportsZip: () => call("reportsZip").bytes(),
        // The report of every row without an error: what the inventory prints.
        printReports() {
            const out = call("printReports");
            const reports = [];
            while (!out.done()) reports.push(out.bytes());
            return reports;
        },
        // {report, totalsCsv, name}, or null for a row without a report.
        report(row) {
            const out = call("report", row);
            const report = out.bytes();
            return report === null ? null : {report, totalsCsv: out.bytes(), name: out.text()};
        },
    };
}

// The table of sources of pollution, as the table of posts: its columns and
// the heading of its rows' numbers, its size, its rows [{state, label (its
// number), texts}, ...] and totals, its edits.
function sourceCalls(call) {
    let width = null;  // a row's fields: its state, its number and its columns
    return {
        columns() {
            const out = call("sourceColumns");
            return {columns: columnList(out), heading: out.text()};
        },
        size: () => call("sourceCount").number(),
        rows(first, count) {
            width ??= 2 + columnList(call("sourceColumns")).length;
            return rowsOf(all(call("sourceRows", first, count)), width, (texts, at) => ({
                state: texts[at], label: texts[at + 1], texts: texts.slice(at + 2, at + width), notices: [],
            }));
        },
        totals: () => totalsRow(call("sourceTotals")),
        set: (row, column, text) => call("setSource", row, column, text),
        paste: (at, text) => block(call("pasteSources", ...cells(at), text)),
        erase: (at) => call("eraseSources", ...cells(at)),
        fillDown: (at) => call("fillSourcesDown", ...cells(at)),
        copy: (at) => call("copySources", ...cells(at)).text(),
        remove: (first, count) => call("removeSources", first, count),
    };
}

export function tableCalls(module) {
    const caller = recordCaller(module);
    const call = (name, ...fields) => caller("korvel_inventory", [name, ...fields.map(String)]);
    return {
        ...viewCalls(call),
        ...stateCalls(call),
        ...editCalls(call),
        ...fileCalls(call, caller),
        sources: sourceCalls(call),
        // The bytes the module's memory has grown to.
        memory: () => module.HEAPU8.length,
    };
}
