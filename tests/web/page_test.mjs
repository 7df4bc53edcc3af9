// SPDX-License-Identifier: GPL-3.0-or-later
// The page end to end in headless Chromium, driven by the control names the
// window uses. KORVEL_SITE names the built site folder.
import assert from "node:assert/strict";
import {readFile} from "node:fs/promises";
import {join} from "node:path";
import {test} from "node:test";
import {pathToFileURL} from "node:url";

import {accessibilityFindings, downloadFile, pageWithLocale} from "../../web/chromium.mjs";
import {servedSite} from "./served_site.mjs";

const SITE = process.env.KORVEL_SITE;
const SINGLE = process.env.KORVEL_SINGLE;
const GOLDEN = new URL("../report/golden/", import.meta.url);
const FAILED = "Ошибка в исх. данных";

const site = servedSite("korvel-downloads-",
    {KORVEL_SITE: "the built site folder", KORVEL_SINGLE: "the one-file page"});

// from: "http", "file" (the site's index.html) or "single" (the one-file page, from disk).
async function openPage(locale, from = "http", viewport = {width: 1366, height: 768}) {
    const page = await pageWithLocale(site.browser, locale);
    await page.setViewport(viewport);
    const address = {
        http: site.url(),
        file: pathToFileURL(join(SITE, "index.html")).href,
        single: pathToFileURL(SINGLE).href,
    }[from];
    await page.goto(address);
    await page.waitForFunction(() => performance.getEntriesByName("korvel-ready").length > 0);
    return page;
}

const value = (page, id) => page.$eval(`#${id}`, (e) => e.value);
const shown = (page, id) => page.$eval(`#${id}`, (e) => !e.hidden);

// Replaces what a field holds, as a user would: focus selects it all.
async function type(page, id, text) {
    await page.focus(`#${id}`);
    await page.keyboard.press("Backspace");
    if (text !== "") await page.keyboard.type(text);
}

// The open box's caption, text and kind; closed with its OK button.
async function closeBox(page) {
    const box = await page.waitForSelector("#messageBox[open]");
    const seen = await box.evaluate((b) => ({
        caption: b.querySelector(".caption").textContent,
        text: b.querySelector("#messageText").textContent,
        buttons: [...b.querySelectorAll("button")].map((button) => button.textContent),
        error: b.classList.contains("error"),
    }));
    await page.click("#messageOk");
    // The run goes on: up to its next box, or to its end.
    await page.waitForFunction(() =>
        document.getElementById("messageBox").open || !("running" in document.getElementById("Form1").dataset));
    assert.equal(seen.caption, "korvel");
    assert.deepEqual(seen.buttons, ["OK"]);
    return seen;
}

const noBoxOpen = (page) => page.$eval("#messageBox", (b) => !b.open);

// Clicks what saves a file and returns the saved file's name and bytes.
const download = (page, selector = "#downloadReport") => downloadFile(site.browser, page, selector, site.scratch);

const shownReport = (page) => page.$eval("#WebBrowser1", (frame) => frame.contentDocument?.body?.textContent ?? "");

// A click on Command1 of a run that shows its report, once the report has
// loaded (the frame comes with the first report).
async function runToReport(page) {
    const loaded = page.evaluate(() => new Promise((resolve) => {
        const seen = (event) => {
            if (event.target.id !== "WebBrowser1" || !event.target.contentDocument?.title) return;
            document.removeEventListener("load", seen, true);
            resolve();
        };
        document.addEventListener("load", seen, true);
    }));
    await page.click("#Command1");
    await loaded;
}

test("the worked example gives the golden report in both separators and modes", async () => {
    const cases = [
        {golden: "worked_daily_comma.htm", locale: "ru-RU", separator: ",", perYear: false, text5: "0,9", text6: "4500"},
        {golden: "worked_daily_stop.htm", locale: "en-US", separator: ".", perYear: false, text5: "0.9", text6: "4500"},
        {golden: "worked_per_year_comma.htm", locale: "ru", separator: ",", perYear: true, text5: "330", text6: "1807200"},
        // Opened from disk, as from a file share: the site's page and the one-file page.
        {golden: "worked_per_year_stop.htm", locale: "en-GB", separator: ".", perYear: true, text5: "330", text6: "1807200",
         from: "file"},
        {golden: "worked_daily_comma.htm", locale: "ru-RU", separator: ",", perYear: false, text5: "0,9", text6: "4500",
         from: "single"},
    ];
    for (const c of cases) {
        const page = await openPage(c.locale, c.from);
        // Set from the browser's language once the form is up.
        await page.waitForFunction((separator) => document.getElementById("decimalSeparator").value === separator,
                                   {timeout: 5000}, c.separator);
        await page.select("#Combo1", "УОНИ 13/45");
        if (c.perYear) await page.click("#Check1");
        await runToReport(page);
        assert.ok(await noBoxOpen(page), c.golden);
        assert.ok(await shown(page, "Form2"), c.golden);
        assert.match(await shownReport(page), /Источник выброса {2}- {2}__________/);
        // Laid out as a browser lays out the file, which has no doctype.
        assert.equal(await page.$eval("#WebBrowser1", (frame) => frame.contentDocument.compatMode), "BackCompat");
        assert.deepEqual([await value(page, "Text5"), await value(page, "Text6")], [c.text5, c.text6]);
        const file = await download(page);
        assert.equal(file.name, "korvel.htm");
        assert.ok(file.bytes.equals(await readFile(new URL(c.golden, GOLDEN))), `${c.golden} differs`);
        if (c === cases[0]) {
            const totals = await download(page, "#exportTotals");
            assert.equal(totals.name, "korvel.csv");
            const firstRow = new RegExp("^\uFEFFИсточник выброса;__________\r\nМарка электрода;УОНИ 13/45\r\n" +
                                        "Код вещества;.*\r\n0143;Марганец и его соединения;0,000184;0,0003036\r\n");
            assert.match(totals.bytes.toString(), firstRow);
        }
        await page.close();
    }
});

test("validation messages come in boxes, and a failed run writes its report but leaves the shown one", async () => {
    const page = await openPage("ru-RU");
    await page.click("#Command1");
    assert.equal((await closeBox(page)).text, "Марка электрода не выбрана !!!");
    assert.deepEqual([await value(page, "Text5"), await value(page, "Text6")], [FAILED, FAILED]);
    assert.ok(!(await shown(page, "Form2")));

    await page.select("#Combo1", "УОНИ 13/45");
    await runToReport(page);
    assert.match(await shownReport(page), /Участок работает 365 дн\. в год/);
    await type(page, "Text4", "400");
    await page.click("#Command1");
    const box = await closeBox(page);
    assert.deepEqual([box.text, box.error], ["Слишком много рабочих дней в году !!!", false]);
    assert.deepEqual([await value(page, "Text5"), await value(page, "Text6")], [FAILED, FAILED]);
    assert.match(await shownReport(page), /Участок работает 365 дн\. в год/);
    const written = new TextDecoder("windows-1251").decode((await download(page)).bytes);
    assert.match(written, /Участок работает 400 дн\. в год/);
    await page.close();
});

test("an error box stops the run and the page keeps every typed value", async () => {
    const page = await openPage("ru-RU");
    const typed = {Text7: "Пост <7>", Text1: "120,5", Text2: "2", Text3: "30", Text4: "250"};
    for (const [id, text] of Object.entries(typed)) await type(page, id, text);
    await page.click("#Check1");
    await type(page, "Text8", "");
    await page.click("#Command1");
    // No message box first, although no brand is picked.
    const box = await closeBox(page);
    assert.deepEqual([box.text, box.error], ["Ошибка 13: Несоответствие типа", true]);
    assert.ok(await page.$eval("#Check1", (c) => c.checked));
    for (const [id, text] of Object.entries({...typed, Text8: "", Combo1: ""})) assert.equal(await value(page, id), text, id);
    assert.deepEqual([await value(page, "Text5"), await value(page, "Text6")], ["Не рассчитано", "Не рассчитано"]);
    assert.equal(await page.$eval("#downloadReport", (a) => a.hasAttribute("href")), false);
    await page.close();
});

test("Tab walks the window's focus cycle in both modes; Enter and Escape press nothing", async () => {
    const page = await openPage("ru-RU");
    const cycle = async (steps) => {
        const seen = [await page.evaluate(() => document.activeElement.id)];
        for (let i = 1; i < steps; ++i) {
            await page.keyboard.press("Tab");
            seen.push(await page.evaluate(() => document.activeElement.id));
        }
        return seen;
    };
    assert.deepEqual(await page.evaluate(() => [document.activeElement.id, getSelection().toString()]),
                     ["Text7", "__________"]);
    assert.deepEqual(await cycle(8), ["Text7", "Combo1", "Text1", "Text2", "Text3", "Text4", "Command1", "Check1"]);
    await page.keyboard.press("Space");
    assert.ok(await shown(page, "Text8"));
    await page.focus("#Text7");
    assert.deepEqual(await cycle(6), ["Text7", "Combo1", "Text1", "Command1", "Check1", "Text8"]);

    // Tabbing into a field selects it, so typing replaces it.
    await page.keyboard.down("Shift");
    await page.keyboard.press("Tab");
    await page.keyboard.press("Tab");
    await page.keyboard.press("Tab");
    await page.keyboard.up("Shift");
    await page.keyboard.type("500");
    assert.equal(await value(page, "Text1"), "500");
    for (const id of ["Text1", "Command1"]) {
        await page.focus(`#${id}`);
        await page.keyboard.press("Enter");
        await page.keyboard.press("Escape");
    }
    assert.ok(await noBoxOpen(page));
    assert.equal(await value(page, "Text5"), "Не рассчитано");
    await page.close();
});

test("the shown report runs nothing, loads nothing and opens its links in a new tab", async () => {
    const page = await openPage("ru-RU");
    const loaded = [];
    page.on("requestfinished", (request) => loaded.push(request.url()));
    const probe = site.url("probe.png");
    await type(page, "Text7", `<img src="${probe}"><script>parent.document.title = "ran"</script>`);
    await page.select("#Combo1", "УОНИ 13/45");
    await runToReport(page);
    // The report's own site link names target="_self".
    const links = await page.$eval("#WebBrowser1", (frame) =>
        [...frame.contentDocument.querySelectorAll("a[href]")].map((a) => a.target));
    assert.deepEqual(links, ["_blank", "_blank"]);
    assert.ok(await page.$eval("#WebBrowser1", (frame) => frame.contentDocument.querySelector("img") !== null));
    assert.notEqual(await page.title(), "ran");
    assert.deepEqual(loaded.filter((url) => url.includes("probe")), []);
    await page.close();
});

test("every caption fits its box", async () => {
    const page = await openPage("ru-RU");
    const overflowing = await page.$$eval(".label, .centredLabel, .framedLabel, .button", (controls) =>
        controls.filter((c) => c.scrollWidth > c.clientWidth || c.scrollHeight > c.clientHeight).map((c) => c.id));
    assert.deepEqual(overflowing, []);
    await page.close();
});

// Document coordinates of every control of the input window.
const places = (page) => page.$$eval("#Form1 .control", (controls) => controls.filter((c) => !c.hidden).map((c) => {
    const box = c.getBoundingClientRect();
    return `${c.id} ${box.x + scrollX} ${box.y + scrollY}`;
}));

test("the input window never moves when the report opens, is refilled or closes, at any width", async () => {
    for (const viewport of [{width: 1920, height: 1080}, {width: 1280, height: 800}, {width: 800, height: 600},
                            {width: 375, height: 667}]) {
        const page = await openPage("ru-RU", "http", viewport);
        const start = await places(page);
        await page.select("#Combo1", "УОНИ 13/45");
        await runToReport(page);
        assert.deepEqual(await places(page), start, `opened, ${viewport.width} px`);
        await runToReport(page);
        assert.deepEqual(await places(page), start, `refilled, ${viewport.width} px`);
        await page.click("#closeReport");
        assert.deepEqual(await places(page), start, `closed, ${viewport.width} px`);
        await page.close();
    }
});

test("on a 375×667 screen every control of both windows can be scrolled to and hit", async () => {
    const page = await openPage("ru-RU", "http", {width: 375, height: 667});
    await page.select("#Combo1", "УОНИ 13/45");
    await runToReport(page);
    const missed = () => page.$$eval("#Form1 :is(input, select, button, a), #Form2 button", (controls) =>
        controls.filter((c) => c.checkVisibility()).filter((c) => {
            c.scrollIntoView({block: "center", inline: "center"});
            const box = c.getBoundingClientRect();
            const hit = document.elementFromPoint(box.x + box.width / 2, box.y + box.height / 2);
            return hit === null || !c.contains(hit);
        }).map((c) => c.id));
    assert.deepEqual(await missed(), []);
    await page.click("#Check1");
    assert.deepEqual(await missed(), []);
    await page.close();
});

test("the browser's own print gives the shown report alone, as many pages as the report itself", async () => {
    const pages = async (page) => Buffer.from(await page.pdf({format: "A4"})).toString("latin1").match(/\/Type\s*\/Page\b/g).length;
    const page = await openPage("ru-RU");
    assert.equal(await pages(page), 1);
    await page.select("#Combo1", "УОНИ 13/45");
    await runToReport(page);
    const alone = await site.browser.newPage();
    const golden = await readFile(new URL("worked_daily_comma.htm", GOLDEN));
    await alone.setContent(new TextDecoder("windows-1251").decode(golden));
    const reportPages = await pages(alone);
    assert.ok(reportPages > 1);
    assert.equal(await pages(page), reportPages);
    await alone.close();
    await page.close();
});

test("accessibility: axe finds nothing above minor; every field has a name of its own; without scripts the page says so", async () => {
    const page = await openPage("ru-RU");
    const findings = () => accessibilityFindings(page);
    assert.deepEqual(await findings(), [], "the form");
    await page.select("#Combo1", "УОНИ 13/45");
    await runToReport(page);
    assert.deepEqual(await findings(), [], "the report panel");
    await type(page, "Text4", "400");
    await page.click("#Command1");
    await page.waitForSelector("#messageBox[open]");
    assert.deepEqual(await findings(), [], "a message box");
    await closeBox(page);

    const named = [];
    const walk = (node) => {
        if (["textbox", "combobox", "checkbox"].includes(node.role)) named.push(node.name);
        for (const child of node.children ?? []) walk(child);
    };
    walk(await page.accessibility.snapshot({interestingOnly: false}));
    assert.ok(named.length >= 9 && named.every((name) => name !== ""), named.join(" | "));
    assert.equal(new Set(named).size, named.length, named.join(" | "));
    await page.close();

    const noScripts = await site.browser.newPage();
    await noScripts.setJavaScriptEnabled(false);
    await noScripts.goto(site.url());
    const text = await noScripts.$eval("#Form1", (form) => form.innerText);
    assert.match(text, /нужен JavaScript/);
    assert.doesNotMatch(text, /Загрузка/);
    await noScripts.close();
});
