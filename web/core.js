// SPDX-License-Identifier: GPL-3.0-or-later
// The core's calls as the form makes them: typed texts in, plain objects
// out, through records (web/record.js).
import {recordCaller} from "./record.js";

// The calls of a loaded korvel-core module.
export function coreCalls(module) {
    const call = recordCaller(module);
    return {
        // typed: [name, value] of each input control. Returns {messages,
        // dailyConsumptionText, weldingSecondsText, failureText,
        // closingDailyConsumption, closingWeldingTime, showsReport, report,
        // totalsCsv}, as bindings.cpp says.
        calculate(typed, separator) {
            const out = call("korvel_calculate", [separator, ...typed.flat()]);
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
