#!/usr/bin/env node
// SPDX-License-Identifier: MIT
// adifinfo FILE: the tool's WebAssembly module run once, on the file named,
// with the native tool's output, bytes and exit status (README.md says where
// they still differ). The file is opened and read here, through Node.js's own
// file system, so any path the system takes works: forward, 64 KiB at a time,
// and no further than the chunk that holds the last byte the tool asks for.
'use strict';
const fs = require('fs');
const createAdifinfo = require('../lib/adifinfo-module.js');
const {compileAdifinfo, startAdifinfo} = require('../lib/run.js');

// The file, forward, a chunk at a time; a failed read (a folder, a failing
// disk) throws, which the tool takes for one.
function reader(fd) {
    const chunk = Buffer.alloc(65536);
    let length = 0;
    let at = 0;
    let ended = false;
    return () => {
        if (at === length) {
            if (ended)
                return null;
            length = fs.readSync(fd, chunk, 0, chunk.length, null);
            at = 0;
            if (length === 0) {
                ended = true;
                return null;
            }
        }
        return chunk[at++];
    };
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
    const args = process.argv.slice(2);
    let input;
    if (args.length > 0) {
        try {
            input = reader(fs.openSync(args[0], 'r'));
        } catch (error) {
            // No input: the tool says "cant open", as it would.
        }
    }
    const tool = await startAdifinfo(createAdifinfo, await compileAdifinfo(createAdifinfo));
    const run = tool.run({args, input, terminal: Boolean(process.stdout.isTTY)});
    let status = run.status;
    writeAll(2, run.errors);
    // A report that did not reach its reader must not pass for one that did.
    if (!writeAll(1, run.output))
        status = 2;
    process.exitCode = status;
}

main().catch((error) => {
    process.stderr.write(`adifinfo: ${error && error.message ? error.message : error}\n`);
    process.exitCode = 2;
});
