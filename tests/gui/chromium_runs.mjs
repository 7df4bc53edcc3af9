// SPDX-License-Identifier: GPL-3.0-or-later
// The report as headless Chromium shows it, run by run: for
// report_view_test.mjs, which sets the report view beside it, and
// write_golden_runs.mjs, which keeps the golden reports' runs for the
// report view's unit test.
import {readFile} from "node:fs/promises";

// The text runs of a report file as Chromium shows it: its text nodes in
// document order, each with its computed weight, slant and size (relative to
// the 16-pixel medium size), the family Chromium drew it in, and whether a
// framed table holds it.
export async function chromiumRuns(browser, report) {
    const bytes = await readFile(report);
    const page = await browser.newPage();
    await page.setRequestInterception(true);
    page.on("request", request => request.url() === "http://report.test/"
        ? request.respond({status: 200, headers: {"Content-Type": "text/html; charset=windows-1251"}, body: bytes})
        : request.abort());
    await page.goto("http://report.test/");
    const styles = await page.evaluate(() => {
        const out = [];
        const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
        for (let node = walker.nextNode(); node; node = walker.nextNode()) {
            const range = document.createRange();
            range.selectNodeContents(node);
            if (!node.data.trim() || range.getClientRects().length === 0) continue;
            const style = getComputedStyle(node.parentElement);
            const table = node.parentElement.closest("table");
            const edge = table && getComputedStyle(table);
            out.push({
                text: node.data,
                weight: Number(style.fontWeight),
                italic: style.fontStyle === "italic",
                size: parseFloat(style.fontSize) / 16,
                framed: Boolean(edge && !["none", "hidden"].includes(edge.borderTopStyle) &&
                                parseFloat(edge.borderTopWidth) > 0),
            });
        }
        return out;
    });
    // The family drawn: the platform font that drew most of each text node.
    const session = await page.createCDPSession();
    await session.send("DOM.enable");
    await session.send("CSS.enable");
    const {root} = await session.send("DOM.getDocument", {depth: -1});
    const texts = [];
    (function walk(node) {
        if (node.nodeName === "HEAD") return;
        if (node.nodeType === 3 && node.nodeValue.trim()) texts.push(node.nodeId);
        for (const child of node.children ?? []) walk(child);
    })(root);
    const drawn = [];
    for (const nodeId of texts) {
        const {fonts} = await session.send("CSS.getPlatformFontsForNode", {nodeId});
        if (fonts.length > 0) drawn.push(fonts.reduce((a, b) => (b.glyphCount > a.glyphCount ? b : a)).familyName);
    }
    await page.close();
    if (drawn.length !== styles.length) throw new Error(`${drawn.length} drawn text nodes, ${styles.length} styled`);
    return styles.map((style, i) => ({...style, family: drawn[i]}));
}
