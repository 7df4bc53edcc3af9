// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the golden reports' text runs as headless Chromium shows them into
// tests/htmlview/golden_runs/, one file a report, for the report view's unit
// test, which sets the styled tree beside them without Chromium. Run by hand
// (not by ctest) when the golden reports or the browser's rendering change,
// on a machine with the fonts the test names (fonts-liberation2,
// fonts-dejavu-core):
//
//   node tests/gui/write_golden_runs.mjs
import {readdir, writeFile} from "node:fs/promises";
import {basename, dirname, join} from "node:path";
import {fileURLToPath} from "node:url";

import {launchChromium} from "../../web/chromium.mjs";
import {chromiumRuns} from "./chromium_runs.mjs";

const tests = join(dirname(fileURLToPath(import.meta.url)), "..");
const reports = join(tests, "report", "golden");
const target = join(tests, "htmlview", "golden_runs");

const {browser, close} = await launchChromium();
try {
    const version = await browser.version();
    for (const name of (await readdir(reports)).filter(n => n.endsWith(".htm")).sort()) {
        const lines = [`# ${name} as ${version} shows it: size in pixels, weight, slant, framed, family, text`];
        for (const {text, family, weight, italic, size, framed} of await chromiumRuns(browser, join(reports, name))) {
            const px = Math.round(size * 16 * 1000) / 1000;
            lines.push([px, weight, italic ? "italic" : "upright", framed ? "framed" : "unframed", family,
                        text.replace(/\s+/gu, " ").trim()].join("\t"));
        }
        const file = join(target, `${basename(name, ".htm")}.tsv`);
        await writeFile(file, lines.join("\n") + "\n");
        console.log(`${file}: ${lines.length - 1} runs`);
    }
} finally {
    await close();
}
