// SPDX-License-Identifier: MIT
// The module's code, as bytes, for what imports ES modules (the page, the
// package's ES modules, and every bundler, with no plugin): wasm.js, which
// the build writes, holds it as base64, of the module itself (it starts
// "\0asm": the page's) or of the module deflated (the package's, where it
// takes less room), inflated here by the host's DecompressionStream.
import {ADIFINFO_WASM} from './wasm.js';

function decoded(text) {
    const chars = atob(text);
    const bytes = new Uint8Array(chars.length);
    for (let i = 0; i < chars.length; i++)
        bytes[i] = chars.charCodeAt(i);
    return bytes;
}

async function inflated(bytes) {
    const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate')).getReader();
    const parts = [];
    let length = 0;
    for (let part = await reader.read(); !part.done; part = await reader.read()) {
        parts.push(part.value);
        length += part.value.length;
    }
    const whole = new Uint8Array(length);
    let at = 0;
    for (const part of parts) {
        whole.set(part, at);
        at += part.length;
    }
    return whole;
}

let code = null;

export function wasmBytes() {
    if (code === null) {
        const bytes = decoded(ADIFINFO_WASM);
        code = bytes[0] === 0 && bytes[1] === 0x61 ? Promise.resolve(bytes) : inflated(bytes);
    }
    return code;
}
