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

// + name: {separator, sources, pollutionSources, revision}: the rows as
// korvel-batch input, the parameters of the sources of pollution as a
// parameters file (absent in tables stored before there were any); the
// revision counts the writes, so that no window writes over a newer table.
const STORE = "korvel.inventory.";
const CURRENT = "korvel.inventory-current";
const FIRST_NAME = "Предприятие";

let core = null;
let sheet = null;      // the grid of the table of sources (posts)
let sourcesSheet = null;  // the grid of the sources of pollution they make
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
        localStorage.setItem(STORE + name, JSON.stringify({separator: separatorBox().value, sources,
            pollutionSources: core.parametersCsv(), revision: revision + 1}));
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
    const error = core.reload(newer.sources, newer.separator, newer.pollutionSources);
    if (error !== null) return;
    revision = newer.revision;
    savePending = false;
    separatorBox().value = newer.separator;
    refreshBoth();
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
    if (kept?.pollutionSources) {
        const error = core.loadParameters(kept.pollutionSources, `${name}: ИЗА`);
        if (error !== null) showBox(error, true);
    }
    core.forgetHistory();
    notice = "";
    fillNames();
    refreshBoth(0);
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
    // A parameters file of the sources of pollution: in place of those kept, the rows as they are.
    if (core.isParameters(bytes)) {
        const error = core.loadParameters(bytes, file.name);
        if (error !== null) {
            await showBox(error, true);
            return;
        }
        refreshBoth();
        showTab(true);
        saveSoon();
        performance.mark("korvel-imported");
        return;
    }
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
    refreshBoth(0);
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

// A table as the core prints it: its heading (`level` h1 or h2), its notes,
// then the table, if it has rows.
function printedTable({heading, notes, rows}, level) {
    const title = document.createElement(level);
    title.textContent = heading;
    const nodes = [title];
    for (const note of notes) {
        const p = document.createElement("p");
        p.textContent = note;
        nodes.push(p);
    }
    if (rows.length === 0) return nodes;
    const table = document.createElement("table");
    const [captions, ...cells] = rows;
    const head = table.createTHead().insertRow();
    for (const caption of captions) {
        const th = document.createElement("th");
        th.textContent = caption;
        head.append(th);
    }
    const body = table.createTBody();  // table.insertRow() would add to the header's rows
    for (const row of cells) {
        const tr = body.insertRow();
        for (const text of row) tr.insertCell().textContent = text;
    }
    return [...nodes, table];
}

// The totals, the table of sources of pollution with its rules, then every
// ok row's report, each from a new page: one document for the appendix of
// an inventory report. Printed from this page, with its own style sheet
// (the page's policy allows no other), in an area that only print shows,
// emptied again once printing is over. The reports' markup comes parsed,
// inert: no script of it runs.
function printAll() {
    const area = document.getElementById("printArea");
    area.replaceChildren(...printedTable(core.printTotals(name), "h1"));
    const sources = core.printSources(name);
    if (sources.heading !== "") {
        const section = document.createElement("section");
        section.className = "pollution-sources";
        section.append(...printedTable(sources, "h2"));
        area.append(section);
    }
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

const on = (id, action) => document.getElementById(id).addEventListener("click", action);

// An action that changes the table: the change stored, and the last notice gone.
const change = (action) => () => {
    action();
    notice = "";
    saveSoon();
};

// Rows added, duplicated and deleted; in the sources of pollution, the
// parameters of the current one deleted.
function rowButtons() {
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
        const grid = shownSheet();
        (grid === sheet ? core : core.sources).remove(grid.activeRow(), 1);
        refreshBoth();
        grid.focus();
    }));
    on("showRowReport", () => showReport(sheet.activeRow()));
}

// Undo and redo: the table the change was in is shown.
function historyButtons() {
    for (const id of ["undo", "redo"]) {
        on(id, change(() => {
            const block = core[id]();
            separatorBox().value = core.history().separator;
            if (block !== null) {
                showTab(block.sources);
                shownSheet().refresh(block.row);
                otherSheet().refresh();
            }
            shownSheet().focus();
        }));
    }
}

// The inventory cleared, a new one, another one chosen.
function inventoryButtons() {
    on("clearInventory", async () => {
        const choice = await ask(`Удалить все строки перечня «${name}»?`,
            [["clear", "Очистить"], ["cancel", "Отмена"]]);
        if (choice !== "clear") return;
        core.clear();
        refreshBoth(0);
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
}

// The separator, the filter and the emission columns shown.
function viewOptions() {
    separatorBox().addEventListener("change", change(() => {
        core.setSeparator(separatorBox().value);
        refreshBoth();
    }));
    // Which rows pass the filter the core decides, when it is switched on and as rows come and go.
    document.getElementById("notesOnly").addEventListener("change", (event) => {
        core.filter(event.target.checked);
        sheet.refresh(0);
        shown();
        sheet.focus();
    });
    document.getElementById("emissionColumns").addEventListener("change", (event) => {
        for (const grid of [sheet, sourcesSheet]) grid.showEmissions(event.target.value);
    });
}

// Files opened, saved and printed.
function fileButtons() {
    document.getElementById("importSources").addEventListener("change", (event) => importFile(event.target));
    const names = () => core.fileNames(name);
    const XLSX = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
    on("downloadSources", () => save(core.sourcesCsv(), "text/csv", names().sources));
    on("downloadSummaryCsv", () => save(core.summaryCsv(), "text/csv", names().summaryCsv));
    // A file the core refuses to make (a parameter of a source that cannot be applied) is said why.
    const offer = ({error, bytes}, type, fileName) => (error === null ? save(bytes, type, fileName) : showBox(error, true));
    on("downloadSummaryXlsx", () => offer(core.summaryXlsx(name), XLSX, names().summaryXlsx));
    on("downloadPollutionSourcesCsv", () => offer(core.pollutionSourcesCsv(), "text/csv", names().pollutionSources));
    on("downloadReportsZip", () => save(core.reportsZip(), "application/zip", names().reportsZip));
    on("downloadInventoryXlsx", () => save(core.inventoryXlsx(name), XLSX, names().inventoryXlsx));
    on("printInventory", printAll);
    document.getElementById("downloadRowReport").hidden = false;
    on("downloadRowReport", () => {
        if (shownRow !== null) save(shownRow.report, "text/html", shownRow.name);
    });
}

// The buttons' shortcuts in the tables: Ctrl+Z, Ctrl+Y (Ctrl+Shift+Z),
// Ctrl+Delete, Ctrl+Enter, Ctrl+R; and Ctrl+P anywhere, as the browser's own
// print would print the page as it stands.
function shortcuts() {
    const inTable = (event) => {
        const ctrl = event.ctrlKey || event.metaKey;
        if (!ctrl || event.target.classList.contains("editor")) return;
        const key = shortcutKey(event);
        const actions = {z: event.shiftKey ? "redo" : "undo", y: "redo", Delete: "deleteRow", Enter: "addRow", r: "showRowReport"};
        const id = actions[key];
        if (id === undefined) return;
        event.preventDefault();
        document.getElementById(id).click();
    };
    for (const id of ["sheet", "pollutionSourcesSheet"]) document.getElementById(id).addEventListener("keydown", inTable);
    addEventListener("keydown", (event) => {
        if ((event.ctrlKey || event.metaKey) && !event.altKey && shortcutKey(event) === "p") {
            event.preventDefault();
            printAll();
        }
    });
}

// The table kept when the page is hidden or goes away, and another window's newer one shown.
function storageEvents() {
    // A hidden tab draws no frames; a closed tab or a reload keeps the last edit too.
    const flush = () => {
        if (savePending) saveNow();
    };
    addEventListener("pagehide", flush);
    document.addEventListener("visibilitychange", () => {
        if (document.hidden) flush();
    });
    addEventListener("storage", (event) => {
        if (event.key !== STORE + name || event.newValue === null) return;
        const newer = JSON.parse(event.newValue);
        if ((newer.revision ?? 0) > revision) adopt(newer);
    });
}

function buttons() {
    rowButtons();
    historyButtons();
    inventoryButtons();
    viewOptions();
    tabs();
    fileButtons();
    shortcuts();
    storageEvents();
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

// The sources of pollution as the grid edits them: rows headed by their
// numbers, the name staying at the left; rows come from the posts, none is
// added. An edit may add or take away a row (a source whose parameters all
// went blank and that no post names): then the table is drawn anew.
function pollutionSources() {
    const table = core.sources;
    const {columns, heading} = table.columns();
    let size = table.size();
    return {
        columns, heading, brands: [], fixed: 1,
        size: () => table.size(),
        rows: (first, count) => table.rows(first, count),
        totals: () => table.totals(),
        set: (row, column, text) => table.set(row, column, text),
        paste: (block, text) => table.paste(block, text),
        erase: (block) => table.erase(block),
        fillDown: (block) => table.fillDown(block),
        copy: (block) => table.copy(block),
        changed() {
            if (table.size() !== size) sourcesSheet.refresh();
            size = table.size();
            saveSoon();
        },
    };
}

const shownSheet = () => (document.getElementById("sheet").hidden ? sourcesSheet : sheet);
const otherSheet = () => (shownSheet() === sheet ? sourcesSheet : sheet);

// After rows or parameters changed wholesale: both tables drawn again.
function refreshBoth(row) {
    sheet.refresh(row);
    sourcesSheet.refresh(row === undefined ? undefined : 0);
}

// The posts or the sources of pollution (`sources`). The row buttons that
// only posts have are off in the other.
function showTab(sources) {
    const tabs = [["postsTab", "sheet"], ["pollutionSourcesTab", "pollutionSourcesSheet"]];
    tabs.forEach(([tab, panel], i) => {
        const selected = (i === 1) === sources;
        const button = document.getElementById(tab);
        button.setAttribute("aria-selected", String(selected));
        button.tabIndex = selected ? 0 : -1;
        document.getElementById(panel).hidden = !selected;
    });
    for (const id of ["addRow", "duplicateRow", "showRowReport"]) document.getElementById(id).disabled = sources;
}

// Clicks and the arrow keys between the tabs, as a tab list is used.
function tabs() {
    const ids = ["postsTab", "pollutionSourcesTab"];
    ids.forEach((id, i) => {
        const tab = document.getElementById(id);
        // The table shown is drawn from the core anew, as edits of the other change it.
        tab.addEventListener("click", () => {
            showTab(i === 1);
            shownSheet().refresh();
            shownSheet().focus();
        });
        tab.addEventListener("keydown", (event) => {
            if (event.key !== "ArrowLeft" && event.key !== "ArrowRight") return;
            event.preventDefault();
            const other = document.getElementById(ids[1 - i]);
            other.focus();
            other.click();
        });
    });
}

function ready(theCore) {
    core = theCore;
    sheet = createSheet({sheet: document.getElementById("sheet"), table: document.getElementById("sourcesTable")},
        postsSource());
    sourcesSheet = createSheet({sheet: document.getElementById("pollutionSourcesSheet"),
        table: document.getElementById("pollutionSourcesTable")}, pollutionSources());
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
