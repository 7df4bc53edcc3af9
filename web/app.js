// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and the calculation run: the page hands what was typed to the core
// and shows the outcome in the order the window does.
"use strict";

(() => {
    const showBox = (text, isError) => KorvelDialogs.showBox(text, isError);

    // While a run is under way the input window carries data-running, so that
    // automation can tell when it is over.
    async function startRun(core) {
        const form = document.getElementById("Form1");
        form.dataset.running = "";
        try {
            await runSteps(core);
        } finally {
            delete form.dataset.running;
        }
    }

    // Boxes and fields in the order the run met them: its messages, the two
    // results it got as far as, the error that stopped it. A run that
    // completes its arithmetic writes the report file, then either shows the
    // report or marks both result fields as failed.
    async function runSteps(core) {
        const separator = document.getElementById("decimalSeparator").value;
        const outcome = core.calculate(KorvelForm.inputs(), separator);
        for (const message of outcome.messages) await showBox(message, false);
        KorvelForm.setResults(outcome.dailyConsumptionText, outcome.weldingSecondsText);
        if (outcome.failureText !== null) {
            await showBox(outcome.failureText, true);
            return;
        }
        KorvelReport.writeFile(outcome.report);
        KorvelForm.setResults(outcome.closingDailyConsumption, outcome.closingWeldingTime);
        if (outcome.showsReport) KorvelReport.show(outcome.report, outcome.totalsCsv);
    }

    // The form is built from the core's layout table once the core is there.
    function ready(core) {
        KorvelForm.build(document.getElementById("Form1Client"), core.form1Layout());
        KorvelForm.fillBrands(core.brands());
        document.getElementById("Command1").addEventListener("click", () => startRun(core));
        document.getElementById("loading").remove();
        KorvelForm.focusFirst();
        performance.mark("korvel-ready");
    }

    const loading = KorvelCore();
    KorvelReport.attach();
    document.getElementById("decimalSeparator").value = KorvelDialogs.languageSeparator();
    loading.then(ready, (error) => {
        document.getElementById("loading").textContent = `Не удалось загрузить расчетное ядро: ${error}`;
    });
})();
