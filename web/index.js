// SPDX-License-Identifier: GPL-3.0-or-later
// The form's page: start-up and the calculation run. The page hands what was
// typed to the core and shows the outcome in the order the window does.
import createCore from "korvel-core";

import {coreCalls} from "./core.js";
import * as form from "./form.js";
import {attachMessageBox, showBox} from "./message-box.js";
import * as report from "./report.js";
import {languageSeparator} from "./separator.js";
import {loadModule} from "./wasm.js";

// First, so that the core compiles while the rest starts.
const loading = loadModule(createCore, "korvel-core");

// The language's separator is set when the form is up, or by the first run,
// unless the user has picked one first.
let separatorSettled = false;

function settleSeparator() {
    if (separatorSettled) return;
    separatorSettled = true;
    document.getElementById("decimalSeparator").value = languageSeparator();
}

// While a run is under way the input window carries data-running, so that
// automation can tell when it is over.
async function startRun(core) {
    const window1 = document.getElementById("Form1");
    window1.dataset.running = "";
    try {
        await runSteps(core);
    } finally {
        delete window1.dataset.running;
    }
}

// Boxes and fields in the order the run met them: its messages, the two
// results it got as far as, the error that stopped it. A run that
// completes its arithmetic writes the report file, then either shows the
// report or marks both result fields as failed.
async function runSteps(core) {
    settleSeparator();
    const separator = document.getElementById("decimalSeparator").value;
    const outcome = core.calculate(form.inputs(), separator);
    for (const message of outcome.messages) await showBox(message, false);
    form.setResults(outcome.dailyConsumptionText, outcome.weldingSecondsText);
    if (outcome.failureText !== null) {
        await showBox(outcome.failureText, true);
        return;
    }
    report.writeFile(outcome.report);
    form.setResults(outcome.closingDailyConsumption, outcome.closingWeldingTime);
    if (outcome.showsReport) report.show(outcome.report, outcome.totalsCsv);
}

// The form is usable once the core is there.
function ready() {
    document.getElementById("loading").remove();
    performance.mark("korvel-ready");
    (self.requestIdleCallback ?? setTimeout)(settleSeparator);
}

const loadingText = document.getElementById("loading");
loadingText.hidden = false;  // with scripts off the page says it needs them instead
form.wire();
form.focusFirst();
report.attach();
attachMessageBox();
document.getElementById("decimalSeparator").addEventListener("change", () => {
    separatorSettled = true;
});
const core = loading.then(coreCalls);
// A click before the core is there runs once it is.
document.getElementById("Command1").addEventListener("click", () => core.then(startRun));
core.then(ready, (error) => {
    loadingText.textContent = `Не удалось загрузить расчетное ядро: ${error}`;
});
