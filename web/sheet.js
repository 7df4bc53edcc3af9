// SPDX-License-Identifier: GPL-3.0-or-later
// The table of sources: a spreadsheet of the core's rows. Only the rows in
// view (and a few around them) are in the document, each a <tr> of the
// <tbody>, so that ten thousand rows cost no more to show and to edit than
// fifty; margins above and below the table stand for the rest. The core holds
// the rows and computes them; this file shows its texts and passes on edits.
const ROW_HEIGHT = 21;  // px, borders included: every row is one line
const SPARE_ROWS = 4;   // rendered above and below the view; scrolling moves rows rather than drawing all anew
const FIXED = 2;        // columns that stay at the left while the others scroll: the source and its ИЗА
// px of each width class the core gives its columns.
const WIDTHS = {long: 200, code: 48, list: 116, number: 72, result: 136, status: 180, emission: 92};
const NUMBER_WIDTH = 48;  // px, the row numbers' column
const ACTIVE_ID = "activeCell";

let core = null;
let onChange = () => {};
let columns = [];   // the core's: {caption, name, title, kind, code, width (its class)}, and px
let inputs = 0;     // the editable columns, which come first
let brands = [];
let first = 0;      // the row of the first <tr> of the <tbody>
let stale = true;   // rows changed wholesale: every <tr> and the totals drawn again
let active = {row: 0, column: 0};
let activeCell = null;
let editing = null;  // {row, column, element, original}
let sheet, table, body, foot;
// The view as last laid out: kept so that moving the active cell reads no
// layout that the edit before it has made stale.
const view = {top: 0, left: 0, width: 0, height: 0, head: 0, foot: 0, fixed: 0};

function size() {
    return core.size();
}

function buildColumns(names) {
    columns = names.columns.map((c) => ({...c, px: WIDTHS[c.width]}));
    inputs = columns.filter((c) => c.kind === "input").length;
}

// A column's cells: its kind, its width class, its place, and whether it stays at the left.
function cellClass(column, i) {
    return `${column.kind} w-${column.width} col${i}${i < FIXED ? " fixed" : ""}`;
}

// The header, and the width the fixed layout needs.
function buildHead() {
    const row = document.createElement("tr");
    const corner = document.createElement("th");
    corner.textContent = "№";
    corner.className = "number fixed";
    corner.scope = "col";
    row.append(corner);
    columns.forEach((c, i) => {
        const th = document.createElement("th");
        th.scope = "col";
        th.textContent = c.caption;
        th.title = c.title;
        th.style.width = `${c.px}px`;
        th.className = cellClass(c, i);
        row.append(th);
    });
    table.tHead.replaceChildren(row);
    fitWidth();
}

function fitWidth() {
    const showG = table.classList.contains("show-g"), showM = table.classList.contains("show-m");
    const shown = columns.filter((c) => (c.kind !== "g" || showG) && (c.kind !== "m" || showM));
    table.style.width = `${NUMBER_WIDTH + shown.reduce((sum, c) => sum + c.px, 0)}px`;
}

function newRow() {
    const tr = document.createElement("tr");
    const th = document.createElement("th");
    th.scope = "row";
    th.className = "number fixed";
    tr.append(th);
    columns.forEach((c, i) => {
        const td = document.createElement("td");
        td.className = cellClass(c, i);
        tr.append(td);
    });
    return tr;
}

// Sets a cell's text unless it already reads so: an unchanged document
// costs the browser no style or layout work.
function setText(cell, text) {
    if (cell.textContent !== text) cell.textContent = text;
}

// A row from the core: its state, each column's text, and the notice of
// each input cell read only in part, which marks the cell and is its tooltip.
function fill(tr, row, {state, texts, notices}) {
    if (tr.dataset.row !== String(row)) {
        tr.dataset.row = row;
        tr.setAttribute("aria-rowindex", row + 2);
        tr.cells[0].textContent = row + 1;
    }
    if (tr.className !== state) tr.className = state;
    for (let c = 0; c < columns.length; ++c) {
        const cell = tr.cells[c + 1];
        if (editing && cell.firstChild === editing.element) continue;
        setText(cell, texts[c]);
        const title = columns[c].kind === "status" ? texts[c] : notices[c] ?? "";
        if (cell.title !== title) cell.title = title;
        if (c < inputs) cell.classList.toggle("partly", title !== "");
    }
}

// The rows in view, from the core's texts; the active cell marked. Rows
// still in view after a scroll keep their <tr>; only the rows that came
// into view are asked for, and only after wholesale changes all of them.
function render() {
    const total = size();
    const inView = Math.ceil(view.height / ROW_HEIGHT) + 2 * SPARE_ROWS;
    const wanted = Math.max(0, Math.min(Math.floor(view.top / ROW_HEIGHT) - SPARE_ROWS, total - inView));
    const count = Math.max(0, Math.min(inView, total - wanted));
    if (editing && (editing.row < wanted || editing.row >= wanted + count)) commit(false);
    if (!stale && wanted === first && count === body.rows.length) {
        markActive();
        return;
    }
    const shift = wanted - first;
    const keep = stale ? 0 : Math.max(0, body.rows.length - Math.abs(shift));
    // Kept rows move to where they now stand; the others are filled anew.
    if (keep > 0 && shift > 0) {
        for (let i = 0; i < shift; ++i) body.append(body.firstElementChild);
    } else if (keep > 0 && shift < 0) {
        for (let i = 0; i < -shift; ++i) body.prepend(body.lastElementChild);
    }
    while (body.rows.length < count) body.append(newRow());
    while (body.rows.length > count) body.lastElementChild.remove();
    first = wanted;
    const keptFrom = shift > 0 ? 0 : -shift, keptTo = keptFrom + keep;  // the kept rows' places now
    if (keep === 0 || keptTo >= count) {
        fillRows(0, keep === 0 ? count : keptFrom);
    } else {
        fillRows(0, keptFrom);
        fillRows(keptTo, count - keptTo);
    }
    table.style.marginTop = `${first * ROW_HEIGHT}px`;
    table.style.marginBottom = `${(total - first - count) * ROW_HEIGHT}px`;
    table.setAttribute("aria-rowcount", total + 2);
    if (stale) renderTotals();
    stale = false;
    markActive();
}

// Rows `from` to `from + count` of the <tbody>.
function fillRows(from, count) {
    if (count <= 0) return;
    const rows = core.rows(first + from, count);
    for (let i = 0; i < rows.length; ++i) fill(body.rows[from + i], first + from + i, rows[i]);
}

function renderTotals() {
    const totals = core.totals();
    const tr = foot.rows[0] ?? foot.appendChild(newRow());
    setText(tr.cells[0], totals.label);
    columns.forEach((c, i) => setText(tr.cells[i + 1], totals.texts[i]));
}

// One row again, after its edit, and the totals.
function renderRow(row) {
    const tr = rowElement(row);
    if (tr) fill(tr, row, core.rows(row, 1)[0]);
    renderTotals();
}

function rowElement(row) {
    return row >= first && row < first + body.rows.length ? body.rows[row - first] : null;
}

function cellElement(row, column) {
    return rowElement(row)?.cells[column + 1] ?? null;
}

// The keyboard's focus stays on the table, which names the active cell
// to assistive technology: moving it between cells would make the
// browser lay out the rows just changed, once more than the next frame does.
function markActive() {
    const cell = cellElement(active.row, active.column);
    if (activeCell === cell) return;
    if (activeCell !== null) {
        activeCell.classList.remove("active");
        activeCell.removeAttribute("id");
    }
    activeCell = cell;
    if (cell === null) {
        table.removeAttribute("aria-activedescendant");
        return;
    }
    cell.classList.add("active");
    cell.id = ACTIVE_ID;
    table.setAttribute("aria-activedescendant", ACTIVE_ID);
}

// Called before the document changes, so that the browser has nothing to lay out for it.
function focusTable() {
    if (document.activeElement !== table) table.focus({preventScroll: true});
}

// Where the browser has scrolled to and how large the view is: read when
// it scrolls or resizes, when the layout is fresh.
function measure() {
    view.top = sheet.scrollTop;
    view.left = sheet.scrollLeft;
    view.width = sheet.clientWidth;
    view.height = sheet.clientHeight;
    view.head = table.tHead.offsetHeight;
    view.foot = foot.offsetHeight;
    // The columns that stay at the left: fewer in narrow windows.
    const heads = [...table.tHead.rows[0].cells];
    view.fixed = heads.filter((th) => th.classList.contains("fixed") && getComputedStyle(th).left !== "auto")
        .reduce((width, th) => width + th.offsetWidth, 0);
}

function scrollTo(top, left) {
    if (top === view.top && left === view.left) return;
    sheet.scrollTo(left, top);
    measure();
}

// Scrolls so that the active cell is in view, below the header and above
// the totals and right of the fixed columns; positions follow from the
// fixed row height and column widths.
function reveal() {
    let top = view.top, left = view.left;
    const y = active.row * ROW_HEIGHT;
    if (y < top) top = y;
    const bottom = y + ROW_HEIGHT + view.head + view.foot;
    if (bottom > top + view.height) top = bottom - view.height;
    const x = NUMBER_WIDTH + columns.slice(0, active.column).reduce((sum, c) => sum + c.px, 0);
    if (x < view.fixed) {
        left = 0;
    } else {
        if (x < left + view.fixed) left = x - view.fixed;
        const right = x + columns[active.column].px;
        if (right > left + view.width) left = right - view.width;
    }
    scrollTo(top, left);
    render();
}

export function moveTo(row, column) {
    focusTable();
    if (editing) commit(true);
    const total = size();
    active = {row: Math.max(0, Math.min(row, Math.max(total - 1, 0))), column: Math.max(0, Math.min(column, inputs - 1))};
    reveal();
}

export function focus() {
    moveTo(active.row, active.column);
}

// The cell's editor: a text field, or the brand list with the row's own
// brand in it when that is not one of the list.
function startEdit(initial) {
    const cell = cellElement(active.row, active.column);
    if (!cell) return;
    const original = core.rows(active.row, 1)[0].texts[active.column];
    let element;
    if (columns[active.column].width === "list") {
        element = document.createElement("select");
        const choices = ["", ...brands];
        if (!choices.includes(original)) choices.push(original);
        for (const brand of choices) element.add(new Option(brand, brand));
        element.value = original;
        if (initial) {
            const match = brands.find((b) => b.toLowerCase().startsWith(initial.toLowerCase()));
            if (match) element.value = match;
        }
    } else {
        element = document.createElement("input");
        element.type = "text";
        element.spellcheck = false;
        element.autocomplete = "off";
        element.value = initial ?? original;
    }
    element.className = "editor";
    element.setAttribute("aria-label", columns[active.column].caption);
    element.addEventListener("blur", () => commit(false));
    editing = {row: active.row, column: active.column, element, original};
    cell.replaceChildren(element);
    element.focus();
    if (initial === undefined && element.select) element.select();
}

// Hands the edited text to the core; the row and the totals are computed again.
function commit(keep) {
    if (!editing) return;
    const {row, column, element, original} = editing;
    editing = null;
    const text = element.value;
    if (keep) focusTable();
    element.remove();
    if (keep !== null && text !== original) {
        core.set(row, column, text);
        onChange();
    }
    renderRow(row);
    markActive();
}

function cancel() {
    if (!editing) return;
    editing.element.value = editing.original;
    commit(true);
}

function editorKeys(event) {
    const key = event.key;
    const isSelect = editing.element.tagName === "SELECT";
    if (key === "Escape") {
        event.preventDefault();
        cancel();
    } else if (key === "Enter") {
        event.preventDefault();
        commit(true);
        moveDown(event.shiftKey ? -1 : 1);
    } else if (key === "Tab") {
        event.preventDefault();
        commit(true);
        step(event.shiftKey ? -1 : 1);
    } else if (!isSelect && (key === "ArrowUp" || key === "ArrowDown")) {
        event.preventDefault();
        commit(true);
        moveTo(active.row + (key === "ArrowUp" ? -1 : 1), active.column);
    }
}

// A move past the last row adds a row.
function appendRow() {
    core.insert(size(), 1);
    stale = true;
    onChange();
}

// Enter: the next row; past the last one a new row is added.
function moveDown(by) {
    if (by > 0 && active.row + 1 >= size()) appendRow();
    moveTo(active.row + by, active.column);
}

// Tab: the next cell, on to the next row after the last input column.
function step(by) {
    let {row, column} = active;
    column += by;
    if (column >= inputs) {
        column = 0;
        ++row;
    } else if (column < 0) {
        column = inputs - 1;
        --row;
    }
    if (row < 0) return;
    if (row >= size()) appendRow();
    moveTo(row, column);
}

function keys(event) {
    if (editing) {
        editorKeys(event);
        return;
    }
    const {row, column} = active;
    const page = Math.max(1, Math.floor(sheet.clientHeight / ROW_HEIGHT) - 2);
    const ctrl = event.ctrlKey || event.metaKey;
    const moves = {
        ArrowUp: [row - 1, column], ArrowDown: [row + 1, column], ArrowLeft: [row, column - 1],
        ArrowRight: [row, column + 1], PageUp: [row - page, column], PageDown: [row + page, column],
        Home: ctrl ? [0, 0] : [row, 0], End: ctrl ? [size() - 1, inputs - 1] : [row, inputs - 1],
    };
    if (moves[event.key]) {
        event.preventDefault();
        moveTo(...moves[event.key]);
    } else if (event.key === "Tab") {
        event.preventDefault();
        step(event.shiftKey ? -1 : 1);
    } else if (event.key === "Enter" && !ctrl) {
        event.preventDefault();
        moveDown(event.shiftKey ? -1 : 1);
    } else if (event.key === "F2") {
        event.preventDefault();
        startEdit();
    } else if ((event.key === "Delete" || event.key === "Backspace") && !ctrl) {
        event.preventDefault();
        core.set(row, column, "");
        onChange();
        renderRow(row);
    } else if (event.key.length === 1 && !ctrl && !event.altKey) {
        event.preventDefault();
        startEdit(event.key);
    }
}

// A block copied from a spreadsheet, from the active cell on.
function paste(event) {
    if (editing || !sheet.contains(document.activeElement)) return;
    const text = event.clipboardData.getData("text/plain");
    if (!text) return;
    event.preventDefault();
    core.paste(active.row, active.column, text);
    stale = true;
    onChange();
    render();
}

function copy(event) {
    if (editing || !sheet.contains(document.activeElement)) return;
    event.preventDefault();
    event.clipboardData.setData("text/plain", core.rows(active.row, 1)[0].texts[active.column]);
}

function pointer(event) {
    const cell = event.target.closest("td, th[scope=row]");
    const tr = cell?.closest("tbody tr");
    if (!tr || event.target === editing?.element) return;
    const column = cell.cellIndex - 1;
    event.preventDefault();
    moveTo(Number(tr.dataset.row), column < 0 ? active.column : Math.min(column, inputs - 1));
}

export function attach(theCore, names, changed) {
    core = theCore;
    onChange = changed;
    brands = names.brands;
    sheet = document.getElementById("sheet");
    table = document.getElementById("sourcesTable");
    body = table.tBodies[0];
    foot = table.tFoot;
    buildColumns(names);
    buildHead();
    const onView = () => {
        measure();
        render();
    };
    sheet.addEventListener("scroll", onView, {passive: true});
    new ResizeObserver(onView).observe(sheet);
    measure();
    sheet.addEventListener("keydown", keys);
    sheet.addEventListener("mousedown", pointer);
    sheet.addEventListener("dblclick", (event) => {
        if (event.target.closest("tbody td.input")) startEdit();
    });
    document.addEventListener("paste", paste);
    document.addEventListener("copy", copy);
    render();
}

// Which emission columns show: "both", "g" or "m".
export function showEmissions(which) {
    table.classList.toggle("show-g", which !== "m");
    table.classList.toggle("show-m", which !== "g");
    fitWidth();
    measure();
}

export function activeRow() {
    return active.row;
}

// After rows changed wholesale: everything drawn again, the active cell kept in the table.
export function refresh(row = active.row) {
    if (editing) commit(null);
    active.row = Math.max(0, Math.min(row, size() - 1));
    stale = true;
    render();
}
