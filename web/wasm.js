// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a WebAssembly module of the pages. Served over http(s) it streams:
// it compiles while it downloads. A page opened from disk can fetch nothing,
// so there it comes from its base64 script beside the page (NAME.wasm.js),
// and a one-file page carries it in a data block of its own.

function decode(base64) {
    const text = atob(base64);
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    return bytes;
}

function fromScript(name) {
    return new Promise((resolve, reject) => {
        const script = document.createElement("script");
        script.src = `${name}.wasm.js`;
        script.onload = () => resolve(decode(self.korvelWasm[name]));
        script.onerror = () => reject(new Error(`${name}.wasm.js не загружен`));
        document.head.append(script);
    });
}

// A host that does not serve .wasm as application/wasm cannot stream it.
async function fromServer(name) {
    const url = `${name}.wasm`;
    try {
        return await WebAssembly.compileStreaming(fetch(url));
    } catch {
        const response = await fetch(url);
        if (!response.ok) throw new Error(`${url}: ${response.status}`);
        return WebAssembly.compile(await response.arrayBuffer());
    }
}

function compile(name) {
    const block = document.getElementById(`wasm:${name}`);
    if (block !== null) return WebAssembly.compile(decode(block.textContent));
    if (location.protocol === "file:") return fromScript(name).then((bytes) => WebAssembly.compile(bytes));
    return fromServer(name);
}

// Resolves to the module NAME made by its Emscripten factory; the compiling
// starts at once, before the factory asks for it.
export function loadModule(factory, name) {
    const compiled = compile(name);
    return new Promise((resolve, reject) => {
        compiled.catch(reject);
        factory({
            instantiateWasm(imports, receive) {
                compiled.then((module) => WebAssembly.instantiate(module, imports).then((instance) =>
                    receive(instance, module))).catch(reject);
                return {};
            },
        }).then(resolve, reject);
    });
}
