// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the site's files from web/, for CMake:
//
//   node build-page.mjs module NAME.wasm SITE
//     NAME.wasm into SITE, and NAME.wasm.js: the same bytes as a script, for
//     pages opened from disk, where a browser fetches nothing.
//   node build-page.mjs page web/NAME.html SITE --icon PNG [--module NAME=GLUE.js]... [--part ID=PART.html]...
//                       [--single FILE] [--esbuild PROGRAM]
//     NAME.html into SITE with its script and style sheet inside: the module
//     web/NAME.js and all it imports, a module's glue by its name, bundled
//     into one classic script (pages opened from disk run no ES modules), and
//     web/NAME.css with its imports; its content security policy names them
//     by their hashes. --part puts PART.html into the empty element ID and
//     PART.css after the style sheet. --single also writes FILE: the same page in one file,
//     its icon and modules inside it too, loading nothing, without the links
//     marked data-site-only. A line "<!-- include FILE.html -->" takes in
//     the markup of web/FILE.html, which the pages share.
//
// The output depends only on the input: a package built twice is the same.
import {execFile} from "node:child_process";
import {createHash} from "node:crypto";
import {mkdir, readFile, writeFile} from "node:fs/promises";
import {basename, dirname, join} from "node:path";
import {parseArgs, promisify} from "node:util";

const BANNER = "/* korvel, GPL-3.0-or-later; the WebAssembly glue is Emscripten's (MIT) */";

function fail(message) {
    console.error(`build-page: ${message}`);
    process.exit(1);
}

function wasmScript(name, bytes) {
    return `(self.korvelWasm ??= {})[${JSON.stringify(name)}] = "${bytes.toString("base64")}";\n`;
}

async function buildModule(wasm, site) {
    const name = basename(wasm, ".wasm");
    const bytes = await readFile(wasm);
    await mkdir(site, {recursive: true});
    await writeFile(join(site, `${name}.wasm`), bytes);
    await writeFile(join(site, `${name}.wasm.js`), wasmScript(name, bytes));
}

// One bundle of ENTRY on the command line of Debian's esbuild (0.17, which
// has no library for Node), its imports of a module's glue by the module's
// name (`import createModule from "NAME"`) resolved through aliases.
async function bundle(esbuild, entry, modules) {
    const script = entry.endsWith(".js");
    const args = [entry, "--bundle", "--minify", "--target=chrome100,firefox100,safari15", "--legal-comments=none",
                  "--charset=utf8", "--log-level=warning",
                  ...(script ? ["--format=iife", `--banner:js=${BANNER}`] : []),
                  ...[...modules].map(([name, glue]) => `--alias:${name}=${glue}`)];
    try {
        const {stdout, stderr} = await promisify(execFile)(esbuild, args, {maxBuffer: 64 << 20});
        process.stderr.write(stderr);
        return stdout;
    } catch (error) {
        fail(`${esbuild} could not bundle ${entry}:\n${error.stderr ?? error.message}`);
    }
}

const sha256 = (text) => `'sha256-${createHash("sha256").update(text, "utf8").digest("base64")}'`;

// The page's policy with the hashes of its inline scripts and styles in place
// of 'self'; the site's page keeps 'self' where it loads files (the module as
// a script from disk, the .wasm, the icon), the one-file page loads none.
function inlinePolicy(policy, script, style, keepSelf) {
    const inline = {"script-src": [sha256(script)], "style-src": [sha256(style)]};
    return policy.split(";").map((directive) => {
        const [name, ...sources] = directive.trim().split(/\s+/);
        // No page loads a style sheet of its own.
        const loads = keepSelf && name !== "style-src";
        const kept = sources.flatMap((source) =>
            source !== "'self'" ? [source] : [...(loads ? [source] : []), ...(inline[name] ?? [])]);
        return `${name} ${kept.length > 0 ? kept.join(" ") : "'none'"}`;
    }).join("; ");
}

const POLICY = /(http-equiv="Content-Security-Policy"\s+content=")([^"]*)"/;

function replaceOnce(html, pattern, replacement, what) {
    if (!pattern.test(html)) fail(`the page has no ${what}`);
    return html.replace(pattern, () => replacement);
}

// The page with its style sheet and script inside it, which saves a visit
// two requests; the script last in the body, where the document is parsed.
// With `modules` (name to glue) and `icon`, the one-file page: those inside
// too, the module as base64 in a data block.
async function inlinePage(html, script, style, {modules, icon} = {}) {
    for (const [what, text] of [["script", script], ["style", style]]) {
        if (new RegExp(`</${what}`, "i").test(text)) fail(`the bundled ${what} would end its element early`);
    }
    const single = modules !== undefined;
    let page = html;
    page = replaceOnce(page, /<link rel="stylesheet" href="[^"]*">/, `<style>${style}</style>`, "stylesheet");
    page = replaceOnce(page, /<script defer src="[^"]*"><\/script>\n/, "", "script");
    const blocks = [];
    if (single) {
        page = replaceOnce(page, /<link rel="icon" href="[^"]*">/,
                           `<link rel="icon" href="data:image/png;base64,${icon.toString("base64")}">`, "icon");
        page = page.replace(/<link rel="preload"[^>]*>\n/g, "");  // the modules are inside
        // Links to the site's other pages, which a file handed round has not beside it.
        page = page.replace(/^ *<a [^>]*data-site-only[^>]*>[^<]*<\/a>\n/gm, "");
        for (const [name, glue] of modules) {
            const wasm = await readFile(join(dirname(glue), `${name}.wasm`));
            blocks.push(`<script type="application/octet-stream" id="wasm:${name}">${wasm.toString("base64")}</script>\n`);
        }
    }
    page = replaceOnce(page, /<\/body>/, `${blocks.join("")}<script>${script}</script>\n</body>`, "body");
    const policy = POLICY.exec(page) ?? fail("the page has no content security policy");
    return page.replace(POLICY, () => `${policy[1]}${inlinePolicy(policy[2], script, style, !single)}"`);
}

// The markup the pages share, written once: a line "<!-- include FILE.html -->"
// becomes the file of the page's folder, its licence line left out.
async function includeShared(page, source) {
    for (const [line, file] of [...page.matchAll(/^<!-- include ([a-z-]+\.html) -->\n/gm)]) {
        const shared = (await readFile(join(source, file), "utf8")).replace(/^<!-- SPDX-[^\n]*\n/, "");
        page = page.replace(line, () => shared);
    }
    return page;
}

async function buildPage(html, site, options) {
    const name = basename(html, ".html");
    const source = dirname(html);
    const modules = new Map((options.module ?? []).map((m) => m.split("=", 2)));
    const script = await bundle(options.esbuild, join(source, `${name}.js`), modules);
    let style = await bundle(options.esbuild, join(source, `${name}.css`), modules);
    let page = await includeShared(await readFile(html, "utf8"), source);
    for (const part of options.part ?? []) {
        const [id, fragment] = part.split("=", 2);
        const element = new RegExp(`(<[a-z]+ [^>]*id="${id}"[^>]*>)(</[a-z]+>)`);
        const content = await readFile(fragment, "utf8");
        if (!element.test(page)) fail(`the page has no empty element ${id}`);
        page = page.replace(element, (_, open, close) => `${open}\n${content}${close}`);
        style += await readFile(fragment.replace(/\.html$/, ".css"), "utf8");
    }
    await mkdir(site, {recursive: true});
    await writeFile(join(site, `${name}.html`), await inlinePage(page, script, style));
    if (options.single) {
        const icon = await readFile(options.icon);
        await writeFile(options.single, await inlinePage(page, script, style, {modules, icon}));
    }
}

const {values, positionals} = parseArgs({
    allowPositionals: true,
    options: {
        esbuild: {type: "string", default: "esbuild"},
        icon: {type: "string"},
        module: {type: "string", multiple: true},
        part: {type: "string", multiple: true},
        single: {type: "string"},
    },
});
const [command, input, site] = positionals;
if (command === "module" && input && site) await buildModule(input, site);
else if (command === "page" && input && site && values.icon) await buildPage(input, site, values);
else fail("usage: build-page.mjs module NAME.wasm SITE | page NAME.html SITE --icon PNG [--module NAME=GLUE]... [--single FILE]");
