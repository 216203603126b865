// SPDX-License-Identifier: MIT
// The npm package's cost, for bench/run.sh:
//   command   each of the files run three ways in turn, paired: Node.js
//             starting and doing nothing (node -e 0, the floor), the command,
//             the native tool; best of three rounds. Target: the command at
//             most 1.2 times node -e 0.
//   library   inspect() on each file's path against fs.promises.readFile of
//             the same files, paired (the two in turn, each round's order
//             the other's reverse), one at a time and 1,000 at once; median
//             of 9 rounds. Target: at most 1.5 times readFile, both ways.
//             And the bytes it reads of a file, against the file's size
//   size      the tarball (target: at most 40,000 bytes), the package as
//             installed, and each file of its lib/ and bin/
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

// Milliseconds that fn's promise takes.
async function took(fn) {
    const begun = process.hrtime.bigint();
    await fn();
    return Number(process.hrtime.bigint() - begun) / 1e6;
}

const median = (values) => values.slice().sort((a, b) => a - b)[values.length >> 1];

(async () => {
    // What the library reads, counted where it reads: fs.read, which its
    // bundle calls through the module object.
    let bytesRead = 0;
    const read = fs.read;
    fs.read = function (fd, buffer, offset, length, position, done) {
        return read.call(fs, fd, buffer, offset, length, position, (error, count, ...rest) => {
            bytesRead += count || 0;
            done(error, count, ...rest);
        });
    };
    const {inspect} = require(installed);
    const list = Array.from({length: 1000}, (_, i) => files[i % files.length]);
    const ways = {
        'one at a time': async (call) => {
            for (const file of list)
                await call(file);
        },
        '1,000 at once': (call) => Promise.all(list.map(call)),
    };
    for (const [way, run] of Object.entries(ways)) {
        const ratios = [];
        for (let round = 0; round < 10; round++) {
            const pair = [() => run((file) => inspect(file)), () => run((file) => fs.promises.readFile(file))];
            const times = [];
            for (const k of round % 2 ? [1, 0] : [0, 1])
                times[k] = await took(pair[k]);
            if (round > 0) // the first round warms both
                ratios.push(times[0] / times[1]);
        }
        const ratio = median(ratios);
        console.log(`npm library   by path, ${way}: ${ratio.toFixed(2)} times fs.promises.readFile (median of ` +
                    `${ratios.length} paired rounds of ${list.length} files; target <= 1.5) ` +
                    `${ratio <= 1.5 ? 'ok' : 'OVER TARGET'}`);
    }
    bytesRead = 0;
    for (const file of files)
        await inspect(file);
    const sizes = files.reduce((sum, file) => sum + fs.statSync(file).size, 0);
    console.log(`npm library   reads ${(bytesRead / files.length).toFixed(0)} bytes a file, of files of ` +
                `${(sizes / files.length).toFixed(0)} bytes on average`);
    fs.read = read;
    const files = [...fs.readdirSync(path.join(installed, 'lib')).map((file) => `lib/${file}`), 'bin/adifinfo.js']
        .map((file) => `${file} ${fs.statSync(path.join(installed, file)).size}`);
    const tarballSize = fs.statSync(tarball).size;
    console.log(`npm size      tarball ${tarballSize} bytes (target <= 40000) ${tarballSize <= 40000 ? 'ok' : 'OVER TARGET'}; ` +
                `installed ${size(installed)} bytes; ${files.join(', ')} bytes`);
})();
