// SPDX-License-Identifier: GPL-3.0-or-later
// What each page test file has before its tests and gives back after them:
// the built site (KORVEL_SITE) served, Chromium, and a scratch folder.
import assert from "node:assert/strict";
import {mkdtemp, rm} from "node:fs/promises";
import {tmpdir} from "node:os";
import {join} from "node:path";
import {after, before} from "node:test";

import {launchChromium} from "../../web/chromium.mjs";
import {serveFolder} from "../../web/serve.mjs";

// `needs`: the environment's variables the file reads, each with what it must name.
// {browser, scratch, origin, url(path)}, set once the tests start.
export function servedSite(scratchPrefix, needs) {
    let chromium, server;
    const site = {
        get origin() {
            return `http://127.0.0.1:${server.address().port}`;
        },
        url: (path = "") => `${site.origin}/${path}`,
    };
    before(async () => {
        for (const [variable, what] of Object.entries(needs)) {
            assert.ok(process.env[variable], `${variable} must name ${what}`);
        }
        server = await serveFolder(process.env.KORVEL_SITE);
        chromium = await launchChromium();
        site.browser = chromium.browser;
        site.scratch = await mkdtemp(join(tmpdir(), scratchPrefix));
    });
    after(async () => {
        await chromium?.close();
        server?.close();
        if (site.scratch) await rm(site.scratch, {recursive: true, force: true});
    });
    return site;
}
