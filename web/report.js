// SPDX-License-Identifier: GPL-3.0-or-later
// The report: the file a run writes (offered as korvel.htm, byte for byte the
// core's) and the report window, which shows the last clean run's report.
"use strict";

const KorvelReport = (() => {
    let fileUrl = null;   // the report file: the last report any run wrote
    let shownCsv = null;  // the totals of the report on show

    // Written by every run that completes its arithmetic, shown or not.
    function writeFile(bytes) {
        const link = document.getElementById("downloadReport");
        if (fileUrl !== null) URL.revokeObjectURL(fileUrl);
        fileUrl = URL.createObjectURL(new Blob([bytes], {type: "text/html"}));
        link.href = fileUrl;
        link.removeAttribute("aria-disabled");
    }

    // The copy the window shows: the file's text, with a policy that lets it
    // load nothing, and every link sent to a tab of its own. The file itself
    // stays as written.
    function displayCopy(bytes) {
        const html = new TextDecoder("windows-1251").decode(bytes);
        const doc = new DOMParser().parseFromString(html, "text/html");
        const policy = doc.createElement("meta");
        policy.httpEquiv = "Content-Security-Policy";
        policy.content = "default-src 'none'; style-src 'unsafe-inline'";
        const base = doc.createElement("base");
        base.target = "_blank";
        doc.head.prepend(policy, base);
        // The mail link too: a sandboxed frame may not hand a link to the
        // mail program itself, a tab of its own may.
        for (const link of doc.querySelectorAll("a[href]")) link.target = "_blank";
        return doc.documentElement.outerHTML;
    }

    // The closing step of a clean run: open the window if it is closed, bring
    // it forward, load the new report.
    function show(bytes, totalsCsv) {
        const window2 = document.getElementById("Form2");
        window2.hidden = false;
        document.getElementById("WebBrowser1").srcdoc = displayCopy(bytes);
        shownCsv = totalsCsv;
        window2.scrollIntoView({block: "nearest"});
    }

    function close() {
        document.getElementById("Form2").hidden = true;
        document.getElementById("WebBrowser1").removeAttribute("srcdoc");
        shownCsv = null;
    }

    function attach() {
        document.getElementById("closeReport").addEventListener("click", close);
        document.getElementById("printReport").addEventListener("click", () =>
            document.getElementById("WebBrowser1").contentWindow.print());
        document.getElementById("exportTotals").addEventListener("click", () => {
            if (shownCsv !== null) KorvelDialogs.save(shownCsv, "text/csv", "korvel.csv");
        });
        // Nothing to download until a run has written the report.
        document.getElementById("downloadReport")?.addEventListener("click", (event) => {
            if (fileUrl === null) event.preventDefault();
        });
    }

    return {attach, writeFile, show};
})();
