// SPDX-License-Identifier: MIT
'use strict';
// The module's code for the package's CommonJS builds (node.cjs, and
// browser.cjs, which Jest's jsdom requires). Its one copy is wasm.js, an ES
// module that require() cannot load (Node.js 18; Jest, without its
// experimental modules), so it is read as text at the first call: both run
// on Node.js. Its base64 is of the module deflated (bytes.js).
let code = null;

// Node.js's own modules, asked for when used, so that no bundler sees a
// require (a bundler takes the ES modules; one given this file builds, and
// it would throw here, in a browser).
function builtin(name) {
    if (typeof process === 'object' && process !== null && typeof process.getBuiltinModule === 'function')
        return process.getBuiltinModule(name); // Node.js 20.16 and later
    const own = module; // not module.require itself, which webpack takes for a require of an expression
    return own.require(name);
}

exports.wasmBytes = function wasmBytes() {
    if (code === null) {
        const file = builtin('path').join(__dirname, 'wasm.js');
        const match = /^export const ADIFINFO_WASM = '([A-Za-z0-9+/=]*)';\s*$/m.exec(builtin('fs').readFileSync(file, 'latin1'));
        if (match === null)
            return Promise.reject(new Error(`adifinfo: ${file} does not hold the WebAssembly module`));
        const data = Buffer.from(match[1], 'base64');
        code = Promise.resolve(data[0] === 0 && data[1] === 0x61 ? data : builtin('zlib').inflateSync(data));
    }
    return code;
};
