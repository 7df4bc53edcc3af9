// SPDX-License-Identifier: GPL-3.0-or-later
// The inventory module's calls as the page makes them, through records
// (web/record.js): the table of sources lives in the module
// (web/inventory_bindings.cpp names every call and what it answers).
import {recordCaller} from "./record.js";

export const FIELDS = 27;  // of a row: state, seven inputs, b, t, status, G and M of eight substances

export function tableCalls(module) {
    const caller = recordCaller(module);
    const call = (name, ...fields) => caller("korvel_inventory", [name, ...fields.map(String)]);
    const all = (reader) => {
        const texts = [];
        while (!reader.done()) texts.push(reader.text());
        return texts;
    };
    const block = (reader) => (reader.done() ? null
        : {row: reader.number(), column: reader.number(), rows: reader.number(), columns: reader.number()});
    return {
        columns() {
            const out = call("columns");
            return {
                inputs: out.list((r) => r.text()),
                substances: out.list((r) => [r.text(), r.text()]),
                brands: out.list((r) => r.text()),
            };
        },
        // [[state, the seven inputs, b, t, status, G and M of each substance], ...]
        rows(first, count) {
            const texts = all(call("rows", first, count));
            return Array.from({length: texts.length / FIELDS}, (_, i) => texts.slice(i * FIELDS, (i + 1) * FIELDS));
        },
        totals: () => all(call("totals")),
        counts() {
            const out = call("counts");
            return {size: out.number(), sources: out.number(), ok: out.number(), canUndo: out.flag()};
        },
        size() {
            return this.counts().size;
        },
        setSeparator: (separator) => call("setSeparator", separator),
        set: (row, column, text) => call("set", row, column, text),
        insert: (at, count) => call("insert", at, count),
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
        paste: (row, column, text) => block(call("paste", row, column, text)),
        // null, or the message of a file that cannot be read.
        load: (bytes, name, append) => caller("korvel_inventory", ["load", bytes, name, append ? "1" : ""]).text(),
        // null, or the message of rows another window stored that cannot be read.
        reload: (csv, separator) => call("reload", csv, separator).text(),
        clear: () => call("clear"),
        sourcesCsv: () => call("sourcesCsv").bytes(),
        summaryCsv: () => call("summaryCsv").bytes(),
        summaryXlsx: (name) => call("summaryXlsx", name).bytes(),
        reportsZip: () => call("reportsZip").bytes(),
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
