// SPDX-License-Identifier: GPL-3.0-or-later
// The inventory page against korvel-batch: the same files from the same
// rows. KORVEL_SITE names the built site, KORVEL_BATCH the korvel-batch program.
import assert from "node:assert/strict";
import {execFileSync} from "node:child_process";
import {readdir, readFile, rm, writeFile} from "node:fs/promises";
import {join} from "node:path";
import {test} from "node:test";
import {inflateRawSync} from "node:zlib";

import {downloadFile, pageWithLocale} from "../../web/chromium.mjs";
import {servedSite} from "./served_site.mjs";

const BATCH = process.env.KORVEL_BATCH;
const EXAMPLE = new URL("../../examples/stations.csv", import.meta.url).pathname;

const site = servedSite("korvel-inventory-", {KORVEL_SITE: "the built site", KORVEL_BATCH: "korvel-batch"});

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
    const page = await pageWithLocale(site.browser, locale);
    await page.goto(site.url("inventory.html"));
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

function runBatch(input, separator, output, ...more) {
    try {
        execFileSync(BATCH, [input, "-o", output, "--decimal-separator", separator, "--quiet", ...more], {stdio: "pipe"});
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
    const generated = join(site.scratch, "generated.csv");
    await writeFile(generated, generatedStations());
    const page = await openInventory();
    for (const input of [EXAMPLE, generated]) {
        for (const separator of [",", "."]) {
            const what = `${input} with ${separator}`;
            const batch = join(site.scratch, `batch${separator}`);
            runBatch(input, separator, batch);
            await importInto(page, input, separator);
            const save = (selector) => downloadFile(site.browser, page, selector, site.scratch);
            const summary = await save("#downloadSummaryCsv");
            assert.equal(summary.name, "summary.csv");
            assert.ok(summary.bytes.equals(await readFile(join(batch, "summary.csv"))), `summary of ${what}`);

            // The table written back is read by korvel-batch to the same summary.
            const sources = await save("#downloadSources");
            const again = join(site.scratch, "again");
            await writeFile(join(site.scratch, "sources.csv"), sources.bytes);
            runBatch(join(site.scratch, "sources.csv"), separator, again);
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
    const book = unzip((await downloadFile(site.browser, page, "#downloadSummaryXlsx", site.scratch)).bytes);
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
    const bad = join(site.scratch, "bad.csv");
    await writeFile(bad, "source;brand;consumption;hours;minutes;days\nA;\"УОНИ 13/45;1;1;1;1\n");
    await importInto(page, bad, ",");
    const text = await page.$eval("#messageText", (e) => e.textContent);
    assert.match(text, /^bad\.csv, строка файла 2, столбец 2 \(brand\): кавычка/);
    await page.close();
});

// A line of posts with `text` as its second field; the source, the first, may be quoted.
function afterSource(line, text) {
    const end = line.startsWith('"') ? line.match(/^"(?:[^"]|"")*"/)[0].length : line.indexOf(";");
    return `${line.slice(0, end)};${text}${line.slice(end)}`;
}

// The example's posts, each named with a source of pollution (one failed,
// one of none), and parameters for them and for a number no post uses.
function examplePollutionSources(example) {
    const numbers = ["pollution_source", "0001", "1", "6001", "0001", ""];
    const posts = example.trimEnd().split(/\r?\n/).map((line, i) => afterSource(line, numbers[i]));
    const codes = ["0143", "0123", "2908", "0344", "0203", "0342", "0301", "0337"];
    const parameters = [`pollution_source;name;simultaneous;${codes.map((c) => `cleaning_${c}`).join(";")}`,
        "0001;\"Труба \"\"сварка\"\"; цех 1\";1;37,5;37.5;100;;;;;0", "6001;Площадка;;;;;;;;;", "0002;Резерв;;;;;;;;;"];
    return {posts: posts.join("\r\n") + "\r\n", parameters: parameters.join("\r\n") + "\r\n"};
}

// A few hundred posts in a few dozen sources of pollution ("7" and "0007"
// being one; "A1" fails its row; some of none), with odd texts, and
// parameters for most of the sources: N within their posts, η typed either way.
function generatedPollutionSources() {
    // No generated field spans lines ("\n" alone stays inside its field).
    const rows = generatedStations().trimEnd().split("\r\n");
    let seed = 29;
    const next = (n) => (seed = (seed * 1103515245 + 12345) % 2147483648) % n;
    const posts = new Map();
    const numbers = rows.slice(1).map((line, i) => {
        if (/^;+$/.test(line)) return "";
        const n = next(40);
        if (n >= 36) return ["", "A1", ""][n - 36] ?? "";
        const number = n < 24 ? n + 1 : 6001 + n - 24;
        posts.set(number, (posts.get(number) ?? 0) + 1);
        return i % 7 === 0 ? String(number) : String(number).padStart(4, "0");
    });
    const withNumbers = rows.map((line, i) => afterSource(line, i === 0 ? "pollution_source" : numbers[i - 1]));
    const codes = ["0143", "0123", "2908", "0344", "0203", "0342", "0301", "0337"];
    const parameters = [`pollution_source;name;simultaneous;${codes.map((c) => `cleaning_${c}`).join(";")}`];
    for (const [number, count] of [...posts].sort((a, b) => a[0] - b[0])) {
        if (next(4) === 0) continue;
        const eta = codes.map(() => ["", "0", "37,5", "37.5", "100", "12.25", "99,99"][next(7)]);
        parameters.push([String(number).padStart(4, "0"), next(3) === 0 ? "" : `ИЗА ${number}`,
            next(2) === 0 ? "" : `${1 + next(count)}`, ...eta].join(";"));
    }
    parameters.push(`0999;Не используется;;${codes.map(() => "").join(";")}`);
    return {posts: withNumbers.join("\r\n") + "\r\n", parameters: parameters.join("\r\n") + "\r\n"};
}

// Rows of a CSV file (RFC 4180), its byte-order mark dropped.
function csvRows(bytes, delimiter) {
    const text = bytes.toString().replace(/^\uFEFF/, "");
    const rows = [];
    let row = [], field = "", quoted = false;
    for (let i = 0; i < text.length; ++i) {
        const c = text[i];
        if (quoted) {
            if (c === '"' && text[i + 1] === '"') field += text[++i];
            else if (c === '"') quoted = false;
            else field += c;
        } else if (c === '"') {
            quoted = true;
        } else if (c === delimiter) {
            row.push(field);
            field = "";
        } else if (c === "\r" && text[i + 1] === "\n") {
            rows.push([...row, field]);
            row = [];
            field = "";
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

// The cells of a sheet's XML: rows by their number, each an array by column
// of {text} (inline strings, as the writer keeps them), {number} or undefined.
function sheetCells(xml) {
    const entities = {amp: "&", lt: "<", gt: ">", quot: '"', apos: "'"};
    const rows = new Map();
    for (const [, ref, attributes, content] of xml.matchAll(/<c r="([A-Z]+[0-9]+)"([^>]*?)(?:\/>|>(.*?)<\/c>)/g)) {
        const [, letters, number] = ref.match(/([A-Z]+)([0-9]+)/);
        const column = [...letters].reduce((n, l) => n * 26 + l.charCodeAt(0) - 64, 0) - 1;
        const cells = rows.get(Number(number)) ?? [];
        rows.set(Number(number), cells);
        if (attributes.includes('t="inlineStr"')) {
            cells[column] = {text: content.match(/<t[^>]*>(.*)<\/t>/s)[1].replace(/&(\w+);/g, (_, e) => entities[e])};
        } else if (content?.includes("<v>")) {
            cells[column] = {number: Number(content.match(/<v>(.*)<\/v>/)[1])};
        }
    }
    return rows;
}

// The page's table of sources of pollution for these files: its CSV, the
// summary workbook and the whole inventory's workbook.
async function pagePollutionSources(page, posts, parameters, separator) {
    await importInto(page, posts, separator);
    await page.$("#importSources").then((input) => input.uploadFile(parameters));
    await page.waitForFunction(() => performance.getEntriesByName("korvel-imported").length > 1 ||
                                     document.getElementById("messageBox").open);
    assert.equal(await page.$eval("#messageBox", (box) => box.open ? box.textContent : ""), "");
    const save = (selector) => downloadFile(site.browser, page, selector, site.scratch);
    return {csv: await save("#downloadPollutionSourcesCsv"), summary: await save("#downloadSummaryXlsx"),
        inventory: await save("#downloadInventoryXlsx")};
}

const TEXT_COLUMNS = ["pollution_source", "name", "status", "code", "substance"];

// The workbook's second sheet holds the table of the CSV, typed: codes and
// names as texts, counts and amounts as numbers; the rules above its header.
// Gives the table's cells.
function assertTypedSheet(book, csv, separator, what) {
    const table = csvRows(csv, separator === "," ? ";" : ",");
    const rows = [...sheetCells(unzip(book).get("xl/worksheets/sheet2.xml").toString())].sort((a, b) => a[0] - b[0]);
    const header = rows.findIndex(([, cells]) => cells[0]?.text === "pollution_source");
    assert.ok(header > 0, `rules above the header of ${what}`);
    const sheet = rows.slice(header).map(([, cells]) => cells);
    assert.equal(sheet.length, table.length, what);
    table.forEach((fields, r) => fields.forEach((field, c) => {
        const cell = sheet[r][c], where = `${what}, row ${r + 1}, ${table[0][c]}`;
        if (field === "") assert.equal(cell, undefined, where);
        else if (r === 0 || TEXT_COLUMNS.includes(table[0][c])) assert.deepEqual(cell, {text: field.replace(/^'/, "")}, where);
        // The cell holds the value, the CSV its 15 digits.
        else assert.equal(Number(cell?.number?.toPrecision(15)), Number(field.replace(",", ".")), where);
    }));
    return sheet;
}

test("pollution_sources.csv equals korvel-batch's and the summary workbook holds it typed, in both separators", async () => {
    const cases = [["example", examplePollutionSources((await readFile(EXAMPLE)).toString())],
                   ["generated", generatedPollutionSources()]];
    const page = await openInventory();
    for (const [name, files] of cases) {
        const posts = join(site.scratch, `${name}.csv`), parameters = join(site.scratch, `${name}-iza.csv`);
        await writeFile(posts, files.posts);
        await writeFile(parameters, files.parameters);
        for (const separator of [",", "."]) {
            const what = `${name} with ${separator}`, batch = join(site.scratch, "batch");
            runBatch(posts, separator, batch, "--summary-only", "--pollution-sources", parameters);
            runBatch(posts, separator, batch, "--summary-only", "--pollution-sources", parameters, "--summary-format", "xlsx");
            const ours = await pagePollutionSources(page, posts, parameters, separator);
            const theirs = await readFile(join(batch, "pollution_sources.csv"));
            assert.equal(ours.csv.name, "pollution_sources.csv");
            assert.ok(ours.csv.bytes.equals(theirs), `pollution_sources.csv of ${what}`);
            assert.deepEqual(assertTypedSheet(ours.summary.bytes, theirs, separator, `the page's workbook of ${what}`),
                assertTypedSheet(await readFile(join(batch, "summary.xlsx")), theirs, separator, `the batch's of ${what}`));
            await rm(batch, {recursive: true});
        }
    }
    await page.close();
});

// Every member of two workbooks but their time of writing.
function assertSameWorkbook(ours, theirs, what) {
    const [a, b] = [unzip(ours), unzip(theirs)];
    assert.deepEqual([...a.keys()].sort(), [...b.keys()].sort(), what);
    for (const [name, bytes] of a) {
        if (name !== "docProps/core.xml") assert.ok(bytes.equals(b.get(name)), `${name} of ${what}`);
    }
}

test("the whole inventory's workbook goes from the page through korvel-batch back to the page as it was", async () => {
    const files = generatedPollutionSources();
    const posts = join(site.scratch, "round.csv"), parameters = join(site.scratch, "round-iza.csv");
    await writeFile(posts, files.posts);
    await writeFile(parameters, files.parameters);
    const page = await openInventory();
    const first = await pagePollutionSources(page, posts, parameters, ",");
    assert.equal(first.inventory.name, "Предприятие.xlsx");
    const book = join(site.scratch, "Предприятие.xlsx"), batch = join(site.scratch, "round");
    await writeFile(book, first.inventory.bytes);
    runBatch(book, ",", batch, "--summary-only");
    assert.ok((await readFile(join(batch, "pollution_sources.csv"))).equals(first.csv.bytes), "the batch's table");
    await importInto(page, book, ",");
    assert.equal(await page.$eval("#undo", (b) => b.textContent), "Отменить: открытие файла «Предприятие.xlsx»");
    const again = await downloadFile(site.browser, page, "#downloadInventoryXlsx", site.scratch);
    assertSameWorkbook(again.bytes, first.inventory.bytes, "the workbook opened again");
    const csv = await downloadFile(site.browser, page, "#downloadPollutionSourcesCsv", site.scratch);
    assert.ok(csv.bytes.equals(first.csv.bytes), "the table of sources opened again");
    await rm(batch, {recursive: true});
    await page.close();
});

