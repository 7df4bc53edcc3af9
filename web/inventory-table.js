// SPDX-License-Identifier: GPL-3.0-or-later
// The inventory module's calls as the page makes them, through records
// (web/record.js): the table of sources lives in the module
// (web/inventory_bindings.cpp names every call and what it answers).
import {recordCaller} from "./record.js";

export function tableCalls(module) {
    const caller = recordCaller(module);
    const call = (name, ...fields) => caller("korvel_inventory", [name, ...fields.map(String)]);
    const all = (reader) => {
        const texts = [];
        while (!reader.done()) texts.push(reader.text());
        return texts;
    };
    let shape = null;  // of a row's record: the columns' and the inputs' count
    const cells = ({row, column, rows, columns}) => [row, column, rows, columns];
    const block = (reader) => (reader.done() ? null
        : {row: reader.number(), column: reader.number(), rows: reader.number(), columns: reader.number(),
            sources: reader.flag()});
    const columnList = (out) => out.list((r) => ({caption: r.text(), name: r.text(), title: r.text(), kind: r.text(),
        code: r.text(), width: r.text()}));
    // {heading, notes: [...], rows: [[captions...], [cells...], ...]}
    const printed = (out) => ({heading: out.text(), notes: out.list((r) => r.text()),
        rows: out.list((r) => r.list((cell) => cell.text()))});
    // {error: null or why the file cannot be made, bytes}
    const written = (out) => {
        const error = out.text();
        return {error, bytes: error === null ? out.bytes() : null};
    };
    let sourceWidth = null;  // a row's fields in the table of sources: its state and its columns
    return {
        // {columns: [{caption, name, title, kind, code, width}, ...], brands}
        columns() {
            const out = call("columns");
            const columns = columnList(out);
            return {columns, brands: out.list((r) => r.text())};
        },
        // The table of sources of pollution, as the table of posts: its
        // columns and the heading of its rows' numbers, its size, its rows
        // [{state, label (its number), texts}, ...] and totals, its edits.
        sources: {
            columns() {
                const out = call("sourceColumns");
                return {columns: columnList(out), heading: out.text()};
            },
            size: () => call("sourceCount").number(),
            rows(first, count) {
                sourceWidth ??= 2 + columnList(call("sourceColumns")).length;
                const texts = all(call("sourceRows", first, count));
                return Array.from({length: texts.length / sourceWidth}, (_, i) => {
                    const at = i * sourceWidth;
                    return {state: texts[at], label: texts[at + 1], texts: texts.slice(at + 2, at + sourceWidth),
                        notices: []};
                });
            },
            totals() {
                const [label, ...texts] = all(call("sourceTotals"));
                return {label, texts};
            },
            set: (row, column, text) => call("setSource", row, column, text),
            paste: (at, text) => block(call("pasteSources", ...cells(at), text)),
            erase: (at) => call("eraseSources", ...cells(at)),
            fillDown: (at) => call("fillSourcesDown", ...cells(at)),
            copy: (at) => call("copySources", ...cells(at)).text(),
            remove: (first, count) => call("removeSources", first, count),
        },
        // [{number, state, texts: one per column, notices: one per input column}, ...]
        rows(first, count) {
            if (shape === null) {
                const {columns} = this.columns();
                shape = {columns: columns.length, inputs: columns.filter((c) => c.kind === "input").length};
            }
            const texts = all(call("rows", first, count));
            const fields = 2 + shape.columns + shape.inputs;
            return Array.from({length: texts.length / fields}, (_, i) => {
                const at = i * fields;
                return {number: texts[at], state: texts[at + 1], texts: texts.slice(at + 2, at + 2 + shape.columns),
                    notices: texts.slice(at + 2 + shape.columns, at + fields)};
            });
        },
        // {label, texts: one per column}
        totals() {
            const [label, ...texts] = all(call("totals"));
            return {label, texts};
        },
        printTotals: (name) => printed(call("printTotals", name)),
        printSources: (name) => printed(call("printSources", name)),
        // {sources, summaryCsv, summaryXlsx, reportsZip, pollutionSources, inventoryXlsx}
        fileNames(name) {
            const out = call("fileNames", name);
            return {sources: out.text(), summaryCsv: out.text(), summaryXlsx: out.text(), reportsZip: out.text(),
                pollutionSources: out.text(), inventoryXlsx: out.text()};
        },
        // {size: the rows shown, sources, ok, partlyRead, filtered}
        counts() {
            const out = call("counts");
            return {size: out.number(), sources: out.number(), ok: out.number(), partlyRead: out.number(),
                filtered: out.flag()};
        },
        // Only the rows with errors and notes shown, or every row.
        filter: (on) => call("filter", on ? "1" : ""),
        size() {
            return this.counts().size;
        },
        setSeparator: (separator) => call("setSeparator", separator),
        set: (row, column, text) => call("set", row, column, text),
        insert: (at, count) => call("insert", at, count),
        // Whether a row was added after the last.
        append: () => call("append").flag(),
        duplicate: (first, count) => call("duplicate", first, count),
        remove: (first, count) => call("remove", first, count),
        undo: () => block(call("undo")),
        redo: () => block(call("redo")),
        // {canUndo, undo, canRedo, redo, separator}: the buttons' states and
        // captions, and the separator the history has come to.
        history() {
            const out = call("history");
            return {canUndo: out.flag(), undo: out.text(), canRedo: out.flag(), redo: out.text(), separator: out.text()};
        },
        forgetHistory: () => call("forgetHistory"),
        // Blocks are {row, column, rows, columns} of the rows shown.
        paste: (at, text) => block(call("paste", ...cells(at), text)),
        erase: (at) => call("erase", ...cells(at)),
        fillDown: (at) => call("fillDown", ...cells(at)),
        copy: (at) => call("copy", ...cells(at)).text(),
        // null, or the message of a file that cannot be read.
        load: (bytes, name, append) => caller("korvel_inventory", ["load", bytes, name, append ? "1" : ""]).text(),
        // null, or the message of rows another window stored that cannot be read.
        reload: (csv, separator, parameters) => call("reload", csv, separator, parameters ?? "").text(),
        // The parameters of sources as stored or a parameters file: null, or the message.
        loadParameters: (bytes, name) => caller("korvel_inventory", ["loadParameters", bytes, name]).text(),
        isParameters: (bytes) => caller("korvel_inventory", ["isParameters", bytes]).flag(),
        parametersCsv: () => call("parametersCsv").text(),
        clear: () => call("clear"),
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
        // The bytes the module's memory has grown to.
        memory: () => module.HEAPU8.length,
    };
}
