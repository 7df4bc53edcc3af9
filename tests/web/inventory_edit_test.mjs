// SPDX-License-Identifier: GPL-3.0-or-later
// The inventory page edited as a spreadsheet: two tabs of one inventory,
// blocks copied, filled and pasted, and their undo. KORVEL_SITE names the built site.
import assert from "node:assert/strict";
import {writeFile} from "node:fs/promises";
import {join} from "node:path";
import {test} from "node:test";

import {servedSite} from "./served_site.mjs";

const EXAMPLE = new URL("../../examples/stations.csv", import.meta.url).pathname;

const site = servedSite("korvel-inventory-edit-", {KORVEL_SITE: "the built site"});

// Polled on a timer: a tab in the background runs no animation frames, by
// which puppeteer polls by default, and a reload there may end after the
// first look.
const ready = (page) => page.waitForFunction(() => performance.getEntriesByName("korvel-ready").length > 0,
    {polling: 50});

// A tab of the inventory page in `context`: tabs of one context share the
// browser's storage, as a user's tabs do.
async function openTab(context) {
    const page = await context.newPage();
    await page.setViewport({width: 1280, height: 800});
    await page.goto(site.url("inventory.html"));
    await ready(page);
    return page;
}

// Each test in a context of its own, so that no stored table carries over;
// the page's clipboard is the browser's, as a spreadsheet's is.
async function withContext(body) {
    const context = await site.browser.createBrowserContext();
    await context.overridePermissions(site.origin,
        ["clipboard-read", "clipboard-write", "clipboard-sanitized-write"]);
    try {
        await body(context);
    } finally {
        await context.close();
    }
}

// A tab with the example's rows imported, in a context of its own.
function withExample(body) {
    return withContext(async (context) => {
        const page = await openTab(context);
        await importFile(page, EXAMPLE);
        await body(page);
    });
}

const cell = (row, column) => `#sourcesTable tbody tr[data-row='${row}'] td.col${column}`;
const texts = (page, rows = 99) => page.$$eval("#sourcesTable tbody tr", (trs, n) =>
    trs.slice(0, n).map((tr) => [...tr.cells].slice(1).map((td) => td.textContent)), rows);
const statusLine = (page) => page.$eval("#statusLine", (e) => e.textContent);
const caption = (page, id) => page.$eval(`#${id}`, (e) => e.textContent);

// Typed into a cell as a user types: the tab brought to the front (a tab in
// the background draws no frames, and the page stores an edit after the
// frame that shows it), the cell clicked, the text typed, Enter; resolves
// once the page has stored it.
async function typeInto(page, row, column, text) {
    await page.bringToFront();
    const stored = await page.evaluate(() => performance.getEntriesByName("korvel-saved").length);
    await page.click(cell(row, column));
    await page.keyboard.type(text);
    await page.keyboard.press("Enter");
    await page.waitForFunction((n) => performance.getEntriesByName("korvel-saved").length > n, {}, stored);
}

// Loads a file; `choice` answers the question of a table that has rows.
async function importFile(page, path, choice) {
    const marks = await page.evaluate(() => performance.getEntriesByName("korvel-imported").length);
    await (await page.$("#importSources")).uploadFile(path);
    if (choice) {
        await page.waitForSelector("#messageBox[open]");
        await page.$$eval("#messageBox button", (buttons, wanted) =>
            buttons.find((b) => b.textContent === wanted).click(), choice);
    }
    await page.waitForFunction((n) => performance.getEntriesByName("korvel-imported").length > n, {}, marks);
}

// A shortcut as a user presses it; Ctrl+C, Ctrl+X and Ctrl+V also run the
// browser's command, which a key sent to a page does not run by itself.
async function shortcut(page, key, modifier = "Control") {
    const commands = {KeyC: ["copy"], KeyX: ["cut"], KeyV: ["paste"]}[key] ?? [];
    await page.keyboard.down(modifier);
    await page.keyboard.press(key, {commands});
    await page.keyboard.up(modifier);
}

const clipboard = (page) => page.evaluate(() => navigator.clipboard.readText());
const toClipboard = (page, text) => page.evaluate((text) => navigator.clipboard.writeText(text), text);

async function drag(page, from, to) {
    const centre = async (selector) => {
        const box = await (await page.$(selector)).boundingBox();
        return [box.x + box.width / 2, box.y + box.height / 2];
    };
    await page.mouse.move(...await centre(from));
    await page.mouse.down();
    await page.mouse.move(...await centre(to), {steps: 4});
    await page.mouse.up();
}

async function shiftClick(page, selector) {
    await page.keyboard.down("Shift");
    await page.click(selector);
    await page.keyboard.up("Shift");
}

test("two tabs of one inventory keep each other's edits", async () => {
    await withContext(async (context) => {
        const b = await openTab(context);  // opened first, then left in the background
        const a = await openTab(context);
        await typeInto(a, 0, 0, "Post A");
        await b.waitForFunction(() => document.querySelector("#sourcesTable td.col0").textContent === "Post A", {polling: 50});
        await typeInto(b, 0, 3, "250");
        await a.reload();
        await ready(a);
        const [row] = await texts(a, 1);
        assert.deepEqual([row[0], row[3]], ["Post A", "250"]);

        // One cell typed in each tab: the later text wins in both, and the
        // earlier one is the undo of the change from the other tab.
        await typeInto(a, 1, 0, "earlier");
        await b.waitForFunction(() => document.querySelector("#sourcesTable tr[data-row='1'] td.col0")?.textContent === "earlier", {polling: 50});
        await typeInto(b, 1, 0, "later");
        await a.waitForFunction(() => document.querySelector("#sourcesTable tr[data-row='1'] td.col0").textContent === "later", {polling: 50});
        assert.match(await statusLine(a), /Таблицу изменили в другом окне/);
        assert.equal(await caption(a, "undo"), "Отменить: изменения из другого окна");
        await a.bringToFront();
        await a.click("#undo");
        assert.equal((await texts(a, 2))[1][0], "earlier");
    });
});

test("a block copies as a spreadsheet copies it, pastes back the same, and its paste is undone and redone", async () => {
    await withExample(async (page) => {
        // A name with a quote and a line break, from a spreadsheet's clipboard.
        await page.click(cell(2, 0));
        await toClipboard(page, "\"Цех \"\"Б\"\"\nпролет 2\"\r\n");
        await shortcut(page, "KeyV");
        // Rows 2 and 3, from the source's name to the consumption: Shift+arrows, then Shift+click.
        await page.click(cell(1, 0));
        await shortcut(page, "ArrowDown", "Shift");
        await shiftClick(page, cell(2, 3));
        await shortcut(page, "KeyC");
        const block = await clipboard(page);
        assert.equal(block, "\"Пост 2 \"\"Ремзона\"\"; цех 1\"\t\tУОНИ 13/45\t330\r\n" +
                            "\"Цех \"\"Б\"\"\nпролет 2\"\t\tАНО - 4\t120.5\r\n");
        // Dragged over the computed columns too, up to the status: their texts as shown.
        await drag(page, cell(1, 0), cell(2, 10));
        await shortcut(page, "KeyC");
        const before = await texts(page);
        assert.equal((await clipboard(page)).split("\r\n")[0].split("\t")[10], before[1][10]);

        await page.click(cell(4, 0));
        await toClipboard(page, block);
        await shortcut(page, "KeyV");
        const pasted = await texts(page);
        assert.deepEqual(pasted.slice(4, 6).map((r) => r.slice(0, 4)), before.slice(1, 3).map((r) => r.slice(0, 4)));
        assert.equal(await caption(page, "undo"), "Отменить: вставка 2 строк");
        await shortcut(page, "KeyZ");
        assert.deepEqual(await texts(page), before);
        await shortcut(page, "KeyY");
        assert.deepEqual(await texts(page), pasted);
    });
});

test("one value pasted fills the selection, Ctrl+D fills down, Delete clears; each undone", async () => {
    await withExample(async (page) => {
        const before = await texts(page);
        const column = (rows, c) => rows.map((r) => r[c]);
        // Consumption and hours of rows 1 to 3.
        await page.click(cell(0, 3));
        await shortcut(page, "ArrowDown", "Shift");
        await shortcut(page, "ArrowDown", "Shift");
        await shortcut(page, "ArrowRight", "Shift");
        await toClipboard(page, "7\r\n");
        await shortcut(page, "KeyV");
        const filled = await texts(page);
        assert.deepEqual([column(filled, 3), column(filled, 4)],
                         [["7", "7", "7", "200", "45"], ["7", "7", "7", "1", ""]]);
        assert.equal(await caption(page, "undo"), "Отменить: заполнение 6 ячеек");
        // The brand of row 1 down to row 4.
        await page.click(cell(0, 2));
        await shiftClick(page, cell(3, 2));
        await shortcut(page, "KeyD");
        assert.deepEqual(column(await texts(page), 2), ["УОНИ 13/45", "УОНИ 13/45", "УОНИ 13/45", "УОНИ 13/45", "Т - 590"]);
        await page.keyboard.press("Delete");
        assert.deepEqual(column(await texts(page), 2), ["", "", "", "", "Т - 590"]);
        for (const brands of [Array(4).fill("УОНИ 13/45"), column(filled, 2).slice(0, 4)]) {
            await shortcut(page, "KeyZ");
            assert.deepEqual(column(await texts(page), 2).slice(0, 4), brands);
        }
        await shortcut(page, "KeyZ");
        assert.deepEqual(await texts(page), before);
    });
});

test("an import that replaced the rows is undone and redone", async () => {
    await withExample(async (page) => {
        const example = await texts(page);
        const other = join(site.scratch, "other.csv");
        await writeFile(other, "source;brand;consumption;hours;minutes;days\nЦех 9;УОНИ 13/45;10;1;0;20\n");
        await importFile(page, other, "Заменить");
        const replaced = await texts(page);
        assert.deepEqual(replaced.map((r) => r[0]), ["Цех 9"]);
        assert.equal(await caption(page, "undo"), "Отменить: открытие файла «other.csv»");
        await page.click("#undo");
        assert.deepEqual(await texts(page), example);
        assert.equal(await caption(page, "redo"), "Повторить: открытие файла «other.csv»");
        await page.click("#redo");
        assert.deepEqual(await texts(page), replaced);
    });
});
