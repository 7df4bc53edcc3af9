// SPDX-License-Identifier: GPL-3.0-or-later
// The page's side of the records its WebAssembly modules exchange
// (web/record.h): fields of a 32-bit little-endian byte count and their
// bytes; the count 0xFFFFFFFF for an absent field.
const ABSENT = 0xFFFFFFFF;
const encoder = new TextEncoder();
const utf8 = new TextDecoder();

// Texts, or bytes as they are.
function writeRecord(fields) {
    fields = fields.map((field) => (typeof field === "string" ? encoder.encode(field) : field));
    const record = new Uint8Array(fields.reduce((size, field) => size + 4 + field.length, 0));
    const view = new DataView(record.buffer);
    let at = 0;
    for (const field of fields) {
        view.setUint32(at, field.length, true);
        record.set(field, at + 4);
        at += 4 + field.length;
    }
    return record;
}

export class RecordReader {
    constructor(record) {
        this.record = record;
        this.view = new DataView(record.buffer, record.byteOffset, record.byteLength);
        this.at = 0;
    }

    bytes() {
        const count = this.view.getUint32(this.at, true);
        this.at += 4;
        if (count === ABSENT) return null;
        this.at += count;
        return this.record.subarray(this.at - count, this.at);
    }

    text() {
        const bytes = this.bytes();
        return bytes === null ? null : utf8.decode(bytes);
    }

    number() {
        return Number(this.text());
    }

    flag() {
        return this.text() === "1";
    }

    // Whether every field has been read.
    done() {
        return this.at >= this.record.length;
    }

    // A count, then that many items, each read by `item`.
    list(item) {
        return Array.from({length: this.number()}, () => item(this));
    }
}

// A caller of the functions of `module` that take a record and answer one:
// call(module._name, fields) gives the answer's reader, over a copy (the
// next call may grow the module's memory and move its answer).
export function recordCaller(module) {
    return (name, fields) => {
        const record = writeRecord(fields);
        const pointer = module._korvel_alloc(record.length);
        try {
            module.HEAPU8.set(record, pointer);
            const answer = module[`_${name}`](pointer, record.length);
            return new RecordReader(module.HEAPU8.slice(answer, answer + module._korvel_answer_size()));
        } finally {
            module._korvel_free(pointer);
        }
    };
}
