// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the page next to a blank page, in headless Chromium from
// localhost: the time from navigation to the mark "korvel-ready" (form built,
// focus in Text7, core loaded, brand list filled), each load in a new tab with
// the cache off, as a first visit. Also the bytes a static host sends,
// compressed.
//
//   node bench/web/startup.mjs [site folder] [loads]
import {mkdtemp, readdir, readFile, rm, writeFile} from "node:fs/promises";
import {tmpdir} from "node:os";
import {join} from "node:path";
import {brotliCompressSync, constants, gzipSync} from "node:zlib";

import {launchChromium} from "../../web/chromium.mjs";
import {serveFolder} from "../../web/serve.mjs";

const site = process.argv[2] ?? "build-web/site";
const loads = Number(process.argv[3] ?? 30);

// The same mark, written as early as a page can: the blank page's only work.
const BLANK = "<!DOCTYPE html><title>blank</title><script>performance.mark('korvel-ready')</script>";

async function readyAfter(browser, url) {
    const page = await browser.newPage();
    await page.setCacheEnabled(false);
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

async function transferSizes() {
    let raw = 0, gzip = 0, brotli = 0;
    for (const name of await readdir(site)) {
        const bytes = await readFile(join(site, name));
        raw += bytes.length;
        gzip += gzipSync(bytes, {level: 9}).length;
        brotli += brotliCompressSync(bytes, {params: {[constants.BROTLI_PARAM_QUALITY]: 11}}).length;
    }
    return {raw, gzip, brotli};
}

const blankFolder = await mkdtemp(join(tmpdir(), "korvel-blank-"));
await writeFile(join(blankFolder, "index.html"), BLANK);
const pageServer = await serveFolder(site);
const blankServer = await serveFolder(blankFolder);
const chromium = await launchChromium();
try {
    const pageUrl = `http://127.0.0.1:${pageServer.address().port}/`;
    const blankUrl = `http://127.0.0.1:${blankServer.address().port}/`;
    await readyAfter(chromium.browser, pageUrl);  // the browser's own first start is not the page's
    const page = [], blank = [];
    for (let i = 0; i < loads; ++i) {  // side by side, so that both see the same machine load
        blank.push(await readyAfter(chromium.browser, blankUrl));
        page.push(await readyAfter(chromium.browser, pageUrl));
    }
    const p = summary(page), b = summary(blank);
    const ms = (v) => `${v.toFixed(1)} ms`;
    console.log(`loads: ${loads} each, a new tab with the cache off for each`);
    console.log(`blank page:  median ${ms(b.median)}, p90 ${ms(b.p90)}, max ${ms(b.max)}`);
    console.log(`korvel page: median ${ms(p.median)}, p90 ${ms(p.p90)}, max ${ms(p.max)}`);
    console.log(`ratio of medians: ${(p.median / b.median).toFixed(2)}; target: usable within 300 ms`);
    const size = await transferSizes();
    console.log(`site: ${size.raw} bytes, ${size.gzip} gzip -9, ${size.brotli} brotli 11; target: 300 KB compressed`);
} finally {
    await chromium.close();
    pageServer.close();
    blankServer.close();
    await rm(blankFolder, {recursive: true, force: true});
}
