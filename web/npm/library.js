// SPDX-License-Identifier: MIT
// The library's inspect(input, options), whatever it runs on: what the tool
// makes of one file, its exact report, and what the file is and its header
// says, as facts and in plain words. What it is given decides how it is
// read, as libraries that parse files do it:
//
//   a path          a string, a file: URL, or {path: bytes} for a name whose
//                   bytes are not UTF-8: opened by the host (node.js; a
//                   browser has no paths)
//   the contents    a Uint8Array (a Buffer is one), an ArrayBuffer, a Blob
//                   or a File (read as a stream, only its start)
//
// Anything else, and options that are not {signal, size}, reject with a
// TypeError that says what is taken; a signal that aborts rejects as the
// host's own functions do (AbortError, code ABORT_ERR, the signal's reason
// as its cause). inspect never throws: it rejects.
//
// Any number of calls, at once too: each reads its file by itself, and the
// runs take turns on one instance of the module, each its own whole run of
// the tool. Nothing of the host's is touched: no listener left, no exit
// status, no argument, no warning.
import {ADIFINFO_WORDS, adifinfoCode, readBlob, readerOf, reportAdifinfo, startAdifinfo, textAsWritten} from
    '../run.js';

const TAKEN = 'a path (a string, a file: URL, or {path: bytes} for a name that is not UTF-8) or the contents ' +
              'of a file (a Uint8Array or a Buffer, an ArrayBuffer, a Blob or a File)';

// The four words for what a file is, with the exit statuses each goes with.
export const words = ADIFINFO_WORDS.map(({word, statuses, meaning}) => ({word, statuses, meaning}));

// The error an aborted call rejects with, as the host's own functions make it.
export function abortError(signal) {
    const error = new Error('The operation was aborted', {cause: signal.reason});
    error.name = 'AbortError';
    error.code = 'ABORT_ERR';
    return error;
}

export function checkAborted(signal) {
    if (signal !== undefined && signal.aborted)
        throw abortError(signal);
}

function optionsOf(options) {
    if (options === undefined || options === null)
        return {signal: undefined, size: undefined};
    if (typeof options !== 'object')
        throw new TypeError(`inspect: options are an object, {signal, size}, not ${typeof options}`);
    const {signal, size} = options;
    if (signal !== undefined &&
        !(typeof signal === 'object' && signal !== null && typeof signal.aborted === 'boolean' &&
          typeof signal.addEventListener === 'function'))
        throw new TypeError('inspect: options.signal is an AbortSignal');
    if (size !== undefined && !(Number.isSafeInteger(size) && size >= 0))
        throw new TypeError('inspect: options.size is the size of the file in bytes, a whole number');
    return {signal, size};
}

// What input is: {path} (a string, or a name's bytes), {url}, {bytes} or {blob}.
function sourceOf(input) {
    if (typeof input === 'string')
        return {path: input};
    if (input instanceof Uint8Array)
        return {bytes: input};
    if (input instanceof ArrayBuffer)
        return {bytes: new Uint8Array(input)};
    if (typeof Blob === 'function' && input instanceof Blob)
        return {blob: input};
    if (typeof URL === 'function' && input instanceof URL) {
        if (input.protocol !== 'file:')
            throw new TypeError(`inspect: a URL names a file only as file:, not ${input.protocol}`);
        return {url: input};
    }
    if (typeof input === 'object' && input !== null && input.path instanceof Uint8Array)
        return {path: Uint8Array.from(input.path)};
    throw new TypeError(`inspect: give ${TAKEN}`);
}

// The module, compiled once, and the one instance that every call runs,
// made by the first call that needs it (the calls at once wait for it).
let making = null;
function instance() {
    if (making === null) {
        making = WebAssembly.compile(adifinfoCode()).then(startAdifinfo);
        making.catch(() => {
            making = null;
        });
    }
    return making;
}

// The start of a file given as its contents: all of it, to read as far as
// the tool asks, and what follows a long ID3v2 tag where it holds that.
function fromBytes(tool, bytes, size) {
    const start = bytes.subarray(0, tool.span);
    const at = tool.after(start, size);
    return {input: () => readerOf(bytes, true, null), start, size,
            next: at >= 0 && at < bytes.length ? bytes.subarray(at, at + tool.nextSpan) : null};
}

async function fromBlob(tool, blob, size) {
    try {
        const read = await readBlob(tool, blob);
        return {input: () => readerOf(read.bytes, read.ended, null), start: read.bytes,
                size: size !== undefined ? size : read.size, next: read.next};
    } catch (error) {
        // A File that went away or changed: the tool's first read fails.
        return {input: () => readerOf(new Uint8Array(0), false, error), start: new Uint8Array(0), size: -1, next: null};
    }
}

// makeInspect(host) is the library's inspect on a host that opens paths:
// host.readPath(name, tool, signal) resolves to {input, start, size, next}
// (see reportAdifinfo), or null where the file does not open; host.pathOf(url)
// is a file: URL's path; host.report(bytes) gives the report as the host
// holds bytes. A host without paths throws a TypeError from both.
export function makeInspect(host) {
    return async function inspect(input, options) {
        const {signal, size} = optionsOf(options);
        const source = sourceOf(input);
        checkAborted(signal);
        const tool = await instance();
        let name = null;
        let file;
        if (source.bytes !== undefined) {
            file = fromBytes(tool, source.bytes, size !== undefined ? size : source.bytes.length);
        } else if (source.blob !== undefined) {
            file = await fromBlob(tool, source.blob, size);
        } else {
            // The name as the tool is given it: a string, or its own bytes.
            name = source.url !== undefined ? host.pathOf(source.url) : source.path;
            file = await host.readPath(name, tool, signal);
        }
        checkAborted(signal);
        let report;
        try {
            report = file === null ? reportAdifinfo(tool, name, null, new Uint8Array(0), -1, null)
                                   : reportAdifinfo(tool, name === null ? 'bytes' : name, file.input, file.start,
                                                    file.size, file.next);
        } catch (error) {
            // A run that failed leaves nothing of itself to the next.
            if (making !== null && (await making) === tool)
                making = null;
            throw error;
        }
        return {
            status: report.status,
            word: report.word,
            report: host.report(report.output),
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
    };
}
