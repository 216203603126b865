// SPDX-License-Identifier: MIT
// The library on Node.js: inspect (library.js), with paths opened here.
//
// A path is opened without blocking, and read only as far as a header and
// telling the file's kind need (and, past a long ID3v2 tag, a few bytes
// after it). A FIFO is waited on through the event loop, as a socket is,
// not in a thread of the pool: one that nothing writes holds no thread, and
// is waited on as the tool waits, until a writer comes or the signal aborts
// the call, which lets go of it at once. A character device that has
// nothing to give yet (a terminal) is asked again, a little later each
// time, until it has or the signal aborts. A socket does not open, as for
// the tool. (An open() that blocks inside the kernel, as one on an
// unreachable network file system can, holds its thread whatever is done
// here.)
import fs from 'node:fs';
import net from 'node:net';
import {fileURLToPath} from 'node:url';

import {abortError, checkAborted, makeInspect, words} from './library.js';
import {readerOf} from '../run.js';

const NONBLOCK = fs.constants.O_NONBLOCK || 0; // none on Windows, where nothing blocks so
const AGAIN_FIRST_MS = 10;
const AGAIN_MOST_MS = 250;

// fs's function fn called with args, as a promise.
function call(fn, ...args) {
    return new Promise((resolve, reject) => fn(...args, (error, value) => (error ? reject(error) : resolve(value))));
}

// A file that opened, and what was read of it: its first bytes, whether
// it ends there, the error that stopped the reading, and its size (-1: not
// known).
function opened(bytes, ended, failure, size, next) {
    return {input: () => readerOf(bytes, ended, failure), start: bytes, size, next};
}

// A regular file: its start, and the bytes after a long ID3v2 tag, read
// where they are. A file shorter than the start is read whole at once, as
// long as its size says (as fs.readFile does), and ends there.
async function readFile(fd, size, tool) {
    const want = Math.min(tool.span, size);
    const bytes = Buffer.allocUnsafe(Math.max(want, 1));
    let length = 0;
    let ended = size === 0;
    try {
        while (length < want && !ended) {
            const read = await call(fs.read, fd, bytes, length, want - length, length);
            length += read;
            ended = read === 0;
        }
        ended = ended || length < tool.span;
        const start = bytes.subarray(0, length);
        const at = tool.after(start, size);
        let next = null;
        if (at >= 0) {
            next = Buffer.allocUnsafe(tool.nextSpan);
            next = next.subarray(0, await call(fs.read, fd, next, 0, next.length, at));
        }
        return opened(start, ended, null, ended ? length : size, next);
    } catch (error) {
        return opened(bytes.subarray(0, length), false, error, size, null);
    }
}

// A FIFO: its first span bytes, through the event loop. The socket owns the
// descriptor, and closes it when it is done with.
function readPipe(fd, span, signal) {
    return new Promise((resolve, reject) => {
        const chunks = [];
        let length = 0;
        let socket;
        try {
            socket = new net.Socket({fd, readable: true, writable: false});
        } catch (error) {
            fs.close(fd, () => {});
            resolve(opened(Buffer.alloc(0), false, error, -1, null));
            return;
        }
        const bytes = () => Buffer.concat(chunks, length).subarray(0, span);
        const done = (error, value) => {
            if (signal !== undefined)
                signal.removeEventListener('abort', aborted);
            socket.removeAllListeners();
            socket.on('error', () => {});
            socket.destroy();
            if (error)
                reject(error);
            else
                resolve(value);
        };
        const aborted = () => done(abortError(signal));
        if (signal !== undefined)
            signal.addEventListener('abort', aborted);
        socket.on('data', (chunk) => {
            chunks.push(chunk);
            length += chunk.length;
            if (length >= span)
                done(null, opened(bytes(), false, null, -1, null));
        });
        socket.on('end', () => done(null, opened(bytes(), true, null, length, null)));
        socket.on('error', (error) => done(null, opened(bytes(), false, error, -1, null)));
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
async function readOther(fd, span, signal) {
    const bytes = Buffer.allocUnsafe(span);
    let length = 0;
    let ended = false;
    let wait = AGAIN_FIRST_MS;
    try {
        while (length < span && !ended) {
            let read;
            try {
                read = await call(fs.read, fd, bytes, length, span - length, null);
            } catch (error) {
                if (error.code !== 'EAGAIN' && error.code !== 'EWOULDBLOCK')
                    throw error;
                await pause(wait, signal);
                wait = Math.min(wait * 2, AGAIN_MOST_MS);
                continue;
            }
            length += read;
            ended = read === 0;
            wait = AGAIN_FIRST_MS;
        }
        return opened(bytes.subarray(0, length), ended, null, ended ? length : -1, null);
    } catch (error) {
        if (error.name === 'AbortError')
            throw error;
        return opened(bytes.subarray(0, length), false, error, -1, null);
    }
}

async function readPath(name, tool, signal) {
    let fd;
    try {
        fd = await call(fs.open, typeof name === 'string' ? name : Buffer.from(name), fs.constants.O_RDONLY | NONBLOCK);
    } catch (error) {
        return null; // the tool says "cant open", as it would
    }
    let owned = true;
    try {
        checkAborted(signal);
        const stat = await call(fs.fstat, fd);
        checkAborted(signal);
        if (stat.isFile())
            return await readFile(fd, stat.size, tool);
        if (stat.isFIFO()) {
            owned = false;
            return await readPipe(fd, tool.span, signal);
        }
        return await readOther(fd, tool.span, signal);
    } finally {
        if (owned)
            fs.close(fd, () => {});
    }
}

export const inspect = makeInspect({
    readPath,
    pathOf: (url) => fileURLToPath(url),
    report: (bytes) => Buffer.from(bytes.buffer, bytes.byteOffset, bytes.length),
});
export {words};
export default {inspect, words};
