#!/usr/bin/env node
// SPDX-License-Identifier: MIT
// adifinfo FILE: the tool's WebAssembly module run once, on the file named,
// with the native tool's output bytes and exit status (README.md says where
// they still differ). The file is opened here, by its own bytes where the
// system keeps them, and read through Node.js's own file system, forward,
// only as far as the tool asks.
//
// Node.js hands a program its words as text: a byte that is not UTF-8
// becomes U+FFFD, which could name another file. Typed in a shell, a name's
// own bytes are in /proc/self/cmdline; but a launcher written in JavaScript
// (npx, npm exec, a program's execFile with a string) has decoded the name
// before this program starts, and its U+FFFD cannot be told from one typed.
// So a name whose bytes hold U+FFFD (EF BF BD) is never opened: the tool
// says "cant open" as it does for any name it cannot open. A program that
// must open such a name gives the library its bytes, {path: bytes}.
import fs from 'node:fs';

import {wasmBytes} from './bytes.js';
import {startAdifinfo} from './core.js';

const REPLACEMENT = Buffer.from('\ufffd'); // EF BF BD

// The words after the script's name: on Linux, their own bytes, from
// /proc/self/cmdline, where they are the last of its words and read as
// Node.js's; elsewhere, the words as Node.js has them.
function commandLine() {
    const args = process.argv.slice(2);
    try {
        const words = fs.readFileSync('/proc/self/cmdline');
        const split = [];
        for (let start = 0, end; start < words.length; start = end + 1) {
            end = words.indexOf(0, start);
            if (end < 0)
                end = words.length;
            split.push(words.subarray(start, end));
        }
        const own = split.slice(split.length - args.length);
        if (split.length >= args.length && own.every((bytes, i) => bytes.toString('utf8') === args[i]))
            return own;
    } catch (error) {
        // No /proc here: the words as Node.js has them.
    }
    return args.map((arg) => Buffer.from(arg));
}

// Whether the program began with standard output closed: Node.js then puts
// /dev/null there, opened for reading and writing, where a shell's
// redirection opens it for writing alone. (Linux; elsewhere, no.)
function outputWasClosed() {
    try {
        if (fs.readlinkSync('/proc/self/fd/1') !== '/dev/null')
            return false;
        const flags = /^flags:\s*([0-7]+)$/m.exec(fs.readFileSync('/proc/self/fdinfo/1', 'utf8'));
        return flags !== null && (parseInt(flags[1], 8) & 3) === 2;
    } catch (error) {
        return false;
    }
}

// Whether standard output is a terminal. Node.js's tty module, which tells,
// takes longer to load than the tool takes to run: it is loaded only where
// standard output is a character device, as every terminal is.
async function terminal() {
    try {
        return fs.fstatSync(1).isCharacterDevice() && (await import('node:tty')).isatty(1);
    } catch (error) {
        return false;
    }
}

// All of bytes to the file descriptor, or false when that fails.
function writeAll(fd, bytes) {
    for (let done = 0; done < bytes.length;) {
        try {
            done += fs.writeSync(fd, bytes, done);
        } catch (error) {
            if (error.code !== 'EAGAIN')
                return false;
        }
    }
    return true;
}

async function main() {
    const words = commandLine();
    let input = null;
    if (words.length > 0 && !words[0].includes(REPLACEMENT)) {
        try {
            const fd = fs.openSync(words[0], 'r');
            input = (into) => fs.readSync(fd, into, 0, into.length, null);
        } catch (error) {
            // Not opened: the tool says "cant open", as it would.
        }
    }
    const tool = startAdifinfo(new WebAssembly.Module(await wasmBytes()));
    const run = tool.run({args: words, input, terminal: await terminal()});
    let status = run.status;
    writeAll(2, run.errors);
    // A report that did not reach its reader must not pass for one that did.
    if (outputWasClosed() || !writeAll(1, run.output))
        status = 2;
    process.exitCode = status;
}

main().catch((error) => {
    process.stderr.write(`adifinfo: ${error && error.message ? error.message : error}\n`);
    process.exitCode = 2;
});
