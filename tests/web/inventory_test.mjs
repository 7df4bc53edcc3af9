// SPDX-License-Identifier: GPL-3.0-or-later
// The inventory page against korvel-batch: the same files from the same
// rows. KORVEL_SITE names the built site, KORVEL_BATCH the korvel-batch program.
import assert from "node:assert/strict";
import {execFileSync} from "node:child_process";
import {mkdtemp, readdir, readFile, rm, writeFile} from "node:fs/promises";
import {tmpdir} from "node:os";
import {join} from "node:path";
import {after, before, test} from "node:test";
import {inflateRawSync} from "node:zlib";

import {downloadFile, launchChromium, pageWithLocale} from "../../web/chromium.mjs";
import {serveFolder} from "../../web/serve.mjs";

const SITE = process.env.KORVEL_SITE;
const BATCH = process.env.KORVEL_BATCH;
const EXAMPLE = new URL("../../examples/stations.csv", import.meta.url).pathname;

let chromium, server, scratch;

before(async () => {
    assert.ok(SITE && BATCH, "KORVEL_SITE and KORVEL_BATCH must name the site and korvel-batch");
    server = await serveFolder(SITE);
    chromium = await launchChromium();
    scratch = await mkdtemp(join(tmpdir(), "korvel-inventory-"));
});

after(async () => {
    await chromium?.close();
    server?.close();
    if (scratch) await rm(scratch, {recursive: true, force: true});
});

// A few hundred rows of what engineers type, odd ones included: quotes,
// delimiters and line breaks in names, formula-like names, a brand not in
// the list, no brand, per-year rows, too many days, text where numbers go,
// blank lines.
function generatedStations() {
    const brands = ["УОНИ 13/45", "АНО - 4", "МР - 3", "Т - 590", "", "ОЗС-9"];
    const names = ["Пост", "Цех \"Сварка\"; №2", "=1+2", "Участок,\nремзона", " пробел "];
    let seed = 17;
    const next = (n) => (seed = (seed * 1103515245 + 12345) % 2147483648) % n;
    const quote = (text) => (/[;"\n]|^ | $/.test(text) ? `"${text.replaceAll('"', '""')}"` : text);
    const lines = ["source;brand;consumption;hours;minutes;days;hours_per_year"];
    for (let i = 1; i <= 300; ++i) {
        if (next(40) === 0) {
            lines.push(";;;;;;");
            continue;
        }
        const name = `${names[next(names.length)]} ${i}`;
        const consumption = [`${next(900)}.${next(100)}`, `${next(500)}`, "абв", "-5"][next(4)];
        const perYear = next(4) === 0;
        const days = [`${next(366)}`, "400", "0", "-3"][next(10) < 7 ? 0 : next(3) + 1];
        lines.push([quote(name), brands[next(brands.length)], consumption, perYear ? "" : `${next(9)}`,
                    perYear ? "" : `${next(60)}`, perYear ? "" : days,
                    perYear ? [`${next(3000)},${next(10)}`, `${next(3000)}.5`, " 1200 ", "x"][next(4)] : ""].join(";"));
    }
    return lines.join("\r\n") + "\r\n";
}

async function openInventory(locale = "ru-RU") {
    const page = await pageWithLocale(chromium.browser, locale);
    await page.goto(`http://127.0.0.1:${server.address().port}/inventory.html`);
    await page.waitForFunction(() => performance.getEntriesByName("korvel-ready").length > 0);
    return page;
}

// How often the page has stored its table; resolves once it has stored it after `count` times.
const saves = (page) => page.evaluate(() => performance.getEntriesByName("korvel-saved").length);
const saved = (page, count) => page.waitForFunction((n) => performance.getEntriesByName("korvel-saved").length > n, {}, count);

// Loads a file into an empty table (storage cleared first).
async function importInto(page, path, separator) {
    await page.evaluate(() => localStorage.clear());
    await page.reload();
    await page.waitForFunction(() => performance.getEntriesByName("korvel-ready").length > 0);
    await page.select("#decimalSeparator", separator);
    const input = await page.$("#importSources");
    await input.uploadFile(path);
    await page.waitForFunction(() => performance.getEntriesByName("korvel-imported").length > 0 ||
                                     document.getElementById("messageBox").open);
}

function runBatch(input, separator, output) {
    try {
        execFileSync(BATCH, [input, "-o", output, "--decimal-separator", separator, "--quiet"], {stdio: "pipe"});
    } catch (error) {
        if (error.status !== 1) throw error;  // 1: some rows failed, as expected
    }
}

// name → bytes of every member of a ZIP archive.
function unzip(bytes) {
    const members = new Map();
    const end = bytes.lastIndexOf(Buffer.from([0x50, 0x4b, 0x05, 0x06]));
    let at = bytes.readUInt32LE(end + 16);
    for (let n = bytes.readUInt16LE(end + 10); n > 0; --n) {
        const method = bytes.readUInt16LE(at + 10), size = bytes.readUInt32LE(at + 20);
        const nameLength = bytes.readUInt16LE(at + 28), extra = bytes.readUInt16LE(at + 30);
        const comment = bytes.readUInt16LE(at + 32), local = bytes.readUInt32LE(at + 42);
        const name = bytes.subarray(at + 46, at + 46 + nameLength).toString();
        const data = local + 30 + bytes.readUInt16LE(local + 26) + bytes.readUInt16LE(local + 28);
        const packed = bytes.subarray(data, data + size);
        members.set(name, method === 0 ? packed : inflateRawSync(packed));
        at += 46 + nameLength + extra + comment;
    }
    return members;
}

test("files from imported rows equal korvel-batch's, in both separators", async () => {
    const generated = join(scratch, "generated.csv");
    await writeFile(generated, generatedStations());
    const page = await openInventory();
    for (const input of [EXAMPLE, generated]) {
        for (const separator of [",", "."]) {
            const what = `${input} with ${separator}`;
            const batch = join(scratch, `batch${separator}`);
            runBatch(input, separator, batch);
            await importInto(page, input, separator);
            const save = (selector) => downloadFile(chromium.browser, page, selector, scratch);
            const summary = await save("#downloadSummaryCsv");
            assert.equal(summary.name, "summary.csv");
            assert.ok(summary.bytes.equals(await readFile(join(batch, "summary.csv"))), `summary of ${what}`);

            // The table written back is read by korvel-batch to the same summary.
            const sources = await save("#downloadSources");
            const again = join(scratch, "again");
            await writeFile(join(scratch, "sources.csv"), sources.bytes);
            runBatch(join(scratch, "sources.csv"), separator, again);
            assert.ok((await readFile(join(again, "summary.csv"))).equals(summary.bytes), `sources of ${what}`);

            if (input === generated && separator === ",") {
                const zip = unzip((await save("#downloadReportsZip")).bytes);
                const reports = (await readdir(batch)).filter((name) => name.endsWith(".htm")).sort();
                assert.deepEqual([...zip.keys()].sort(), reports);
                for (const name of reports) assert.ok(zip.get(name).equals(await readFile(join(batch, name))), name);
            }
            await rm(batch, {recursive: true});
            await rm(again, {recursive: true});
        }
    }
    await page.close();
});

test("the summary workbook holds texts as texts and numbers as numbers", async () => {
    const page = await openInventory();
    await importInto(page, EXAMPLE, ",");
    const book = unzip((await downloadFile(chromium.browser, page, "#downloadSummaryXlsx", scratch)).bytes);
    const sheet = book.get("xl/worksheets/sheet1.xml").toString();
    // Texts inline (the writer keeps no string table for long sheets), numbers as values.
    const cell = (ref) => {
        const match = sheet.match(new RegExp(`<c r="${ref}"([^>]*)>(?:<v>([^<]*)</v>|<is><t[^>]*>([^<]*)</t></is>)`));
        assert.ok(match, ref);
        return match[1].includes('t="inlineStr"') ? {text: match[3]} : {number: Number(match[2])};
    };
    assert.deepEqual(cell("A2"), {number: 1});
    assert.deepEqual(cell("B2"), {text: "Сварочный пост №1"});
    assert.deepEqual(cell("D2"), {text: "ok"});
    assert.deepEqual(cell("E2"), {number: 0.9});
    assert.deepEqual(cell("E5"), {text: "Ошибка в исх. данных"});
    assert.deepEqual(cell("G2"), {number: 0.000184});
    assert.deepEqual(cell("A7"), {text: "итого"});
    assert.ok(cell("H7").number > 0);
    await page.close();
});

test("a block pasted from a spreadsheet lands from the focused cell on, and the table survives a reload", async () => {
    const page = await openInventory();
    await importInto(page, EXAMPLE, ",");
    await page.click("#sourcesTable tbody tr[data-row='3'] td.col3");
    const savesBefore = await saves(page);
    // Two rows of three cells from the consumption column on, the second into the last row.
    await page.evaluate(() => {
        const data = new DataTransfer();
        data.setData("text/plain", "10\t1\t30\r\n\"2\"\"0\"\t2\t0\r\n");
        document.activeElement.dispatchEvent(new ClipboardEvent("paste", {clipboardData: data, bubbles: true}));
    });
    const cells = (page) => page.$$eval("#sourcesTable tbody tr", (rows) =>
        rows.map((tr) => [...tr.cells].slice(1, 9).map((td) => td.textContent)));
    const pasted = await cells(page);
    assert.deepEqual(pasted[3], ["Пост 4", "", "МР - 3", "10", "1", "30", "400", ""]);
    assert.deepEqual(pasted[4], ["Пост 5 (наплавка)", "", "Т - 590", "2\"0", "2", "0", "", "1250"]);
    assert.equal(pasted.length, 5);
    await saved(page, savesBefore);
    await page.reload();
    await page.waitForFunction(() => performance.getEntriesByName("korvel-ready").length > 0);
    assert.deepEqual(await cells(page), pasted);
    assert.equal(await page.$eval("#decimalSeparator", (e) => e.value), ",");
    await page.close();
});

test("a number read only in part is marked, says what was read and is counted", async () => {
    const page = await openInventory();
    await importInto(page, EXAMPLE, ",");
    await page.click("#sourcesTable tbody tr[data-row='0'] td.col3");
    await page.keyboard.type("200,5");
    await page.keyboard.press("Enter");
    const cell = await page.$eval("#sourcesTable tbody tr[data-row='0'] td.col3",
        (td) => ({title: td.title, marked: td.classList.contains("partly")}));
    assert.deepEqual(cell, {title: "прочитано как 200", marked: true});
    assert.match(await page.$eval("#statusLine", (e) => e.textContent), /чисел прочитано не целиком: 1\./);
    await page.close();
});

test("an import error names the file line and the column", async () => {
    const page = await openInventory();
    const bad = join(scratch, "bad.csv");
    await writeFile(bad, "source;brand;consumption;hours;minutes;days\nA;\"УОНИ 13/45;1;1;1;1\n");
    await importInto(page, bad, ",");
    const text = await page.$eval("#messageText", (e) => e.textContent);
    assert.match(text, /^bad\.csv, строка файла 2, столбец 2 \(brand\): кавычка/);
    await page.close();
});
