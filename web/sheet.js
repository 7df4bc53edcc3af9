// SPDX-License-Identifier: GPL-3.0-or-later
// The table of sources: a spreadsheet of the core's rows. Only the rows in
// view (and a few around them) are in the document, each a <tr> of the
// <tbody>, so that ten thousand rows cost no more to show and to edit than
// fifty; margins above and below the table stand for the rest. The core holds
// the rows and computes them; this file shows its texts and passes on edits.
"use strict";

const KorvelSheet = (() => {
    const ROW_HEIGHT = 21;  // px, borders included: every row is one line
    const SPARE_ROWS = 12;  // rendered above and below the view, for smooth scrolling
    const INPUTS = 7;       // editable columns, in the core's order
    const BRAND = 1;

    let core = null;
    let onChange = () => {};
    let columns = [];   // {label, title, width, kind: "input"|"result"|"g"|"m"}
    let brands = [];
    let first = 0;      // the row of the first <tr> of the <tbody>
    let active = {row: 0, column: 0};
    let editing = null;  // {row, column, element, original}
    let sheet, table, body, foot;

    function size() {
        return core.size();
    }

    function buildColumns(names) {
        const inputs = [
            ["Источник выброса", 200], ["Марка электрода", 116], ["Расход, кг/год", 84], ["Часов в день", 60],
            ["Минут", 52], ["Рабочих дней", 62], ["Часов в год", 70],
        ];
        columns = inputs.map(([label, width], i) => ({label, title: names.inputs[i], width, kind: "input"}));
        columns.push({label: "b, кг/сут", title: "daily_consumption_kg", width: 86, kind: "result"});
        columns.push({label: "t, с", title: "welding_time_s", width: 86, kind: "result"});
        columns.push({label: "Состояние", title: "status", width: 180, kind: "result"});
        for (const [code, name] of names.substances) {
            columns.push({label: `G ${code}`, title: `${name}: максимально разовый выброс, г/с`, width: 92, kind: "g"});
            columns.push({label: `M ${code}`, title: `${name}: валовый выброс, т/год`, width: 92, kind: "m"});
        }
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
            th.textContent = c.label;
            th.title = c.title;
            th.style.width = `${c.width}px`;
            th.className = `${c.kind} col${i}${i <= BRAND ? " fixed" : ""}`;
            row.append(th);
        });
        table.tHead.replaceChildren(row);
        fitWidth();
    }

    function fitWidth() {
        const showG = table.classList.contains("show-g"), showM = table.classList.contains("show-m");
        const shown = columns.filter((c) => (c.kind !== "g" || showG) && (c.kind !== "m" || showM));
        table.style.width = `${48 + shown.reduce((sum, c) => sum + c.width, 0)}px`;
    }

    function newRow() {
        const tr = document.createElement("tr");
        const th = document.createElement("th");
        th.scope = "row";
        th.className = "number fixed";
        tr.append(th);
        columns.forEach((c, i) => {
            const td = document.createElement("td");
            td.className = `${c.kind} col${i}${i <= BRAND ? " fixed" : ""}`;
            if (c.kind === "input") td.tabIndex = -1;
            tr.append(td);
        });
        return tr;
    }

    function fill(tr, row, texts) {
        tr.dataset.row = row;
        tr.className = texts[0];
        tr.setAttribute("aria-rowindex", row + 2);
        tr.cells[0].textContent = row + 1;
        for (let c = 0; c < columns.length; ++c) {
            const cell = tr.cells[c + 1];
            if (cell.firstChild !== editing?.element || !editing) cell.textContent = texts[c + 1];
            if (c === 9) cell.title = texts[c + 1];
        }
    }

    // The rows in view, from the core's texts; the active cell marked.
    function render() {
        const total = size();
        const inView = Math.ceil(sheet.clientHeight / ROW_HEIGHT) + 2 * SPARE_ROWS;
        first = Math.max(0, Math.min(Math.floor(sheet.scrollTop / ROW_HEIGHT) - SPARE_ROWS, total - inView));
        const count = Math.max(0, Math.min(inView, total - first));
        if (editing && (editing.row < first || editing.row >= first + count)) commit(false);
        while (body.rows.length < count) body.append(newRow());
        while (body.rows.length > count) body.lastElementChild.remove();
        const texts = core.rows(first, count);
        for (let i = 0; i < count; ++i) fill(body.rows[i], first + i, texts[i]);
        table.style.marginTop = `${first * ROW_HEIGHT}px`;
        table.style.marginBottom = `${(total - first - count) * ROW_HEIGHT}px`;
        table.setAttribute("aria-rowcount", total + 2);
        markActive();
        renderTotals();
    }

    function renderTotals() {
        const totals = core.totals();
        const tr = foot.rows[0] ?? foot.appendChild(newRow());
        tr.cells[0].textContent = "итого";
        for (let c = 0; c < columns.length; ++c) {
            const m = columns[c].kind === "m" ? (c - 10) / 2 : -1;
            tr.cells[c + 1].textContent = m >= 0 ? totals[Math.floor(m)] : "";
        }
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

    function markActive() {
        for (const old of table.querySelectorAll("td.active")) {
            old.classList.remove("active");
            old.tabIndex = -1;
        }
        const cell = cellElement(active.row, active.column);
        if (!cell) return;
        cell.classList.add("active");
        cell.tabIndex = 0;
        if (!editing && sheet.contains(document.activeElement)) cell.focus({preventScroll: true});
    }

    // Scrolls so that the active cell is in view, below the header and above the totals.
    function reveal() {
        const top = active.row * ROW_HEIGHT;
        const head = table.tHead.offsetHeight, footHeight = foot.offsetHeight;
        if (top < sheet.scrollTop) sheet.scrollTop = top;
        const bottom = top + ROW_HEIGHT + head + footHeight;
        if (bottom > sheet.scrollTop + sheet.clientHeight) sheet.scrollTop = bottom - sheet.clientHeight;
        render();
        const cell = cellElement(active.row, active.column);
        if (cell && active.column > BRAND) {
            const fixed = [...table.tHead.rows[0].cells].slice(0, BRAND + 2).reduce((w, th) => w + th.offsetWidth, 0);
            if (cell.offsetLeft < sheet.scrollLeft + fixed) sheet.scrollLeft = cell.offsetLeft - fixed;
            const right = cell.offsetLeft + cell.offsetWidth;
            if (right > sheet.scrollLeft + sheet.clientWidth) sheet.scrollLeft = right - sheet.clientWidth;
        } else if (cell) {
            sheet.scrollLeft = 0;
        }
    }

    function moveTo(row, column) {
        if (editing) commit(true);
        const total = size();
        active = {row: Math.max(0, Math.min(row, Math.max(total - 1, 0))), column: Math.max(0, Math.min(column, INPUTS - 1))};
        reveal();
        cellElement(active.row, active.column)?.focus({preventScroll: true});
    }

    function focus() {
        moveTo(active.row, active.column);
    }

    // The cell's editor: a text field, or the brand list with the row's own
    // brand in it when that is not one of the list.
    function startEdit(initial) {
        if (size() === 0) {
            core.insert(0, 1);
            render();
        }
        const cell = cellElement(active.row, active.column);
        if (!cell) return;
        const original = core.rows(active.row, 1)[0][active.column + 1];
        let element;
        if (active.column === BRAND) {
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
        element.setAttribute("aria-label", columns[active.column].label);
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
        element.remove();
        if (keep !== null && text !== original) {
            core.set(row, column, text);
            onChange();
        }
        renderRow(row);
        markActive();
        if (keep) cellElement(active.row, active.column)?.focus({preventScroll: true});
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

    // Enter: the next row; past the last one a new row is added.
    function moveDown(by) {
        if (by > 0 && active.row + 1 >= size()) {
            core.insert(size(), 1);
            onChange();
        }
        moveTo(active.row + by, active.column);
    }

    // Tab: the next cell, on to the next row after the last input column.
    function step(by) {
        let {row, column} = active;
        column += by;
        if (column >= INPUTS) {
            column = 0;
            ++row;
        } else if (column < 0) {
            column = INPUTS - 1;
            --row;
        }
        if (row < 0) return;
        if (row >= size()) {
            core.insert(size(), 1);
            onChange();
        }
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
            Home: ctrl ? [0, 0] : [row, 0], End: ctrl ? [size() - 1, INPUTS - 1] : [row, INPUTS - 1],
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
        } else if ((event.key === "Delete" || event.key === "Backspace") && !ctrl && size() > 0) {
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
        onChange();
        render();
    }

    function copy(event) {
        if (editing || !sheet.contains(document.activeElement) || size() === 0) return;
        event.preventDefault();
        event.clipboardData.setData("text/plain", core.rows(active.row, 1)[0][active.column + 1]);
    }

    function pointer(event) {
        const cell = event.target.closest("td, th[scope=row]");
        const tr = cell?.closest("tbody tr");
        if (!tr || event.target === editing?.element) return;
        const column = cell.cellIndex - 1;
        event.preventDefault();
        moveTo(Number(tr.dataset.row), column < 0 ? active.column : Math.min(column, INPUTS - 1));
    }

    function attach(theCore, names, changed) {
        core = theCore;
        onChange = changed;
        brands = names.brands;
        sheet = document.getElementById("sheet");
        table = document.getElementById("sourcesTable");
        body = table.tBodies[0];
        foot = table.tFoot;
        buildColumns(names);
        buildHead();
        sheet.addEventListener("scroll", render, {passive: true});
        new ResizeObserver(render).observe(sheet);
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
    function showEmissions(which) {
        table.classList.toggle("show-g", which !== "m");
        table.classList.toggle("show-m", which !== "g");
        fitWidth();
    }

    function activeRow() {
        return active.row;
    }

    // After rows changed wholesale: everything drawn again, the active cell kept in the table.
    function refresh(row = active.row) {
        if (editing) commit(null);
        active.row = Math.max(0, Math.min(row, size() - 1));
        render();
    }

    return {attach, render, refresh, focus, moveTo, activeRow, showEmissions};
})();
