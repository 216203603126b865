// SPDX-License-Identifier: MIT
// The library on Node.js: inspect (library.js), with paths opened here, each
// adapted to a source (reader.js) that reads what the summary wants.
//
// A path is opened without blocking. A regular file is read where the
// pieces lie; a FIFO is waited on through the event loop, as a socket is,
// not in a thread of the pool: one that nothing writes holds no thread, and
// is waited on as the tool waits, until a writer comes or the signal aborts
// the call, which lets go of it at once. A character device that has nothing
// to give yet (a terminal) is asked again, a little later each time, until
// it has or the signal aborts. A socket does not open, as for the tool. (An
// open() that blocks inside the kernel, as one on an unreachable network
// file system can, holds its thread whatever is done here.) A failure is
// Node.js's own error, with its code, syscall and path.
import fs from 'node:fs';
import net from 'node:net';
import {fileURLToPath} from 'node:url';

import {abortError, checkAborted, makeInspect, streamSource, words} from './core.js';
import {wasmBytes} from './bytes.js';

const NONBLOCK = fs.constants.O_NONBLOCK || 0; // none on Windows, where nothing blocks so
const AGAIN_FIRST_MS = 10;
const AGAIN_MOST_MS = 250;

// fs's function fn called with args, as a promise.
function call(fn, ...args) {
    return new Promise((resolve, reject) => fn(...args, (error, value) => (error ? reject(error) : resolve(value))));
}

// Node.js's error for a read, with the path it was of (fs.read names none).
function withPath(error, path) {
    if (error && typeof error === 'object' && error.path === undefined && typeof path === 'string')
        error.path = path;
    return error;
}

// A regular file: each piece read where it lies.
function fileSource(fd, size, name) {
    return {
        size,
        async read(offset, count) {
            const bytes = Buffer.allocUnsafe(count);
            let length = 0;
            try {
                while (length < count) {
                    const read = await call(fs.read, fd, bytes, length, count - length, offset + length);
                    if (read === 0)
                        break;
                    length += read;
                }
            } catch (error) {
                throw withPath(error, name);
            }
            return {bytes: bytes.subarray(0, length), ended: length < count || offset + length >= size};
        },
        close: () => fs.close(fd, () => {}),
    };
}

// A FIFO, read through the event loop: the socket owns the descriptor, and
// closes it when it is done with. Each chunk as it comes; an abort stops the
// wait at once.
function pipeSource(fd, signal, name) {
    const socket = new net.Socket({fd, readable: true, writable: false});
    socket.pause();
    const chunks = [];
    let ended = false;
    let failure = null;
    let waiting = null;
    const wake = () => {
        if (waiting !== null) {
            const resolve = waiting;
            waiting = null;
            resolve();
        }
    };
    const aborted = () => {
        failure = abortError(signal);
        wake();
    };
    socket.on('data', (chunk) => {
        chunks.push(chunk);
        socket.pause();
        wake();
    });
    socket.on('end', () => {
        ended = true;
        wake();
    });
    socket.on('error', (error) => {
        failure = withPath(error, name);
        wake();
    });
    if (signal !== undefined)
        signal.addEventListener('abort', aborted);
    const next = async () => {
        while (chunks.length === 0 && !ended && failure === null) {
            socket.resume();
            await new Promise((resolve) => {
                waiting = resolve;
            });
        }
        if (chunks.length > 0)
            return chunks.shift();
        if (failure !== null)
            throw failure;
        return null;
    };
    return streamSource(next, () => {
        if (signal !== undefined)
            signal.removeEventListener('abort', aborted);
        socket.removeAllListeners();
        socket.on('error', () => {});
        socket.destroy();
    });
}

// Waits ms milliseconds, or rejects as soon as the signal aborts.
function pause(ms, signal) {
    return new Promise((resolve, reject) => {
        const aborted = () => {
            clearTimeout(timer);
            reject(abortError(signal));
        };
        const timer = setTimeout(() => {
            if (signal !== undefined)
                signal.removeEventListener('abort', aborted);
            resolve();
        }, ms);
        if (signal !== undefined)
            signal.addEventListener('abort', aborted, {once: true});
    });
}

// Anything else that opens (a character device, a folder): read forward,
// asked again while it has nothing yet.
function deviceSource(fd, signal, name) {
    let done = false;
    return streamSource(async () => {
        const bytes = Buffer.allocUnsafe(65536);
        for (let wait = AGAIN_FIRST_MS; !done;) {
            try {
                const read = await call(fs.read, fd, bytes, 0, bytes.length, null);
                return read === 0 ? null : bytes.subarray(0, read);
            } catch (error) {
                if (error.code !== 'EAGAIN' && error.code !== 'EWOULDBLOCK')
                    throw withPath(error, name);
                await pause(wait, signal);
                wait = Math.min(wait * 2, AGAIN_MOST_MS);
            }
        }
        return null;
    }, () => {
        done = true;
        fs.close(fd, () => {});
    });
}

async function openPath(name, signal) {
    let fd;
    const path = typeof name === 'string' ? name : Buffer.from(name);
    try {
        fd = await call(fs.open, path, fs.constants.O_RDONLY | NONBLOCK);
    } catch (error) {
        return {failure: error}; // the tool says "cant open", as it would
    }
    try {
        checkAborted(signal);
        const stat = await call(fs.fstat, fd);
        checkAborted(signal);
        const shown = typeof name === 'string' ? name : undefined;
        if (stat.isFile())
            return {source: fileSource(fd, stat.size, shown)};
        if (stat.isFIFO())
            return {source: pipeSource(fd, signal, shown)};
        return {source: deviceSource(fd, signal, shown)};
    } catch (error) {
        fs.close(fd, () => {});
        throw error;
    }
}

export const inspect = makeInspect({
    code: wasmBytes,
    taken: 'a path (a string, a file: URL, or {path: bytes} for a name that is not UTF-8) or the contents of ' +
           'a file (a Uint8Array or a Buffer, an ArrayBuffer, a Blob or a File, a ReadableStream, a Response ' +
           'or a Node.js Readable)',
    openPath,
    pathOf: (url) => fileURLToPath(url),
    report: (bytes) => Buffer.from(bytes.buffer, bytes.byteOffset, bytes.length),
});
export {words};
export default {inspect, words};
