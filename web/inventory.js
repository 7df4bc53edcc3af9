// SPDX-License-Identifier: GPL-3.0-or-later
// The inventory page: start-up, the inventories kept in the browser's own
// storage, and the files in and out. Every file is made by the core, by the
// code korvel-batch runs.
import createInventory from "korvel-inventory";

import {tableCalls} from "./inventory-table.js";
import {ask, attachMessageBox, showBox} from "./message-box.js";
import * as reportWindow from "./report.js";
import {save} from "./save.js";
import {languageSeparator} from "./separator.js";
import {createSheet, shortcutKey} from "./sheet.js";
import {loadModule} from "./wasm.js";

// First, so that the module compiles while the rest starts.
const loading = loadModule(createInventory, "korvel-inventory");

// + name: {separator, sources, revision}, sources as korvel-batch input; the
// revision counts the writes, so that no window writes over a newer table.
const STORE = "korvel.inventory.";
const CURRENT = "korvel.inventory-current";
const FIRST_NAME = "Предприятие";

let core = null;
let sheet = null;      // the grid of the table of sources
let name = FIRST_NAME;
let savePending = false;
let revision = 0;       // of the stored table this one is, or follows from
let notice = "";        // said in the status line until the next edit
let storageFailed = false;
let shownRow = null;  // the row whose report the report panel shows

const separatorBox = () => document.getElementById("decimalSeparator");

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

function stored(wanted) {
    return JSON.parse(localStorage.getItem(STORE + wanted) ?? "null");
}

// Writes the table unless another window stored a newer one: that one is
// shown instead, and this one's last changes stay in the history.
function saveNow() {
    savePending = false;
    const started = performance.now();
    const newer = stored(name);
    if ((newer?.revision ?? 0) > revision) {
        adopt(newer);
    } else {
        write();
    }
    performance.measure("korvel-saved", {start: started});
}

function write() {
    const sources = new TextDecoder().decode(core.sourcesCsv());
    try {
        localStorage.setItem(STORE + name, JSON.stringify({separator: separatorBox().value, sources, revision: revision + 1}));
        localStorage.setItem(CURRENT, name);
        ++revision;
        storageFailed = false;
    } catch (error) {
        if (storageFailed) return;
        storageFailed = true;
        notice = "Таблица не сохранена в браузере.";
        shown();
        ask(`Не удалось сохранить таблицу в хранилище браузера: ${error.message}. Таблица остается на странице; сохраните ее в файл.`,
            [["save", "Источники CSV"], ["close", "Закрыть"]]).then((choice) => {
            if (choice === "save") document.getElementById("downloadSources").click();
        });
    }
}

// The table another window stored, in place of this one's, as one change
// that can be undone; the active cell stays where it is.
function adopt(newer) {
    const error = core.reload(newer.sources, newer.separator);
    if (error !== null) return;
    revision = newer.revision;
    savePending = false;
    separatorBox().value = newer.separator;
    sheet.refresh();
    notice = "Таблицу изменили в другом окне: показана новая, прежняя — в «Отменить».";
    shown();
}

// The status line and the undo and redo buttons, after any change. Each set
// only when it changes: a new text is a layout of the window, the table's included.
function shown() {
    const {size, sources, ok, partlyRead, filtered} = core.counts();
    const line = document.getElementById("statusLine");
    const partly = partlyRead > 0 ? `, чисел прочитано не целиком: ${partlyRead}` : "";
    const shownRows = filtered ? ` Показано строк с ошибками и замечаниями: ${size}.` : "";
    const text = `Источников: ${sources}, без ошибок: ${ok}, с ошибками: ${sources - ok}${partly}.${shownRows} ${notice || "Данные хранятся только в этом браузере."}`;
    if (line.textContent !== text) line.textContent = text;
    const history = core.history();
    for (const [id, can, caption] of [["undo", history.canUndo, history.undo], ["redo", history.canRedo, history.redo]]) {
        const button = document.getElementById(id);
        if (button.disabled !== !can) button.disabled = !can;
        if (button.textContent !== caption) button.textContent = caption;
    }
}

function restore(wanted) {
    name = wanted;
    const kept = stored(name);
    revision = kept?.revision ?? 0;
    separatorBox().value = kept?.separator ?? languageSeparator();
    core.setSeparator(separatorBox().value);
    core.clear();
    if (kept?.sources) {
        const error = core.load(new TextEncoder().encode(kept.sources), `${name}.csv`, false);
        if (error !== null) showBox(error, true);
    }
    core.forgetHistory();
    notice = "";
    fillNames();
    sheet.refresh(0);
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

async function importFile(input) {
    const file = input.files[0];
    input.value = "";
    if (!file) return;
    const bytes = new Uint8Array(await file.arrayBuffer());
    let append = false;
    if (core.counts().sources > 0) {
        const choice = await ask(`В таблице уже есть источники. Заменить их строками файла «${file.name}» или добавить строки в конец?`,
            [["replace", "Заменить"], ["append", "Добавить"], ["cancel", "Отмена"]]);
        if (choice !== "replace" && choice !== "append") return;
        append = choice === "append";
    }
    const error = core.load(bytes, file.name, append);
    if (error !== null) {
        await showBox(error, true);
        return;
    }
    sheet.refresh(0);
    saveSoon();
    performance.mark("korvel-imported");
}

function showReport(row) {
    const made = core.report(row);
    if (made === null) {
        showBox("У этой строки нет отчета: расчет остановился раньше или строка пуста.", false);
        return;
    }
    shownRow = {row, ...made};
    reportWindow.show(made.report, made.totalsCsv);
}

// The totals, then every ok row's report, each from a new page: one
// document for the appendix of an inventory report. Printed from this page,
// with its own style sheet (the page's policy allows no other), in an area
// that only print shows, emptied again once printing is over. The reports'
// markup comes parsed, inert: no script of it runs.
function printAll() {
    const area = document.getElementById("printArea");
    const totals = core.printTotals(name);
    const heading = document.createElement("h1");
    heading.textContent = totals.heading;
    const table = document.createElement("table");
    const [captions, ...rows] = totals.rows;
    const head = table.createTHead().insertRow();
    for (const caption of captions) {
        const th = document.createElement("th");
        th.textContent = caption;
        head.append(th);
    }
    const body = table.createTBody();  // table.insertRow() would add to the header's rows
    for (const row of rows) {
        const tr = body.insertRow();
        for (const text of row) tr.insertCell().textContent = text;
    }
    area.replaceChildren(heading, table);
    const decoder = new TextDecoder("windows-1251");
    for (const report of core.printReports()) {
        const parsed = new DOMParser().parseFromString(decoder.decode(report), "text/html");
        const section = document.createElement("section");
        section.className = "report";
        section.append(...[...parsed.body.childNodes].map((n) => document.importNode(n, true)));
        area.append(section);
    }
    document.body.classList.add("printing");
    addEventListener("afterprint", () => {
        document.body.classList.remove("printing");
        area.replaceChildren();
    }, {once: true});
    print();
}

function buttons() {
    const on = (id, action) => document.getElementById(id).addEventListener("click", action);
    const change = (f) => () => {
        f();
        notice = "";
        saveSoon();
    };
    on("addRow", change(() => {
        core.insert(sheet.activeRow() + 1, 1);
        sheet.refresh();
        sheet.moveTo(sheet.activeRow() + 1, 0);
    }));
    on("duplicateRow", change(() => {
        core.duplicate(sheet.activeRow(), 1);
        sheet.refresh();
        sheet.moveTo(sheet.activeRow() + 1, 0);
    }));
    on("deleteRow", change(() => {
        core.remove(sheet.activeRow(), 1);
        sheet.refresh();
        sheet.focus();
    }));
    for (const id of ["undo", "redo"]) {
        on(id, change(() => {
            const block = core[id]();
            separatorBox().value = core.history().separator;
            if (block !== null) sheet.refresh(block.row);
            sheet.focus();
        }));
    }
    on("showRowReport", () => showReport(sheet.activeRow()));
    on("clearInventory", async () => {
        const choice = await ask(`Удалить все строки перечня «${name}»?`,
            [["clear", "Очистить"], ["cancel", "Отмена"]]);
        if (choice !== "clear") return;
        core.clear();
        sheet.refresh(0);
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
        sheet.refresh();
    }));
    // Which rows pass the filter the core decides, when it is switched on and as rows come and go.
    document.getElementById("notesOnly").addEventListener("change", (event) => {
        core.filter(event.target.checked);
        sheet.refresh(0);
        shown();
        sheet.focus();
    });
    document.getElementById("emissionColumns").addEventListener("change", (event) =>
        sheet.showEmissions(event.target.value));
    document.getElementById("importSources").addEventListener("change", (event) => importFile(event.target));
    const names = () => core.fileNames(name);
    on("downloadSources", () => save(core.sourcesCsv(), "text/csv", names().sources));
    on("downloadSummaryCsv", () => save(core.summaryCsv(), "text/csv", names().summaryCsv));
    on("downloadSummaryXlsx", () => save(core.summaryXlsx(name),
        "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", names().summaryXlsx));
    on("downloadReportsZip", () => save(core.reportsZip(), "application/zip", names().reportsZip));
    on("printInventory", printAll);
    document.getElementById("downloadRowReport").hidden = false;
    on("downloadRowReport", () => {
        if (shownRow !== null) save(shownRow.report, "text/html", shownRow.name);
    });
    document.getElementById("sheet").addEventListener("keydown", (event) => {
        const ctrl = event.ctrlKey || event.metaKey;
        if (!ctrl || event.target.classList.contains("editor")) return;
        const key = shortcutKey(event);
        const actions = {z: event.shiftKey ? "redo" : "undo", y: "redo", Delete: "deleteRow", Enter: "addRow", r: "showRowReport"};
        const id = actions[key];
        if (id === undefined) return;
        event.preventDefault();
        document.getElementById(id).click();
    });
    // A hidden tab draws no frames; a closed tab or a reload keeps the last edit too.
    const flush = () => {
        if (savePending) saveNow();
    };
    addEventListener("pagehide", flush);
    // Another window stored this inventory: its newer table is shown here.
    addEventListener("storage", (event) => {
        if (event.key !== STORE + name || event.newValue === null) return;
        const newer = JSON.parse(event.newValue);
        if ((newer.revision ?? 0) > revision) adopt(newer);
    });
    // The browser's own print would print the page as it stands: the inventory's print instead.
    addEventListener("keydown", (event) => {
        if ((event.ctrlKey || event.metaKey) && !event.altKey && shortcutKey(event) === "p") {
            event.preventDefault();
            printAll();
        }
    });
    document.addEventListener("visibilitychange", () => {
        if (document.hidden) flush();
    });
}

// The table of sources as the grid edits it: two columns stay at the left, the source and its ИЗА.
function postsSource() {
    const {columns, brands} = core.columns();
    return {
        columns, brands, fixed: 2,
        size: () => core.size(),
        rows: (first, count) => core.rows(first, count),
        totals: () => core.totals(),
        set: (row, column, text) => core.set(row, column, text),
        append: () => core.append(),
        paste: (block, text) => core.paste(block, text),
        erase: (block) => core.erase(block),
        fillDown: (block) => core.fillDown(block),
        copy: (block) => core.copy(block),
        changed: saveSoon,
    };
}

function ready(theCore) {
    core = theCore;
    sheet = createSheet({sheet: document.getElementById("sheet"), table: document.getElementById("sourcesTable")},
        postsSource());
    buttons();
    core.filter(document.getElementById("notesOnly").checked);  // as the browser may have kept it over a reload
    restore(localStorage.getItem(CURRENT) ?? FIRST_NAME);
    sheet.focus();
    // For the benchmarks: the bytes the core's memory has grown to.
    globalThis.korvelCoreMemory = core.memory;
    performance.mark("korvel-ready");
}

reportWindow.attach();
attachMessageBox();
document.getElementById("statusLine").textContent = "Загрузка…";  // with scripts off the page says it needs them instead
loading.then((module) => ready(tableCalls(module)), (error) => {
    document.getElementById("statusLine").textContent = `Не удалось загрузить расчетное ядро: ${error}`;
});
