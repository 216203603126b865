// SPDX-License-Identifier: MIT
// The library: inspect(pathOrBytes, options) resolves to what the tool makes
// of one file, its exact report, and what the file is and its header says,
// as facts and in plain words. Any number of calls, at once too: each reads its file by
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

// The first SPAN bytes of the file at name, whether the file ends there, its
// size, and the error that stopped the reading, if one did; or null when it
// does not open.
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
    let size = -1;
    try {
        size = (await file.stat()).size;
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
    // What was read is the file, where it ended there (a FIFO has no size).
    return {bytes: bytes.subarray(0, length), ended, failure, size: ended ? length : size};
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
// AbortSignal that gives up the call; options.size: the whole file's size,
// where the bytes are only its start. Resolves to {status, word, report,
// shown, name, kind, afterTag, radioLog, bitrate, variableRate,
// durationSeconds, durationIsMinimum, programs, inWords}: see index.d.ts.
async function inspect(source, options = {}) {
    aborted(options.signal);
    const size = options.size;
    if (size !== undefined && !(Number.isSafeInteger(size) && size >= 0))
        throw new TypeError('inspect: options.size is the size of the file in bytes, a whole number');
    let name = null;
    let input = null;
    let start = new Uint8Array(0);
    let length = -1;
    if (source instanceof ArrayBuffer || (source instanceof Uint8Array && !Buffer.isBuffer(source))) {
        const bytes = new Uint8Array(source);
        input = () => readerOf(bytes, true, null);
        start = bytes;
        length = size !== undefined ? size : bytes.length;
    } else if (typeof source === 'string' || Buffer.isBuffer(source) || source instanceof URL) {
        const read = await readStart(source);
        aborted(options.signal);
        if (read !== null) {
            input = () => readerOf(read.bytes, read.ended, read.failure);
            start = read.bytes;
            length = read.size;
        }
        // The name as the tool is given it: a Buffer's own bytes.
        name = source instanceof URL ? url.fileURLToPath(source) : typeof source === 'string' ? source
                                                                                               : Uint8Array.from(source);
    } else {
        throw new TypeError('inspect: give a path (a string, a Buffer or a file: URL) or the bytes of a file');
    }
    let report;
    try {
        report = reportAdifinfo(instance(), name === null ? 'bytes' : name, input, start, length);
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
        kind: report.kind,
        afterTag: report.afterTag,
        radioLog: report.radioLog,
        bitrate: report.bitrate,
        variableRate: report.variableRate,
        durationSeconds: report.durationSeconds,
        durationIsMinimum: report.durationIsMinimum,
        programs: report.programs,
        inWords: report.inWords,
    };
}

module.exports = {inspect, words: ADIFINFO_WORDS.map(({word, statuses, meaning}) => ({word, statuses, meaning}))};
