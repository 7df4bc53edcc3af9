// SPDX-License-Identifier: GPL-3.0-or-later
// A table of the core's rows as a spreadsheet, for any table the page shows.
// Only the rows in view (and a few around them) are in the document, each a
// <tr> of the <tbody>, so that ten thousand rows cost no more to show and to
// edit than fifty; margins above and below the table stand for the rest. The
// core holds the rows and computes them; a grid shows its texts and passes on
// edits through its source:
//   columns: [{caption, name, title, kind, code, width (its class), choices?}], inputs first;
//   brands: the choices of a "list" column that names none of its own;
//   fixed: how many columns stay at the left while the others scroll;
//   heading: the row headers' caption, "№" when they are the rows' numbers;
//   size(), rows(first, count) → [{number?, state, label?, texts, notices}] (the row's header: label, else
//   number, the row's place in the whole table when a filter hides rows), totals() → {label, texts} or null;
//   set(row, column, text), append() → whether it added a row after the last (absent: none is added);
//   for a block {row, column, rows, columns}: paste(block, text) → the block filled,
//   erase(block), fillDown(block), copy(block) → its text as a spreadsheet copies it;
//   changed(): after any edit, so that the page stores it.
// A selection runs from its anchor to the active cell, over any columns;
// only the input columns, which come first, are edited.
const ROW_HEIGHT = 21;  // px, borders included: every row is one line
const SPARE_ROWS = 4;   // rendered above and below the view; scrolling moves rows rather than drawing all anew
// px of each width class the core gives its columns.
const WIDTHS = {long: 200, code: 48, list: 116, number: 72, result: 136, status: 180, emission: 92};
const NUMBER_WIDTH = 48;  // px, the row numbers' column

// A column's cells: its kind, its width class, its place, and whether it stays at the left.
function cellClass(column, i, fixed) {
    return `${column.kind} w-${column.width} col${i}${i < fixed ? " fixed" : ""}`;
}

// Sets a cell's text unless it already reads so: an unchanged document
// costs the browser no style or layout work.
function setText(cell, text) {
    if (cell.textContent !== text) cell.textContent = text;
}

// The letter of a shortcut whatever the keyboard's layout: Ctrl+Z is Ctrl+Я on a Russian one.
export function shortcutKey(event) {
    if (/^[a-z]$/i.test(event.key)) return event.key.toLowerCase();
    return event.code.startsWith("Key") ? event.code.slice(3).toLowerCase() : event.key;
}

class Sheet {
    constructor({sheet, table}, source) {
        this.source = source;
        this.sheet = sheet;
        this.table = table;
        this.body = table.tBodies[0];
        this.foot = table.tFoot;
        this.columns = source.columns.map((c) => ({...c, px: WIDTHS[c.width]}));
        this.inputs = this.columns.filter((c) => c.kind === "input").length;  // the editable columns, which come first
        this.activeId = `${table.id}Active`;
        this.first = 0;      // the row of the first <tr> of the <tbody>
        this.stale = true;   // rows changed wholesale: every <tr> and the totals drawn again
        this.active = {row: 0, column: 0};
        this.anchor = {row: 0, column: 0};  // the selection's other corner
        this.tinted = "";  // the block tinted as selected, "" when none
        this.dragging = false;
        this.activeCell = null;
        this.editing = null;  // {row, column, element, original}
        // The view as last laid out: kept so that moving the active cell reads no
        // layout that the edit before it has made stale.
        this.view = {top: 0, left: 0, width: 0, height: 0, head: 0, foot: 0, fixed: 0};
        this.buildHead();
        this.listen();
        this.render();
    }

    size() {
        return this.source.size();
    }

    // The header, and the width the fixed layout needs.
    buildHead() {
        const row = document.createElement("tr");
        const corner = document.createElement("th");
        corner.textContent = this.source.heading ?? "№";
        corner.className = "number fixed";
        corner.scope = "col";
        row.append(corner);
        this.columns.forEach((c, i) => {
            const th = document.createElement("th");
            th.scope = "col";
            th.textContent = c.caption;
            th.title = c.title;
            th.style.width = `${c.px}px`;
            th.className = cellClass(c, i, this.source.fixed);
            row.append(th);
        });
        this.table.tHead.replaceChildren(row);
        this.fitWidth();
    }

    // The columns shown (G and M may be hidden), and the table's width.
    fitWidth() {
        const showG = this.table.classList.contains("show-g"), showM = this.table.classList.contains("show-m");
        this.shown = this.columns.map((c) => (c.kind !== "g" || showG) && (c.kind !== "m" || showM));
        this.table.style.width = `${this.columnStart(this.columns.length)}px`;
    }

    // Where the column starts in the table.
    columnStart(column) {
        let x = NUMBER_WIDTH;
        for (let c = 0; c < column; ++c) x += this.shown[c] ? this.columns[c].px : 0;
        return x;
    }

    // The next column shown from `column` on in the direction `by` (1 or -1).
    nextShown(column, by) {
        let c = column + by;
        while (c >= 0 && c < this.columns.length && !this.shown[c]) c += by;
        return c >= 0 && c < this.columns.length ? c : column;
    }

    newRow() {
        const tr = document.createElement("tr");
        const th = document.createElement("th");
        th.scope = "row";
        th.className = "number fixed";
        tr.append(th);
        this.columns.forEach((c, i) => {
            const td = document.createElement("td");
            td.className = cellClass(c, i, this.source.fixed);
            tr.append(td);
        });
        return tr;
    }

    // A row from the core: its state, each column's text, and the notice of
    // each input cell read only in part, which marks the cell and is its tooltip.
    fill(tr, row, {number, state, label, texts, notices}) {
        if (tr.dataset.row !== String(row)) {
            tr.dataset.row = row;
            tr.setAttribute("aria-rowindex", row + 2);
        }
        setText(tr.cells[0], label ?? number);
        if (tr.className !== state) tr.className = state;
        for (let c = 0; c < this.columns.length; ++c) {
            const cell = tr.cells[c + 1];
            if (this.editing && cell.firstChild === this.editing.element) continue;
            setText(cell, texts[c]);
            const title = this.columns[c].kind === "status" ? texts[c] : notices[c] ?? "";
            if (cell.title !== title) cell.title = title;
            if (c < this.inputs) cell.classList.toggle("partly", title !== "");
        }
    }

    // The rows in view, from the core's texts; the active cell marked. Rows
    // still in view after a scroll keep their <tr>; only the rows that came
    // into view are asked for, and only after wholesale changes all of them.
    render() {
        const {view, body} = this;
        const total = this.size();
        const inView = Math.ceil(view.height / ROW_HEIGHT) + 2 * SPARE_ROWS;
        const wanted = Math.max(0, Math.min(Math.floor(view.top / ROW_HEIGHT) - SPARE_ROWS, total - inView));
        const count = Math.max(0, Math.min(inView, total - wanted));
        if (this.editing && (this.editing.row < wanted || this.editing.row >= wanted + count)) this.commit(false);
        if (!this.stale && wanted === this.first && count === body.rows.length) {
            this.markActive();
            return;
        }
        const shift = wanted - this.first;
        const keep = this.stale ? 0 : Math.max(0, body.rows.length - Math.abs(shift));
        // Kept rows move to where they now stand; the others are filled anew.
        if (keep > 0 && shift > 0) {
            for (let i = 0; i < shift; ++i) body.append(body.firstElementChild);
        } else if (keep > 0 && shift < 0) {
            for (let i = 0; i < -shift; ++i) body.prepend(body.lastElementChild);
        }
        while (body.rows.length < count) body.append(this.newRow());
        while (body.rows.length > count) body.lastElementChild.remove();
        this.first = wanted;
        const keptFrom = shift > 0 ? 0 : -shift, keptTo = keptFrom + keep;  // the kept rows' places now
        if (keep === 0 || keptTo >= count) {
            this.fillRows(0, keep === 0 ? count : keptFrom);
        } else {
            this.fillRows(0, keptFrom);
            this.fillRows(keptTo, count - keptTo);
        }
        this.table.style.marginTop = `${this.first * ROW_HEIGHT}px`;
        this.table.style.marginBottom = `${(total - this.first - count) * ROW_HEIGHT}px`;
        this.table.setAttribute("aria-rowcount", total + 2);
        if (this.stale) this.renderTotals();
        this.stale = false;
        this.markActive();
        this.markSelection(true);
    }

    // Rows `from` to `from + count` of the <tbody>.
    fillRows(from, count) {
        if (count <= 0) return;
        const rows = this.source.rows(this.first + from, count);
        for (let i = 0; i < rows.length; ++i) this.fill(this.body.rows[from + i], this.first + from + i, rows[i]);
    }

    renderTotals() {
        const totals = this.source.totals();
        if (totals === null) return;
        const tr = this.foot.rows[0] ?? this.foot.appendChild(this.newRow());
        setText(tr.cells[0], totals.label);
        this.columns.forEach((c, i) => setText(tr.cells[i + 1], totals.texts[i]));
    }

    // One row again, after its edit, and the totals.
    renderRow(row) {
        const tr = this.rowElement(row);
        if (tr) this.fill(tr, row, this.source.rows(row, 1)[0]);
        this.renderTotals();
    }

    rowElement(row) {
        return row >= this.first && row < this.first + this.body.rows.length ? this.body.rows[row - this.first] : null;
    }

    cellElement(row, column) {
        return this.rowElement(row)?.cells[column + 1] ?? null;
    }

    // The keyboard's focus stays on the table, which names the active cell
    // to assistive technology: moving it between cells would make the
    // browser lay out the rows just changed, once more than the next frame does.
    markActive() {
        const cell = this.cellElement(this.active.row, this.active.column);
        if (this.activeCell === cell) return;
        if (this.activeCell !== null) {
            this.activeCell.classList.remove("active");
            this.activeCell.removeAttribute("id");
        }
        this.activeCell = cell;
        if (cell === null) {
            this.table.removeAttribute("aria-activedescendant");
            return;
        }
        cell.classList.add("active");
        cell.id = this.activeId;
        this.table.setAttribute("aria-activedescendant", this.activeId);
    }

    // The selected block: from the anchor to the active cell.
    selection() {
        const {anchor, active} = this;
        return {row: Math.min(anchor.row, active.row), column: Math.min(anchor.column, active.column),
            rows: Math.abs(anchor.row - active.row) + 1, columns: Math.abs(anchor.column - active.column) + 1};
    }

    // The selection tinted in the rows in view; a selection of the active
    // cell alone is only its outline. `moved`: rows came into view.
    markSelection(moved = false) {
        const block = this.selection();
        const tint = block.rows * block.columns > 1 ? `${block.row} ${block.column} ${block.rows} ${block.columns}` : "";
        if (tint === this.tinted && (!moved || tint === "")) return;
        this.tinted = tint;
        for (const tr of this.body.rows) {
            const row = Number(tr.dataset.row);
            const inRows = tint !== "" && row >= block.row && row < block.row + block.rows;
            for (let c = 0; c < this.columns.length; ++c) {
                tr.cells[c + 1].classList.toggle("selected", inRows && c >= block.column && c < block.column + block.columns);
            }
        }
    }

    // Called before the document changes, so that the browser has nothing to lay out for it.
    focusTable() {
        if (document.activeElement !== this.table) this.table.focus({preventScroll: true});
    }

    // Where the browser has scrolled to and how large the view is: read when
    // it scrolls or resizes, when the layout is fresh.
    measure() {
        const {view, sheet, table} = this;
        view.top = sheet.scrollTop;
        view.left = sheet.scrollLeft;
        view.width = sheet.clientWidth;
        view.height = sheet.clientHeight;
        view.head = table.tHead.offsetHeight;
        view.foot = this.foot.offsetHeight;
        // The columns that stay at the left: fewer in narrow windows.
        const heads = [...table.tHead.rows[0].cells];
        view.fixed = heads.filter((th) => th.classList.contains("fixed") && getComputedStyle(th).left !== "auto")
            .reduce((width, th) => width + th.offsetWidth, 0);
    }

    scrollTo(top, left) {
        if (top === this.view.top && left === this.view.left) return;
        this.sheet.scrollTo(left, top);
        this.measure();
    }

    // Scrolls so that the active cell is in view, below the header and above
    // the totals and right of the fixed columns; positions follow from the
    // fixed row height and column widths.
    reveal() {
        const {view, active, columns} = this;
        let top = view.top, left = view.left;
        const y = active.row * ROW_HEIGHT;
        if (y < top) top = y;
        const bottom = y + ROW_HEIGHT + view.head + view.foot;
        if (bottom > top + view.height) top = bottom - view.height;
        const x = this.columnStart(active.column);
        if (x < view.fixed) {
            left = 0;
        } else {
            if (x < left + view.fixed) left = x - view.fixed;
            const right = x + columns[active.column].px;
            if (right > left + view.width) left = Math.min(this.firstWholeColumn(right - view.width), x - view.fixed);
        }
        this.scrollTo(top, left);
        this.render();
    }

    // Scrolled right to at least `left`: as far as a column starts just
    // right of the fixed ones, so that none shows cut at the left, as a
    // spreadsheet scrolls by whole columns.
    firstWholeColumn(left) {
        for (let c = 0; c < this.columns.length; ++c) {
            const start = this.columnStart(c) - this.view.fixed;
            if (this.shown[c] && start >= left) return start;
        }
        return left;
    }

    // `extend`: the selection grows to the cell, else it is the cell alone.
    moveTo(row, column, extend = false) {
        this.focusTable();
        if (this.editing) this.commit(true);
        const total = this.size();
        this.active = {row: Math.max(0, Math.min(row, Math.max(total - 1, 0))),
            column: Math.max(0, Math.min(column, this.columns.length - 1))};
        if (!extend) this.anchor = {...this.active};
        this.reveal();
        this.markSelection();
    }

    // Ctrl+A: every row's inputs, the active cell at the top.
    selectAll() {
        this.moveTo(0, 0);
        this.anchor = {row: Math.max(this.size() - 1, 0), column: this.inputs - 1};
        this.markSelection();
    }

    focus() {
        this.moveTo(this.active.row, this.active.column);
    }

    // The cell's editor: a text field, or the list of choices with the row's
    // own text in it when that is not one of the list.
    startEdit(initial) {
        const {row, column} = this.active;
        const cell = this.cellElement(row, column);
        if (!cell || column >= this.inputs) return;
        const {state, texts} = this.source.rows(row, 1)[0];
        if (state.split(" ").includes("fixed")) return;
        const original = texts[column];
        const element = this.columns[column].width === "list" ? this.choiceEditor(column, original, initial)
            : this.textEditor(initial ?? original);
        element.className = "editor";
        element.setAttribute("aria-label", this.columns[column].caption);
        element.addEventListener("blur", () => this.commit(false));
        this.editing = {row, column, element, original};
        cell.replaceChildren(element);
        element.focus();
        if (initial === undefined && element.select) element.select();
    }

    choiceEditor(column, original, initial) {
        const element = document.createElement("select");
        const list = this.columns[column].choices ?? this.source.brands;
        const choices = ["", ...list];
        if (!choices.includes(original)) choices.push(original);
        for (const choice of choices) element.add(new Option(choice, choice));
        element.value = original;
        if (initial) {
            const match = list.find((b) => b.toLowerCase().startsWith(initial.toLowerCase()));
            if (match) element.value = match;
        }
        return element;
    }

    textEditor(value) {
        const element = document.createElement("input");
        element.type = "text";
        element.spellcheck = false;
        element.autocomplete = "off";
        element.value = value;
        return element;
    }

    // Hands the edited text to the core; the row and the totals are computed again.
    commit(keep) {
        if (!this.editing) return;
        const {row, column, element, original} = this.editing;
        this.editing = null;
        const text = element.value;
        if (keep) this.focusTable();
        element.remove();
        if (keep !== null && text !== original) {
            this.source.set(row, column, text);
            this.source.changed();
        }
        this.renderRow(row);
        this.markActive();
    }

    cancel() {
        if (!this.editing) return;
        this.editing.element.value = this.editing.original;
        this.commit(true);
    }

    editorKeys(event) {
        const key = event.key;
        const isSelect = this.editing.element.tagName === "SELECT";
        if (key === "Escape") {
            event.preventDefault();
            this.cancel();
        } else if (key === "Enter") {
            event.preventDefault();
            this.commit(true);
            this.moveDown(event.shiftKey ? -1 : 1);
        } else if (key === "Tab") {
            event.preventDefault();
            this.commit(true);
            this.step(event.shiftKey ? -1 : 1);
        } else if (!isSelect && (key === "ArrowUp" || key === "ArrowDown")) {
            event.preventDefault();
            this.commit(true);
            this.moveTo(this.active.row + (key === "ArrowUp" ? -1 : 1), this.active.column);
        }
    }

    // A move past the last row adds a row, where the source allows one.
    appendRow() {
        if (!this.source.append?.()) return;
        this.stale = true;
        this.source.changed();
    }

    // Enter: the next row; past the last one a new row is added.
    moveDown(by) {
        if (by > 0 && this.active.row + 1 >= this.size()) this.appendRow();
        this.moveTo(this.active.row + by, this.active.column);
    }

    // Tab: the next cell, on to the next row after the last input column.
    step(by) {
        let {row, column} = this.active;
        column += by;
        if (column >= this.inputs) {
            column = 0;
            ++row;
        } else if (column < 0) {
            column = this.inputs - 1;
            --row;
        }
        if (row < 0) return;
        if (row >= this.size()) this.appendRow();
        this.moveTo(row, column);
    }

    keys(event) {
        if (this.editing) {
            this.editorKeys(event);
            return;
        }
        const {row, column} = this.active;
        const page = Math.max(1, Math.floor(this.sheet.clientHeight / ROW_HEIGHT) - 2);
        const ctrl = event.ctrlKey || event.metaKey;
        const moves = {
            ArrowUp: [row - 1, column], ArrowDown: [row + 1, column], ArrowLeft: [row, this.nextShown(column, -1)],
            ArrowRight: [row, this.nextShown(column, 1)], PageUp: [row - page, column], PageDown: [row + page, column],
            Home: ctrl ? [0, 0] : [row, 0], End: ctrl ? [this.size() - 1, this.inputs - 1] : [row, this.inputs - 1],
        };
        if (moves[event.key]) {
            event.preventDefault();
            this.moveTo(...moves[event.key], event.shiftKey);
        } else if (ctrl && !event.altKey && this.blockKey(shortcutKey(event))) {
            event.preventDefault();
        } else if (event.key === "Tab") {
            event.preventDefault();
            this.step(event.shiftKey ? -1 : 1);
        } else if (event.key === "Enter" && !ctrl) {
            event.preventDefault();
            this.moveDown(event.shiftKey ? -1 : 1);
        } else if (event.key === "F2") {
            event.preventDefault();
            this.startEdit();
        } else if ((event.key === "Delete" || event.key === "Backspace") && !ctrl) {
            event.preventDefault();
            this.source.erase(this.selection());
            this.edited();
        } else if (event.key.length === 1 && !ctrl && !event.altKey) {
            event.preventDefault();
            this.startEdit(event.key);
        }
    }

    // Ctrl+A and Ctrl+D; whether the key was one of them.
    blockKey(key) {
        if (key === "a") {
            this.selectAll();
        } else if (key === "d") {
            this.source.fillDown(this.selection());
            this.edited();
        } else {
            return false;
        }
        return true;
    }

    // After a change of the selected block: its rows drawn again, one row
    // alone quickly, and the change passed on.
    edited() {
        const {row, rows} = this.selection();
        if (rows === 1) {
            this.renderRow(row);
        } else {
            this.stale = true;
            this.render();
        }
        this.source.changed();
    }

    // Whether the clipboard's events are this grid's.
    ownsClipboard() {
        return !this.editing && this.sheet.contains(document.activeElement);
    }

    // A block copied from a spreadsheet, from the selection's first cell on,
    // or one value into every cell of the selection; what it filled is selected.
    paste(event) {
        if (!this.ownsClipboard()) return;
        const text = event.clipboardData.getData("text/plain");
        if (!text) return;
        event.preventDefault();
        const filled = this.source.paste(this.selection(), text);
        if (filled.rows > 0 && filled.columns > 0) {
            this.active = {row: filled.row, column: filled.column};
            this.anchor = {row: filled.row + filled.rows - 1, column: filled.column + filled.columns - 1};
        }
        this.stale = true;
        this.source.changed();
        this.render();
    }

    // The selection as a spreadsheet copies cells; a cut clears it after.
    copy(event, cut) {
        if (!this.ownsClipboard()) return;
        event.preventDefault();
        event.clipboardData.setData("text/plain", this.source.copy(this.selection()));
        if (!cut) return;
        this.source.erase(this.selection());
        this.edited();
    }

    // The row and column of the cell under the pointer, or null.
    cellAt(event) {
        const cell = event.target.closest("td, th[scope=row]");
        const tr = cell?.closest("tbody tr");
        if (!tr || event.target === this.editing?.element) return null;
        const column = cell.cellIndex - 1;
        return {row: Number(tr.dataset.row), column: column < 0 ? this.active.column : column};
    }

    // A click selects the cell, Shift+click the block up to it; a drag selects the block it passes.
    pointer(event) {
        const at = this.cellAt(event);
        if (at === null || event.button !== 0) return;
        event.preventDefault();
        this.moveTo(at.row, at.column, event.shiftKey);
        this.dragging = true;
    }

    drag(event) {
        if (!this.dragging || (event.buttons & 1) === 0) {
            this.dragging = false;
            return;
        }
        const at = this.cellAt(event);
        if (at !== null && (at.row !== this.active.row || at.column !== this.active.column)) {
            this.moveTo(at.row, at.column, true);
        }
    }

    listen() {
        const onView = () => {
            this.measure();
            this.render();
        };
        this.sheet.addEventListener("scroll", onView, {passive: true});
        new ResizeObserver(onView).observe(this.sheet);
        this.measure();
        this.sheet.addEventListener("keydown", (event) => this.keys(event));
        this.sheet.addEventListener("mousedown", (event) => this.pointer(event));
        this.sheet.addEventListener("mousemove", (event) => this.drag(event));
        document.addEventListener("mouseup", () => {
            this.dragging = false;
        });
        this.sheet.addEventListener("dblclick", (event) => {
            if (event.target.closest("tbody td.input")) this.startEdit();
        });
        document.addEventListener("paste", (event) => this.paste(event));
        document.addEventListener("copy", (event) => this.copy(event, false));
        document.addEventListener("cut", (event) => this.copy(event, true));
    }

    // Which emission columns show: "both", "g" or "m".
    showEmissions(which) {
        this.table.classList.toggle("show-g", which !== "m");
        this.table.classList.toggle("show-m", which !== "g");
        this.fitWidth();
        this.measure();
        // An active cell in a column now hidden moves left to one shown; the focus stays where it is.
        if (this.shown[this.active.column]) return;
        this.active.column = this.nextShown(this.active.column, -1);
        this.anchor = {...this.active};
        this.reveal();
        this.markSelection();
    }

    activeRow() {
        return this.active.row;
    }

    // After rows changed wholesale: everything drawn again, the active cell kept in the table.
    refresh(row = this.active.row) {
        if (this.editing) this.commit(null);
        this.active.row = Math.max(0, Math.min(row, this.size() - 1));
        this.anchor = {...this.active};
        this.stale = true;
        this.render();
    }
}

// A grid over `elements` ({sheet: the scrolling box, table}) showing `source` (above).
export function createSheet(elements, source) {
    return new Sheet(elements, source);
}
