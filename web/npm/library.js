// SPDX-License-Identifier: MIT
// The library's inspect(input, options), whatever it runs on: what the tool
// makes of one file, its exact report, and what the file is and its header
// says, as facts and in plain words (the module's summary, field for field:
// report.js). What it is given decides how it is read, as libraries that
// parse files do it:
//
//   a path          a string, a file: URL, or {path: bytes} for a name whose
//                   bytes are not UTF-8: opened by the host (node.js; a
//                   browser has no paths)
//   the contents    bytes (a Uint8Array, a Buffer, any view of an
//                   ArrayBuffer, an ArrayBuffer), a Blob or a File (or
//                   anything shaped like one), a web ReadableStream, a
//                   Response, or a Node.js Readable (any async iterable of
//                   bytes): each read only as far as needed, then let go
//
// Anything else, an option that is not signal or size, and a bad value of
// one, reject with a TypeError that says what is taken; a signal that
// aborts rejects as the host's own functions do (AbortError, code ABORT_ERR,
// the signal's reason as its cause). inspect never throws: it rejects. A
// file that cannot be opened or read resolves, as the command would report
// it (status 2), with the reason as error.
//
// Any number of calls, at once too: each reads its file by itself, and the
// runs take turns on one instance of the module, each its own whole run of
// the tool. Nothing of the host's is touched: no listener left, no exit
// status, no argument, no warning.
import {startAdifinfo} from '../host.js';
import {blobSource, bytesSource, checkAborted, readFile, streamSource, webStreamSource} from '../reader.js';
import {reportFile} from '../report.js';
import {ADIFINFO_WORDS} from '../words.js';

// The four words for what a file is, with the exit statuses each goes with.
export const words = Object.freeze(ADIFINFO_WORDS.map((w) => Object.freeze({...w, statuses: Object.freeze([...w.statuses])})));

const OPTIONS = ['signal', 'size'];

function optionsOf(options) {
    if (options === undefined || options === null)
        return {signal: undefined, size: undefined};
    if (typeof options !== 'object')
        throw new TypeError(`inspect: options are an object, {signal, size}, not ${typeof options}`);
    for (const key of Object.keys(options))
        if (!OPTIONS.includes(key))
            throw new TypeError(`inspect: no option ${JSON.stringify(key)}: the options are signal and size`);
    const {signal, size} = options;
    if (signal !== undefined &&
        !(typeof signal === 'object' && signal !== null && typeof signal.aborted === 'boolean' &&
          typeof signal.addEventListener === 'function'))
        throw new TypeError('inspect: options.signal is an AbortSignal');
    if (size !== undefined && !(Number.isSafeInteger(size) && size >= 0))
        throw new TypeError('inspect: options.size is the size of the file in bytes, a whole number');
    return {signal, size};
}

const tag = (value) => Object.prototype.toString.call(value);

// Bytes, from any realm (a page's frame, vm, jsdom): a view of an
// ArrayBuffer, or an ArrayBuffer.
function bytesOf(input) {
    if (ArrayBuffer.isView(input))
        return new Uint8Array(input.buffer, input.byteOffset, input.byteLength);
    if (tag(input) === '[object ArrayBuffer]' || tag(input) === '[object SharedArrayBuffer]')
        return new Uint8Array(input);
    return null;
}

// A Blob of any realm, or shaped like one: its size and its slices (jsdom's
// has no more).
const isBlob = (input) => typeof input.size === 'number' && typeof input.slice === 'function';
const isResponse = (input) => typeof input.arrayBuffer === 'function' && 'body' in input &&
                              typeof input.headers === 'object' && typeof input.status === 'number';
const isWebStream = (input) => typeof input.getReader === 'function';
const isIterable = (input) => typeof input[Symbol.asyncIterator] === 'function';

// An async iterable of bytes (a Node.js Readable) as a source; where it
// gives text, it fails as a read would.
function iterableSource(iterable, size) {
    const iterator = iterable[Symbol.asyncIterator]();
    return streamSource(async () => {
        const {done, value} = await iterator.next();
        if (done)
            return null;
        const bytes = bytesOf(value);
        if (bytes === null)
            throw new TypeError('inspect: the stream gives text, not bytes (a stream of a file, with no encoding set)');
        return bytes;
    }, () => {
        Promise.resolve(typeof iterator.return === 'function' ? iterator.return() : null).catch(() => {});
        if (typeof iterable.destroy === 'function')
            iterable.destroy();
    }, size);
}

// What input is: a path ({path}: a string, or a name's bytes; or {url}), or
// the contents, as a source (reader.js).
function sourceOf(input, size, taken) {
    if (typeof input === 'string')
        return {path: input};
    if (typeof input !== 'object' || input === null)
        throw new TypeError(`inspect: give ${taken}`);
    const bytes = bytesOf(input);
    if (bytes !== null) {
        if (size !== undefined && size < bytes.length)
            throw new TypeError(`inspect: options.size (${size}) is less than the ${bytes.length} bytes given`);
        return {source: bytesSource(bytes, size)};
    }
    if (isBlob(input)) {
        if (size !== undefined && size < input.size)
            throw new TypeError(`inspect: options.size (${size}) is less than the Blob's ${input.size} bytes`);
        return {source: blobSource(input, size)};
    }
    if (isResponse(input))
        return {source: input.body === null ? bytesSource(new Uint8Array(0), size) : webStreamSource(input.body, size)};
    if (isWebStream(input))
        return {source: webStreamSource(input, size)};
    if (isIterable(input))
        return {source: iterableSource(input, size)};
    if (typeof input.href === 'string' && typeof input.protocol === 'string') {
        if (input.protocol !== 'file:')
            throw new TypeError(`inspect: a URL names a file only as file:, not ${input.protocol}`);
        return {url: input};
    }
    if (bytesOf(input.path) !== null)
        return {path: Uint8Array.from(bytesOf(input.path))};
    throw new TypeError(`inspect: give ${taken}`);
}

// The module, compiled once, and the one instance that every call runs,
// made by the first call that needs it (the calls at once wait for it).
let making = null;
function instance(code) {
    if (making === null) {
        making = code().then((bytes) => WebAssembly.compile(bytes)).then(startAdifinfo);
        making.catch(() => {
            making = null;
        });
    }
    return making;
}

// makeInspect(host) is the library's inspect on a host:
//
//   host.code()               a promise of the module's code (bytes.js)
//   host.taken                what it takes, in words, for its TypeErrors
//   host.openPath(name, signal)
//                             a promise of {source} for the file a path names
//                             (a string, or its bytes), or {failure}, the
//                             host's own error, where it does not open
//   host.pathOf(url)          a file: URL's path
//   host.report(bytes)        the report as the host holds bytes
//
// A host without paths throws a TypeError from openPath and pathOf.
export function makeInspect(host) {
    return async function inspect(input, options) {
        const {signal, size} = optionsOf(options);
        const given = sourceOf(input, size, host.taken);
        checkAborted(signal);
        let name = null;
        let opened = given;
        if (given.source === undefined) {
            // The name as the tool is given it: a string, or its own bytes.
            name = given.url !== undefined ? host.pathOf(given.url) : given.path;
            opened = await host.openPath(name, signal);
        }
        checkAborted(signal);
        const tool = await instance(host.code);
        const read = opened.source === undefined ? null : await readFile(tool, opened.source, signal);
        checkAborted(signal);
        let result;
        try {
            result = reportFile(tool, name === null ? 'contents' : name, read, opened.failure || null, name);
        } catch (error) {
            // A run that failed leaves nothing of itself to the next.
            if (making !== null && (await making) === tool)
                making = null;
            throw error;
        }
        result.report = host.report(result.report);
        return result;
    };
}
