// SPDX-License-Identifier: MIT
// The library: inspect(pathOrBytes, options) resolves to what the tool makes
// of one file, its exact report and, where the header is whole, what it says
// in plain words. Any number of calls, at once too: each reads its file by
// itself, and the runs take turns on one instance of the module, each its own
// whole run of the tool. Nothing of the host's is touched: no listener, no
// exit status, no argument, no warning.
'use strict';
const fs = require('fs');
const path = require('path');
const url = require('url');
const {ADIFINFO_WORDS, ADIFINFO_SPAN: SPAN, textAsWritten, startAdifinfo, readerOf, reportAdifinfo} =
    require('./run.js');

let compiled = null;
let tool = null;
function instance() {
    if (compiled === null)
        compiled = new WebAssembly.Module(fs.readFileSync(path.join(__dirname, 'adifinfo.wasm')));
    if (tool === null)
        tool = startAdifinfo(compiled);
    return tool;
}

// The first SPAN bytes of the file at name, whether the file ends there, and
// the error that stopped the reading, if one did; or null when it does not
// open.
async function readStart(name) {
    let file;
    try {
        file = await fs.promises.open(name, 'r');
    } catch (error) {
        return null;
    }
    const bytes = Buffer.alloc(SPAN);
    let length = 0;
    let ended = false;
    let failure = null;
    try {
        while (length < SPAN && !ended) {
            const {bytesRead} = await file.read(bytes, length, SPAN - length, null);
            length += bytesRead;
            ended = bytesRead === 0;
        }
    } catch (error) {
        failure = error;
    } finally {
        await file.close().catch(() => {});
    }
    return {bytes: bytes.subarray(0, length), ended, failure};
}

function aborted(signal) {
    if (signal && signal.aborted) {
        const error = new Error('The operation was aborted');
        error.name = 'AbortError';
        throw error;
    }
}

// source: a path (a string, a Buffer of its bytes, or a file: URL), or the
// file's bytes (a Uint8Array or an ArrayBuffer). options.signal: an
// AbortSignal that gives up the call. Resolves to {status, word, report,
// shown, name, programs, bitrate, variableRate}: see index.d.ts.
async function inspect(source, options = {}) {
    aborted(options.signal);
    let name = null;
    let input = null;
    if (source instanceof ArrayBuffer || (source instanceof Uint8Array && !Buffer.isBuffer(source))) {
        const bytes = new Uint8Array(source);
        input = () => readerOf(bytes, true, null);
    } else if (typeof source === 'string' || Buffer.isBuffer(source) || source instanceof URL) {
        const start = await readStart(source);
        aborted(options.signal);
        if (start !== null)
            input = () => readerOf(start.bytes, start.ended, start.failure);
        // The name as the tool is given it: a Buffer's own bytes.
        name = source instanceof URL ? url.fileURLToPath(source) : typeof source === 'string' ? source
                                                                                               : Uint8Array.from(source);
    } else {
        throw new TypeError('inspect: give a path (a string, a Buffer or a file: URL) or the bytes of a file');
    }
    let report;
    try {
        report = reportAdifinfo(instance(), name === null ? 'bytes' : name, input);
    } catch (error) {
        tool = null; // a run that failed leaves nothing of itself to the next
        throw error;
    }
    return {
        status: report.status,
        word: report.word,
        report: Buffer.from(report.output.buffer, report.output.byteOffset, report.output.length),
        shown: report.shown,
        name: name === null ? null : textAsWritten(name),
        programs: report.programs,
        bitrate: report.bitrate,
        variableRate: report.variableRate,
    };
}

module.exports = {inspect, words: ADIFINFO_WORDS.map(({word, status, meaning}) => ({word, status, meaning}))};
