// SPDX-License-Identifier: GPL-3.0-or-later
// A static file server for the built page, as any static host would serve
// it: `node web/serve.mjs [folder] [port]`, on localhost only. The tests and
// the start-up benchmark start it on a free port through serveFolder().
import {createReadStream} from "node:fs";
import {stat} from "node:fs/promises";
import {createServer} from "node:http";
import {extname, join, normalize, resolve, sep} from "node:path";
import {fileURLToPath} from "node:url";

const TYPES = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript; charset=utf-8",
    ".mjs": "text/javascript; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".wasm": "application/wasm",
    ".png": "image/png",
    ".svg": "image/svg+xml",
};

async function fileFor(root, urlPath) {
    const path = normalize(join(root, decodeURIComponent(urlPath)));
    if (path !== root && !path.startsWith(root + sep)) return null;
    const info = await stat(path).catch(() => null);
    if (info === null) return null;
    if (!info.isDirectory()) return path;
    return fileFor(root, join(urlPath, "index.html"));
}

// Resolves to the listening server; port 0 takes a free one.
export function serveFolder(folder, port = 0, host = "127.0.0.1") {
    const root = resolve(folder);
    const server = createServer(async (request, response) => {
        const urlPath = new URL(request.url, "http://localhost").pathname;
        const path = await fileFor(root, urlPath).catch(() => null);
        if (path === null || request.method !== "GET") {
            response.writeHead(path === null ? 404 : 405).end();
            return;
        }
        response.writeHead(200, {
            "Content-Type": TYPES[extname(path)] ?? "application/octet-stream",
            "Cache-Control": "no-cache",
        });
        createReadStream(path).pipe(response);
    });
    return new Promise((done, fail) => {
        server.once("error", fail);
        server.listen(port, host, () => done(server));
    });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
    const folder = process.argv[2] ?? "build-web/site";
    const port = Number(process.argv[3] ?? 8080);
    const server = await serveFolder(folder, port);
    console.log(`korvel: http://localhost:${server.address().port}/ (Ctrl+C ends)`);
}
