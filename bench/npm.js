// SPDX-License-Identifier: MIT
// The npm package's cost, for bench/run.sh:
//   command   each of the files run three ways in turn, paired: Node.js
//             starting and doing nothing (node -e 0, the floor), the command,
//             the native tool; best of three rounds. Target: the command at
//             most 1.2 times node -e 0.
//   library   inspect() on each file's path, and on its bytes, calls a second
//             in one process
//   size      the tarball, and the package as installed
//
//   node bench/npm.js COMMAND NATIVE TARBALL FILE...
'use strict';
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');

const [command, native, tarball, ...files] = process.argv.slice(2);
const installed = path.join(path.dirname(fs.realpathSync(command)), '..');

function timed(program, args) {
    const begun = process.hrtime.bigint();
    childProcess.spawnSync(program, args, {stdio: ['ignore', 'ignore', 'ignore']});
    return Number(process.hrtime.bigint() - begun) / 1e6;
}

const ways = [['node -e 0', process.execPath, () => ['-e', '0']], ['command', command, (file) => [file]],
              ['native', native, (file) => [file]]];
const best = {};
const ratios = [];
for (let round = 0; round < 3; round++) {
    const sums = {};
    files.forEach((file, i) => {
        const took = {};
        // Each file's three runs in a turning order, so that drift falls on all alike.
        for (let k = 0; k < ways.length; k++) {
            const [name, program, args] = ways[(i + k) % ways.length];
            took[name] = timed(program, args(file));
            sums[name] = (sums[name] || 0) + took[name];
        }
        ratios.push(took.command / took['node -e 0']);
    });
    for (const name in sums)
        best[name] = Math.min(best[name] || Infinity, sums[name]);
}
ratios.sort((a, b) => a - b);
const each = (name) => (best[name] / files.length).toFixed(1);
const target = best.command / best['node -e 0'];
console.log(`npm           command ${each('command')} ms a file, node -e 0 ${each('node -e 0')} ms, native ` +
            `${each('native')} ms (${files.length} files, paired, best of 3): ratio to node -e 0 ` +
            `${target.toFixed(3)} (median of pairs ${ratios[ratios.length >> 1].toFixed(3)}; target <= 1.2) ` +
            `${target <= 1.2 ? 'ok' : 'OVER TARGET'}; to native ${(best.command / best.native).toFixed(1)}`);

function size(folder) {
    return fs.readdirSync(folder, {withFileTypes: true}).reduce((sum, entry) => {
        const at = path.join(folder, entry.name);
        return sum + (entry.isDirectory() ? size(at) : fs.statSync(at).size);
    }, 0);
}

(async () => {
    const {inspect} = require(installed);
    const bytes = files.map((file) => new Uint8Array(fs.readFileSync(file)));
    for (const [what, sources] of [['paths', files], ['bytes', bytes]]) {
        const calls = Math.max(2000, sources.length);
        const begun = process.hrtime.bigint();
        for (let i = 0; i < calls; i++)
            await inspect(sources[i % sources.length]);
        const seconds = Number(process.hrtime.bigint() - begun) / 1e9;
        console.log(`npm library   ${(calls / seconds).toFixed(0)} calls a second on ${what}, in one process`);
    }
    console.log(`npm size      tarball ${fs.statSync(tarball).size} bytes; installed ${size(installed)} bytes`);
})();
