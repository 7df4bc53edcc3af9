// SPDX-License-Identifier: GPL-3.0-or-later
// The report window's view beside headless Chromium, for each report file
// given (and each report korvel-batch writes from a CSV file given): every
// character that is not blank must be drawn in the same family class (serif,
// sans-serif, monospace), weight, slant and size relative to the medium size,
// and sit in a framed table in both or in neither. Exits 77 (skipped) when
// Chromium is not installed.
//
//   node report_view_test.mjs build/tests/gui/report_view_runs build/batch/korvel-batch REPORT|CSV...
import {execFileSync} from "node:child_process";
import {existsSync} from "node:fs";
import {mkdtemp, readdir, rm} from "node:fs/promises";
import {tmpdir} from "node:os";
import {join} from "node:path";

const chromium = process.env.KORVEL_CHROMIUM ?? "/usr/bin/chromium";
if (!existsSync(chromium)) {
    console.log(`skipped: ${chromium} is not installed`);
    process.exit(77);
}
let launchChromium, chromiumRuns;
try {
    ({launchChromium} = await import("../../web/chromium.mjs"));
    ({chromiumRuns} = await import("./chromium_runs.mjs"));
} catch (error) {
    console.error(`puppeteer-core is missing: run (cd web && npm ci) first\n${error.message}`);
    process.exit(1);
}

const [viewRuns, batch, ...inputs] = process.argv.slice(2);
const scratch = await mkdtemp(join(tmpdir(), "korvel-view-"));
const reports = [];
for (const input of inputs) {
    if (!input.endsWith(".csv")) {
        reports.push(input);
        continue;
    }
    const folder = await mkdtemp(join(scratch, "batch-"));
    execFileSync(batch, [input, "-o", folder, "--quiet"]);
    for (const name of (await readdir(folder)).filter(n => n.endsWith(".htm"))) reports.push(join(folder, name));
}

// The class of a font family as drawn, by its name.
function familyClass(name) {
    if (/mono|courier/i.test(name)) return "monospace";
    if (/sans|arial|helvetica|verdana/i.test(name)) return "sans-serif";
    if (/serif|times/i.test(name)) return "serif";
    return name;
}

// One entry a character that is not blank: [character, "class weight slant size framed"].
function characters(runs) {
    const out = [];
    for (const {text, family, weight, italic, size, framed} of runs) {
        // Sizes in whole pixels of the 16-pixel medium size: the view draws
        // whole pixels, Chromium fractions.
        const look = `${familyClass(family)} ${weight} ${italic ? "italic" : "upright"} ${Math.round(size * 16)}/16 ` +
                     `${framed ? "framed" : "unframed"}`;
        for (const c of text.replace(/\s+/gu, "")) out.push([c, look]);
    }
    return out;
}

function viewCharacters(report) {
    const lines = execFileSync(viewRuns, [report], {encoding: "utf8", stdio: ["ignore", "pipe", "ignore"]});
    return characters(lines.trim().split("\n").map(line => {
        const [text, family, weight, italic, size, framed] = JSON.parse(line);
        return {text, family, weight, italic, size, framed};
    }));
}

// The first differences, each with the characters round it.
function differences(view, chrome) {
    const found = [];
    const length = Math.max(view.length, chrome.length);
    for (let i = 0; i < length && found.length < 5; ++i) {
        const [vc, vl] = view[i] ?? ["", "(end)"];
        const [cc, cl] = chrome[i] ?? ["", "(end)"];
        if (vc === cc && vl === cl) continue;
        const context = chrome.slice(Math.max(0, i - 15), i + 15).map(([c]) => c).join("");
        found.push(`at "${context}": view "${vc}" ${vl}, Chromium "${cc}" ${cl}`);
        if (vc !== cc) break;  // the texts part: what follows is not comparable
        while (i + 1 < length && view[i + 1]?.[1] === vl && chrome[i + 1]?.[1] === cl) ++i;
    }
    return found;
}

const {browser, close} = await launchChromium();
let failed = false;
try {
    for (const report of reports) {
        const found = differences(viewCharacters(report), characters(await chromiumRuns(browser, report)));
        console.log(`${found.length === 0 ? "same" : "DIFFERENT"}: ${report}`);
        for (const line of found) console.log(`  ${line}`);
        failed ||= found.length > 0;
    }
} finally {
    await close();
    await rm(scratch, {recursive: true, force: true});
}
process.exit(failed ? 1 : 0);
