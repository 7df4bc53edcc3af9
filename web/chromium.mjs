// SPDX-License-Identifier: GPL-3.0-or-later
// Headless Chromium for the page's tests and benchmarks: the system's
// Chromium with a fresh profile, driven through puppeteer-core.
import {mkdtemp, readFile, rm} from "node:fs/promises";
import {tmpdir} from "node:os";
import {join} from "node:path";

import axe from "axe-core";
import puppeteer from "puppeteer-core";

const EXECUTABLE = process.env.KORVEL_CHROMIUM ?? "/usr/bin/chromium";

// No background traffic: this machine reaches no network, and a test must
// not wait on one.
const FLAGS = [
    "--no-sandbox",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
];

// Resolves to {browser, close()}; close() also removes the profile. The
// profile folder is Chromium's home too: it writes crash reports and
// certificate stores under $HOME and the XDG folders whatever its profile.
export async function launchChromium() {
    const profile = await mkdtemp(join(tmpdir(), "korvel-chromium-"));
    const browser = await puppeteer.launch({
        executablePath: EXECUTABLE,
        headless: true,
        userDataDir: join(profile, "profile"),
        args: FLAGS,
        env: {
            ...process.env,
            HOME: profile,
            XDG_CONFIG_HOME: join(profile, "config"),
            XDG_CACHE_HOME: join(profile, "cache"),
            XDG_DATA_HOME: join(profile, "data"),
        },
    });
    return {
        browser,
        async close() {
            await browser.close();
            await rm(profile, {recursive: true, force: true});
        },
    };
}

// A new page whose browser language (navigator.language, Intl) is `locale`.
export async function pageWithLocale(browser, locale) {
    const page = await browser.newPage();
    const session = await page.createCDPSession();
    await session.send("Emulation.setUserAgentOverride", {userAgent: await browser.userAgent(), acceptLanguage: locale});
    await session.send("Emulation.setLocaleOverride", {locale});
    return page;
}

// What axe-core finds in the page above "minor", as "rule: elements" lines.
// Frames are left out: the report in them is the file as written.
export async function accessibilityFindings(page) {
    if (!(await page.evaluate(() => "axe" in globalThis))) await page.evaluate(axe.source);
    return page.evaluate(async () => (await globalThis.axe.run(document, {iframes: false})).violations
        .filter((v) => v.impact !== "minor").map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(", ")}`));
}

// Clicks what saves a file on `page`; resolves to the saved file's name and
// bytes, saved into `folder`. Rejects when the download does not complete.
export async function downloadFile(browser, page, selector, folder) {
    const session = await browser.target().createCDPSession();
    await session.send("Browser.setDownloadBehavior", {behavior: "allowAndName", downloadPath: folder, eventsEnabled: true});
    const started = new Promise((resolve) => session.once("Browser.downloadWillBegin", resolve));
    const finished = new Promise((resolve) => {
        session.on("Browser.downloadProgress", (e) => e.state !== "inProgress" && resolve(e));
    });
    await page.click(selector);
    const {guid, suggestedFilename} = await started;
    const {state} = await finished;
    await session.detach();
    if (state !== "completed") throw new Error(`download of ${selector}: ${state}`);
    return {name: suggestedFilename, bytes: await readFile(join(folder, guid))};
}
