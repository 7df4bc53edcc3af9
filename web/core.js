// SPDX-License-Identifier: GPL-3.0-or-later
// The core's calls as the page makes them: typed texts in, plain objects out,
// through the records of web/bindings.cpp (fields of a 32-bit little-endian
// byte count and their bytes; the count 0xFFFFFFFF for an absent field).
const ABSENT = 0xFFFFFFFF;
const encoder = new TextEncoder();
const utf8 = new TextDecoder();

function writeRecord(texts) {
    const fields = texts.map((text) => encoder.encode(text));
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

class RecordReader {
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

    // A count, then that many items, each read by `item`.
    list(item) {
        return Array.from({length: this.number()}, () => item(this));
    }
}

// The calls of a loaded korvel-core module.
export function coreCalls(module) {
    // A copy: the next call may grow the module's memory and move its answer.
    const answer = (pointer) =>
        new RecordReader(module.HEAPU8.slice(pointer, pointer + module._korvel_answer_size()));
    return {
        // typed: [name, value] of each input control. Returns {messages,
        // dailyConsumptionText, weldingSecondsText, failureText,
        // closingDailyConsumption, closingWeldingTime, showsReport, report,
        // totalsCsv}, as bindings.cpp says.
        calculate(typed, separator) {
            const record = writeRecord([separator, ...typed.flat()]);
            const pointer = module._korvel_alloc(record.length);
            let out;
            try {
                module.HEAPU8.set(record, pointer);
                out = answer(module._korvel_calculate(pointer, record.length));
            } finally {
                module._korvel_free(pointer);
            }
            return {
                messages: out.list((r) => r.text()),
                dailyConsumptionText: out.text(),
                weldingSecondsText: out.text(),
                failureText: out.text(),
                closingDailyConsumption: out.text(),
                closingWeldingTime: out.text(),
                showsReport: out.flag(),
                report: out.bytes(),
                totalsCsv: out.bytes(),
            };
        },
    };
}
