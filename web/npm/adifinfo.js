#!/usr/bin/env node
// SPDX-License-Identifier: MIT
// adifinfo FILE: the tool's WebAssembly module run once, on the file named,
// with the native tool's output bytes and exit status (README.md says where
// they still differ). The file is opened here, by its own bytes where the
// system keeps them (Node.js hands a program its words as text, and a byte
// that is not UTF-8 becomes U+FFFD, which could name another file), and read
// through Node.js's own file system, forward, only as far as the tool asks.
'use strict';
const fs = require('fs');
const path = require('path');
const {startAdifinfo} = require('../lib/run.js');

// The words after the script's name: on Linux, their own bytes, from
// /proc/self/cmdline, where they are the last of its words and read as
// Node.js's; elsewhere, the words as Node.js has them, but for one with a
// U+FFFD in it, which may stand for bytes that are not UTF-8: null, a name
// that cannot be had, and so is not opened.
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
    return args.map((arg) => (arg.includes('\ufffd') ? null : arg));
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
// takes longer to load than the tool takes to run: it is asked only where
// standard output is a character device, as every terminal is.
function terminal() {
    try {
        return fs.fstatSync(1).isCharacterDevice() && require('tty').isatty(1);
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

function main() {
    const words = commandLine();
    let input = null;
    if (words.length > 0 && words[0] !== null) {
        try {
            const fd = fs.openSync(words[0], 'r');
            input = (into) => fs.readSync(fd, into, 0, into.length, null);
        } catch (error) {
            // Not opened: the tool says "cant open", as it would.
        }
    }
    const tool = startAdifinfo(new WebAssembly.Module(fs.readFileSync(path.join(__dirname, '..', 'lib', 'adifinfo.wasm'))));
    // A name that could not be had is given as Node.js has it, to be refused.
    const args = words.map((word, i) => (word === null ? process.argv[2 + i] : word));
    const run = tool.run({args, input, terminal: terminal()});
    let status = run.status;
    writeAll(2, run.errors);
    // A report that did not reach its reader must not pass for one that did.
    if (outputWasClosed() || !writeAll(1, run.output))
        status = 2;
    process.exitCode = status;
}

// Only as a command: a program that requires this file runs nothing.
if (require.main === module) {
    try {
        main();
    } catch (error) {
        process.stderr.write(`adifinfo: ${error && error.message ? error.message : error}\n`);
        process.exitCode = 2;
    }
}
