// SPDX-License-Identifier: GPL-3.0-or-later
// The report: the file a run writes (offered as korvel.htm, byte for byte the
// core's) and the report window, which shows the last clean run's report.
// The inventory page shows its rows' reports in the same window.
import {save} from "./save.js";

let fileUrl = null;   // the report file: the last report any run wrote
let shownCsv = null;  // the totals of the report on show

// Written by every run that completes its arithmetic, shown or not.
export function writeFile(bytes) {
    const link = document.getElementById("downloadReport");
    if (fileUrl !== null) URL.revokeObjectURL(fileUrl);
    fileUrl = URL.createObjectURL(new Blob([bytes], {type: "text/html"}));
    link.href = fileUrl;
    link.removeAttribute("aria-disabled");
}

// Before the report in the copy the window shows: a policy that lets it load
// nothing, and a tab of its own for every link. The browser parses the copy
// as it parses the file, into a document of the frame's own: written, not a
// srcdoc, which is never in quirks mode, while the file (no doctype) is and
// its tables' type depends on it. The file itself stays as written.
const DISPLAY_HEAD = "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">" +
    "<base target=\"_blank\">";

// The report's frame: shown without scripts, links open in a tab of their
// own. Made with the first report, as a frame costs the page's start as
// much as the rest of its document.
function reportFrame() {
    let frame = document.getElementById("WebBrowser1");
    if (frame === null) {
        frame = document.createElement("iframe");
        frame.id = "WebBrowser1";
        frame.title = "Отчет";
        frame.sandbox = "allow-same-origin allow-modals allow-popups allow-popups-to-escape-sandbox";
        frame.addEventListener("load", loaded);
        document.getElementById("Form2Client").append(frame);
    }
    return frame;
}

// A report is one piece; a long one (markup typed into the source name) goes
// in pieces with a pause between them, so that the page answers while the
// browser parses it. A newer copy stops an older one still being written.
const PIECE = 16384;
let copies = 0;

async function showCopy(html) {
    const copy = ++copies;
    const doc = reportFrame().contentDocument;
    doc.open();
    for (let at = 0; at < html.length; at += PIECE) {
        if (at > 0) {
            await new Promise((resolve) => setTimeout(resolve));
            if (copy !== copies) return;
        }
        doc.write(html.slice(at, at + PIECE));
    }
    doc.close();
}

// The closing step of a clean run: open the window if it is closed, bring
// it forward, load the new report.
export function show(bytes, totalsCsv) {
    const window2 = document.getElementById("Form2");
    window2.hidden = false;
    showCopy(DISPLAY_HEAD + new TextDecoder("windows-1251").decode(bytes));
    shownCsv = totalsCsv;
    window2.scrollIntoView({block: "nearest"});
}

function close() {
    document.getElementById("Form2").hidden = true;
    showCopy("");
    shownCsv = null;
}

// Links that name a target of their own go to a tab of their own too (the
// mail link as well: a sandboxed frame may not hand it to the mail program,
// a tab may). The report prints at its whole length: the page's print
// styles give the frame the height of its document.
function loaded() {
    const frame = document.getElementById("WebBrowser1");
    const doc = frame.contentDocument;
    if (doc === null) return;
    for (const link of doc.querySelectorAll("a[href]")) link.target = "_blank";
    frame.style.setProperty("--report-height", `${doc.documentElement.scrollHeight}px`);
}

export function attach() {
    document.getElementById("closeReport").addEventListener("click", close);
    document.getElementById("printReport").addEventListener("click", () =>
        document.getElementById("WebBrowser1").contentWindow.print());
    document.getElementById("exportTotals").addEventListener("click", () => {
        if (shownCsv !== null) save(shownCsv, "text/csv", "korvel.csv");
    });
    // Nothing to download until a run has written the report.
    document.getElementById("downloadReport")?.addEventListener("click", (event) => {
        if (fileUrl === null) event.preventDefault();
    });
}

