// SPDX-License-Identifier: GPL-3.0-or-later
// The inventory page: start-up, the inventories kept in the browser's own
// storage, and the files in and out. Every file is made by the core, by the
// code korvel-batch runs.
"use strict";

(() => {
    const STORE = "korvel.inventory.";        // + name: {separator, sources}, sources as korvel-batch input
    const CURRENT = "korvel.inventory-current";
    const FIRST_NAME = "Предприятие";

    let core = null;
    let name = FIRST_NAME;
    let savePending = false;
    let shownRow = null;  // the row whose report the report panel shows

    const separatorBox = () => document.getElementById("decimalSeparator");
    const showBox = KorvelDialogs.showBox;

    function storedNames() {
        const names = [];
        for (let i = 0; i < localStorage.length; ++i) {
            const key = localStorage.key(i);
            if (key.startsWith(STORE)) names.push(key.slice(STORE.length));
        }
        return names.sort((a, b) => a.localeCompare(b, "ru"));
    }

    // Every edit is kept at once: the rows as korvel-batch input, written
    // right after the frame that shows the edit (so that the edit is drawn
    // first), and when the page is hidden or goes away.
    function saveSoon() {
        if (!savePending) {
            savePending = true;
            requestAnimationFrame(() => setTimeout(() => {
                if (savePending) saveNow();
            }, 0));
        }
        shown();
    }

    function saveNow() {
        savePending = false;
        const started = performance.now();
        const sources = new TextDecoder().decode(core.sourcesCsv());
        try {
            localStorage.setItem(STORE + name, JSON.stringify({separator: separatorBox().value, sources}));
            localStorage.setItem(CURRENT, name);
        } catch (error) {
            showBox(`Не удалось сохранить таблицу в хранилище браузера: ${error.message}`, true);
        }
        performance.measure("korvel-saved", {start: started});
    }

    // The status line and the undo button, after any change.
    function shown() {
        status();
        document.getElementById("undoDelete").disabled = !core.canUndo();
    }

    function restore(wanted) {
        name = wanted;
        const stored = JSON.parse(localStorage.getItem(STORE + name) ?? "null");
        separatorBox().value = stored?.separator ?? KorvelDialogs.languageSeparator();
        core.setSeparator(separatorBox().value);
        core.clear();
        if (stored?.sources) {
            const error = core.load(new TextEncoder().encode(stored.sources), `${name}.csv`, false);
            if (error !== null) showBox(error, true);
        }
        if (core.size() === 0) core.insert(0, 1);
        fillNames();
        KorvelSheet.refresh(0);
        shown();
        localStorage.setItem(CURRENT, name);
    }

    function fillNames() {
        const select = document.getElementById("inventoryName");
        const names = storedNames();
        if (!names.includes(name)) names.push(name);
        select.replaceChildren(...names.map((n) => new Option(n, n)));
        select.value = name;
    }

    // Set only when it changes: a new text is a layout of the window, the table's included.
    function status() {
        const {sources, ok} = core.counts();
        const line = document.getElementById("statusLine");
        const text = `Источников: ${sources}, без ошибок: ${ok}, с ошибками: ${sources - ok}. Данные хранятся только в этом браузере.`;
        if (line.textContent !== text) line.textContent = text;
    }

    function fileName(suffix) {
        return `${name.replace(/[\\/:*?"<>|]+/g, "_")}${suffix}`;
    }

    async function importFile(input) {
        const file = input.files[0];
        input.value = "";
        if (!file) return;
        const bytes = new Uint8Array(await file.arrayBuffer());
        let append = false;
        if (core.counts().sources > 0) {
            const choice = await showBox(`В таблице уже есть источники. Заменить их строками файла «${file.name}» или добавить строки в конец?`,
                false, [["replace", "Заменить"], ["append", "Добавить"], ["cancel", "Отмена"]]);
            if (choice !== "replace" && choice !== "append") return;
            append = choice === "append";
        }
        const error = core.load(bytes, file.name, append);
        if (error !== null) {
            await showBox(error, true);
            return;
        }
        if (core.size() === 0) core.insert(0, 1);
        KorvelSheet.refresh(0);
        saveSoon();
        performance.mark("korvel-imported");
    }

    function showReport(row) {
        const report = core.report(row);
        if (report === null) {
            showBox("У этой строки нет отчета: расчет остановился раньше или строка пуста.", false);
            return;
        }
        shownRow = {row, ...report};
        KorvelReport.show(report.report, report.totalsCsv);
    }

    // The totals, then every ok row's report, each from a new page: one
    // document for the appendix of an inventory report.
    function printAll() {
        const doc = document.implementation.createHTMLDocument(`korvel — ${name}`);
        const style = doc.createElement("style");
        style.textContent = "body{font:12px sans-serif} table{border-collapse:collapse} td,th{border:1px solid #000;" +
            "padding:2px 6px} td.n{text-align:right} .report{break-before:page}";
        doc.head.append(style);
        const heading = doc.createElement("h1");
        heading.textContent = `Валовые выбросы предприятия «${name}», т/год`;
        const table = doc.createElement("table");
        const totals = KorvelSheet.totalTexts();
        const substances = core.columns().substances;
        table.innerHTML = "<tr><th>Код</th><th>Наименование вещества</th><th>M, т/год</th></tr>";
        substances.forEach(([code, substance], i) => {
            const tr = table.insertRow();
            tr.insertCell().textContent = code;
            tr.insertCell().textContent = substance;
            const m = tr.insertCell();
            m.textContent = totals[i];
            m.className = "n";
        });
        doc.body.append(heading, table);
        const decoder = new TextDecoder("windows-1251");
        for (let row = 0; row < core.size(); ++row) {
            if (core.state(row) !== "ok") continue;
            const report = new DOMParser().parseFromString(decoder.decode(core.report(row).report), "text/html");
            const section = doc.createElement("section");
            section.className = "report";
            for (const s of report.querySelectorAll("style")) section.append(doc.importNode(s, true));
            section.append(...[...report.body.childNodes].map((n) => doc.importNode(n, true)));
            doc.body.append(section);
        }
        const frame = document.getElementById("printFrame");
        frame.srcdoc = "<!DOCTYPE html>" + doc.documentElement.outerHTML.replace("<head>",
            "<head><meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">");
        frame.addEventListener("load", () => frame.contentWindow.print(), {once: true});
    }

    function buttons() {
        const on = (id, action) => document.getElementById(id).addEventListener("click", action);
        const change = (f) => () => {
            f();
            saveSoon();
        };
        on("addRow", change(() => {
            core.insert(KorvelSheet.activeRow() + 1, 1);
            KorvelSheet.refresh();
            KorvelSheet.moveTo(KorvelSheet.activeRow() + 1, 0);
        }));
        on("duplicateRow", change(() => {
            core.duplicate(KorvelSheet.activeRow(), 1);
            KorvelSheet.refresh();
            KorvelSheet.moveTo(KorvelSheet.activeRow() + 1, 0);
        }));
        on("deleteRow", change(() => {
            core.remove(KorvelSheet.activeRow(), 1);
            if (core.size() === 0) core.insert(0, 1);
            KorvelSheet.refresh();
            KorvelSheet.focus();
        }));
        on("undoDelete", change(() => {
            const block = core.undo();
            if (block !== null) KorvelSheet.refresh(block.row);
            KorvelSheet.focus();
        }));
        on("showRowReport", () => showReport(KorvelSheet.activeRow()));
        on("clearInventory", async () => {
            const choice = await showBox(`Удалить все строки перечня «${name}»? Это нельзя отменить.`, false,
                [["clear", "Очистить"], ["cancel", "Отмена"]]);
            if (choice !== "clear") return;
            core.clear();
            core.insert(0, 1);
            KorvelSheet.refresh(0);
            saveSoon();
        });
        on("newInventory", async () => {
            const wanted = prompt("Название нового перечня (например, предприятие или цех):", "")?.trim();
            if (!wanted) return;
            saveNow();
            restore(wanted);
        });
        document.getElementById("inventoryName").addEventListener("change", (event) => {
            saveNow();
            restore(event.target.value);
        });
        separatorBox().addEventListener("change", change(() => {
            core.setSeparator(separatorBox().value);
            KorvelSheet.refresh();
        }));
        document.getElementById("emissionColumns").addEventListener("change", (event) =>
            KorvelSheet.showEmissions(event.target.value));
        document.getElementById("importSources").addEventListener("change", (event) => importFile(event.target));
        const save = KorvelDialogs.save;
        on("downloadSources", () => save(core.sourcesCsv(), "text/csv", fileName(".csv")));
        on("downloadSummaryCsv", () => save(core.summaryCsv(), "text/csv", "summary.csv"));
        on("downloadSummaryXlsx", () => save(core.summaryXlsx(name),
            "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", "summary.xlsx"));
        on("downloadReportsZip", () => save(core.reportsZip(), "application/zip", fileName("-отчеты.zip")));
        on("printInventory", printAll);
        on("downloadRowReport", () => {
            if (shownRow !== null) save(shownRow.report, "text/html", shownRow.name);
        });
        document.getElementById("sheet").addEventListener("keydown", (event) => {
            const ctrl = event.ctrlKey || event.metaKey;
            if (!ctrl || event.target.classList.contains("editor")) return;
            const actions = {z: "undoDelete", Delete: "deleteRow", Enter: "addRow", r: "showRowReport"};
            const id = actions[event.key];
            if (id === undefined) return;
            event.preventDefault();
            document.getElementById(id).click();
        });
        // A hidden tab draws no frames; a closed tab or a reload keeps the last edit too.
        const flush = () => {
            if (savePending) saveNow();
        };
        addEventListener("pagehide", flush);
        document.addEventListener("visibilitychange", () => {
            if (document.hidden) flush();
        });
    }

    function ready(theCore) {
        core = theCore;
        KorvelSheet.attach(core, core.columns(), saveSoon);
        buttons();
        restore(localStorage.getItem(CURRENT) ?? FIRST_NAME);
        KorvelSheet.focus();
        // For the benchmarks: the bytes the core's memory has grown to.
        globalThis.korvelCoreMemory = () => core.HEAP8.length;
        performance.mark("korvel-ready");
    }

    KorvelReport.attach();
    KorvelInventory().then(ready, (error) => {
        document.getElementById("statusLine").textContent = `Не удалось загрузить расчетное ядро: ${error}`;
    });
})();
