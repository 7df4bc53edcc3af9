// SPDX-License-Identifier: GPL-3.0-or-later
// The inventory page's speed in headless Chromium: an edited cell's row and
// totals drawn again with 1,000 rows (median and worst of 50 edits, from the
// key that ends the edit to the end of the next frame); a 10,000-row CSV
// imported, computed and shown (from choosing the file to the first frame
// after); memory (JavaScript heap and the core's) as rows grow.
//
//   node bench/web/inventory.mjs [site folder]
import {mkdtemp, rm, writeFile} from "node:fs/promises";
import {tmpdir} from "node:os";
import {join} from "node:path";

import {launchChromium} from "../../web/chromium.mjs";
import {serveFolder} from "../../web/serve.mjs";

const site = process.argv[2] ?? "build-web/site";

function stations(count) {
    const lines = ["source;brand;consumption;hours;minutes;days;hours_per_year"];
    for (let i = 1; i <= count; ++i) {
        lines.push(i % 4 === 0 ? `Пост ${i};Т - 590;${45 + i % 100};;;;${1000 + i % 500}`
                               : `Сварочный пост №${i};УОНИ 13/45;${300 + i % 50}.5;${i % 8};${i % 60};${200 + i % 160};`);
    }
    return lines.join("\r\n") + "\r\n";
}

const folder = await mkdtemp(join(tmpdir(), "korvel-bench-"));
const server = await serveFolder(site);
const chromium = await launchChromium();
const url = `http://127.0.0.1:${server.address().port}/inventory.html`;

async function freshPage() {
    const page = await chromium.browser.newPage();
    await page.setViewport({width: 1280, height: 800});
    await page.goto(url);
    await page.evaluate(() => localStorage.clear());
    await page.reload();
    await page.waitForFunction(() => performance.getEntriesByName("korvel-ready").length > 0);
    return page;
}

// Resolves when the file's rows are shown: the import's mark, then a frame.
async function importRows(page, count) {
    const path = join(folder, `stations-${count}.csv`);
    await writeFile(path, stations(count));
    await page.evaluate(() => {
        performance.clearMarks("korvel-imported");
        window.importDrawn = new Promise((resolve) => {
            new PerformanceObserver((list, observer) => {
                if (list.getEntriesByName("korvel-imported").length === 0) return;
                observer.disconnect();
                requestAnimationFrame(() => setTimeout(() => resolve(performance.now()), 0));
            }).observe({entryTypes: ["mark"]});
        });
    });
    const input = await page.$("#importSources");
    const started = await page.evaluate(() => performance.now());
    await input.uploadFile(path);
    // A table that has rows asks first: replaced.
    await page.waitForFunction(() => document.getElementById("messageBox").open ||
                                     performance.getEntriesByName("korvel-imported").length > 0);
    if (await page.$eval("#messageBox", (box) => box.open)) await page.click("#messageOk");
    const drawn = await page.evaluate(() => window.importDrawn);
    return drawn - started;
}

async function memory(page) {
    const session = await page.createCDPSession();
    await session.send("HeapProfiler.collectGarbage");
    const {usedSize} = await session.send("Runtime.getHeapUsage");
    await session.detach();
    return usedSize;
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const mb = (bytes) => `${(bytes / 1048576).toFixed(1)} MB`;

try {
    let page = await freshPage();
    await importRows(page, 1000);
    // Edits of the consumption cell of rows in view: type, then Enter; the
    // time from Enter to the end of the frame that shows the new row and totals.
    const latencies = [];
    for (let i = 0; i < 50; ++i) {
        await page.click(`#sourcesTable tbody tr:nth-child(${2 + (i % 10)}) td.col2`);
        await page.keyboard.type(`${100 + i}`);
        const ms = await page.evaluate(() => new Promise((resolve) => {
            const editor = document.querySelector("#sourcesTable .editor");
            const start = performance.now();
            editor.dispatchEvent(new KeyboardEvent("keydown", {key: "Enter", bubbles: true, cancelable: true}));
            requestAnimationFrame(() => setTimeout(() => resolve(performance.now() - start), 0));
        }));
        latencies.push(ms);
    }
    console.log(`edit at 1,000 rows: median ${median(latencies).toFixed(1)} ms, worst ${Math.max(...latencies).toFixed(1)} ms` +
                "; target: one frame, 16 ms");
    await page.close();

    const imports = [];
    for (let i = 0; i < 3; ++i) {
        page = await freshPage();
        imports.push(await importRows(page, 10000));
        await page.close();
    }
    console.log(`import of 10,000 rows: median ${median(imports).toFixed(0)} ms, worst ${Math.max(...imports).toFixed(0)} ms` +
                "; target: 1,000 ms");

    const sizes = [];
    for (const count of [1, 1000, 5000, 10000, 20000]) {
        page = await freshPage();
        await importRows(page, count);
        const [drawn, core] = await page.evaluate(() =>
            [document.querySelectorAll("#sourcesTable tbody tr").length, korvelCoreMemory()]);
        sizes.push(`${count} rows: JS heap ${mb(await memory(page))}, core ${mb(core)}, rows in the document ${drawn}`);
        await page.close();
    }
    console.log(`memory:\n  ${sizes.join("\n  ")}`);
} finally {
    await chromium.close();
    server.close();
    await rm(folder, {recursive: true, force: true});
}
