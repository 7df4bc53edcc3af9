// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the page next to a blank page, in headless Chromium from
// localhost: the time from navigation to the mark "korvel-ready" (form built,
// focus in Text7, core loaded, brand list filled), each load in a new tab with
// the cache off, as a first visit; the page and the blank page take turns.
// Once at full speed, once with the processor slowed 4×, as on an old office
// computer. Target: the median at most 2.5 times the blank page's, both ways.
// Also the bytes a static host sends for a visit, compressed, and those of
// the one-file page.
//
//   node bench/web/startup.mjs [site folder] [loads] [one-file page]
import {mkdtemp, readdir, readFile, rm, writeFile} from "node:fs/promises";
import {tmpdir} from "node:os";
import {join} from "node:path";
import {brotliCompressSync, constants, gzipSync} from "node:zlib";

import {launchChromium} from "../../web/chromium.mjs";
import {serveFolder} from "../../web/serve.mjs";

const site = process.argv[2] ?? "build-web/site";
const loads = Number(process.argv[3] ?? 30);
const single = process.argv[4] ?? join(site, "..", "korvel.html");
const TARGET = 2.5;

// The same mark, written as early as a page can: the blank page's only work.
const BLANK = "<!DOCTYPE html><title>blank</title><script>performance.mark('korvel-ready')</script>";

async function readyAfter(browser, url, throttle) {
    const page = await browser.newPage();
    await page.setCacheEnabled(false);
    if (throttle !== 1) await page.emulateCPUThrottling(throttle);
    await page.goto(url);
    await page.waitForFunction(() => performance.getEntriesByName("korvel-ready").length > 0);
    const ms = await page.evaluate(() => performance.getEntriesByName("korvel-ready")[0].startTime);
    await page.close();
    return ms;
}

function summary(values) {
    const sorted = [...values].sort((a, b) => a - b);
    const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
    return {median: at(0.5), p90: at(0.9), max: sorted[sorted.length - 1]};
}

function compressed(bytes) {
    return {
        raw: bytes.length,
        gzip: gzipSync(bytes, {level: 9}).length,
        brotli: brotliCompressSync(bytes, {params: {[constants.BROTLI_PARAM_QUALITY]: 11}}).length,
    };
}

// The files a visit over http loads, and the whole folder (which adds the
// module as a script for pages opened from disk).
async function sizes(visited) {
    const total = (files) => files.reduce((sum, file) => {
        for (const key of Object.keys(sum)) sum[key] += file[key];
        return sum;
    }, {raw: 0, gzip: 0, brotli: 0});
    const files = new Map();
    for (const name of await readdir(site)) files.set(name, compressed(await readFile(join(site, name))));
    return {
        visit: total([...files].filter(([name]) => visited.has(name)).map(([, size]) => size)),
        folder: total([...files.values()]),
        single: await readFile(single).then(compressed, () => null),
    };
}

const blankFolder = await mkdtemp(join(tmpdir(), "korvel-blank-"));
await writeFile(join(blankFolder, "index.html"), BLANK);
const pageServer = await serveFolder(site);
const blankServer = await serveFolder(blankFolder);
const chromium = await launchChromium();
try {
    const pageUrl = `http://127.0.0.1:${pageServer.address().port}/`;
    const blankUrl = `http://127.0.0.1:${blankServer.address().port}/`;
    const visited = new Set();
    const first = await chromium.browser.newPage();
    first.on("requestfinished", (request) => visited.add(new URL(request.url()).pathname.slice(1) || "index.html"));
    await first.goto(pageUrl);  // the browser's own first start is not the page's
    await first.waitForFunction(() => performance.getEntriesByName("korvel-ready").length > 0);
    await first.close();
    const ms = (v) => `${v.toFixed(1)} ms`;
    console.log(`loads: ${loads} each, a new tab with the cache off for each, page and blank page in turn`);
    for (const throttle of [1, 4]) {
        const page = [], blank = [];
        for (let i = 0; i < loads; ++i) {  // side by side, so that both see the same machine load
            blank.push(await readyAfter(chromium.browser, blankUrl, throttle));
            page.push(await readyAfter(chromium.browser, pageUrl, throttle));
        }
        const p = summary(page), b = summary(blank);
        const ratio = p.median / b.median;
        console.log(`processor ${throttle === 1 ? "at full speed" : `slowed ${throttle}×`}:`);
        console.log(`  blank page:  median ${ms(b.median)}, p90 ${ms(b.p90)}, max ${ms(b.max)}`);
        console.log(`  korvel page: median ${ms(p.median)}, p90 ${ms(p.p90)}, max ${ms(p.max)}`);
        console.log(`  ratio of medians: ${ratio.toFixed(2)} (target at most ${TARGET}: ${ratio <= TARGET ? "met" : "NOT met"})`);
    }
    const size = await sizes(visited);
    const line = (s) => `${s.raw} bytes, ${s.gzip} gzip -9, ${s.brotli} brotli 11`;
    console.log(`a visit (${[...visited].sort().join(", ")}): ${line(size.visit)}`);
    console.log(`the site folder: ${line(size.folder)}`);
    if (size.single !== null) console.log(`the one-file page: ${line(size.single)}`);
} finally {
    await chromium.close();
    pageServer.close();
    blankServer.close();
    await rm(blankFolder, {recursive: true, force: true});
}
