// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and the calculation run: the page hands what was typed to the core
// and shows the outcome in the order the window does.
"use strict";

(() => {
    // The browser language's decimal separator, where it is one the core
    // knows; a full stop otherwise.
    function languageSeparator() {
        const parts = new Intl.NumberFormat(navigator.language).formatToParts(1.5);
        const decimal = parts.find((part) => part.type === "decimal");
        return decimal && decimal.value === "," ? "," : ".";
    }

    // A modal box titled korvel with one OK button; resolves when it closes.
    function showBox(text, isError) {
        const box = document.getElementById("messageBox");
        document.getElementById("messageText").textContent = text;
        box.classList.toggle("error", isError);
        box.showModal();
        return new Promise((resolve) => box.addEventListener("close", resolve, {once: true}));
    }

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
    document.getElementById("decimalSeparator").value = languageSeparator();
    document.getElementById("messageOk").addEventListener("click", () =>
        document.getElementById("messageBox").close());
    loading.then(ready, (error) => {
        document.getElementById("loading").textContent = `Не удалось загрузить расчетное ядро: ${error}`;
    });
})();
