// SPDX-License-Identifier: MIT
// The npm package as installed, in one Node.js process: the library over
// every case of cases.txt (its bytes, status, word and summary, as a path
// and as its bytes), called as
// CommonJS and as an ES module, at once and 10,000 times, touching nothing of
// the host's; and the command on names the cases cannot hold, against the
// native tool: a name whose bytes are not UTF-8 beside its U+FFFD look-alike,
// and a closed standard output.
//
//   node npm_test.js --prefix PREFIX --tool ADIFINFO --bitpack BITPACK --cases CASES.json --work DIR
'use strict';
const assert = require('assert');
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');

const options = {};
for (let i = 2; i < process.argv.length; i += 2)
    options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const work = path.resolve(options.work);
const modules = path.resolve(options.prefix, 'lib', 'node_modules');
const tool = path.resolve(options.tool);
const bitpack = path.resolve(options.bitpack);
const command = path.resolve(options.prefix, 'bin', 'adifinfo');
fs.rmSync(work, {recursive: true, force: true});
fs.mkdirSync(work, {recursive: true});

let failures = 0;
async function row(name, check) {
    try {
        await check();
    } catch (error) {
        failures++;
        console.log(`${name}: ${error.message}`);
    }
}

// The list, as tests/cases.cmake wrote it for this build.
function cases() {
    return JSON.parse(fs.readFileSync(options.cases, 'utf8'));
}

// What the library says of a file, as the list writes it: its kind, its
// bitrate and duration in words, and each program's facts.
function summaryOf(result) {
    return {
        kind: result.kind === null ? '' : [result.kind, result.afterTag, result.radioLog ? 'log' : null]
            .filter(Boolean).join(' '),
        bitrate: result.inWords.bitrate || '',
        duration: result.inWords.duration || '',
        programs: result.programs.map((p) => ({
            profile: p.profile, hertz: p.hertz, samplingRateIndex: p.hertz === null ? p.samplingRateIndex : null,
            front: p.front, side: p.side, back: p.back, lfe: p.lfe, layout: p.layout,
            speakers: p.speakers === null ? null : p.speakers.join(' '), comment: p.comment,
        })),
    };
}

// The facts and the words agree: the words are the module's, and the page
// shows them.
function wordsAgree(result) {
    assert.strictEqual(result.inWords.programs.length, result.programs.length, 'a program in words each');
    result.programs.forEach((p, i) => {
        const words = result.inWords.programs[i];
        assert.strictEqual(words.profile, p.profileName, 'profile in words');
        if (p.speakers !== null && p.channels > 0)
            assert.strictEqual(words.speakers, p.speakers.join(' '), 'speakers in words');
    });
    if (result.bitrate !== null) {
        const words = result.inWords.bitrate;
        assert.ok(words.endsWith(result.variableRate ? ', variable' : ', constant'), `rate type in ${words}`);
        assert.ok(result.bitrate === 0 ? words.startsWith('not given') : words.includes(`${result.bitrate / 1000} kb/s`),
                  `bitrate ${result.bitrate} in ${words}`);
    }
    assert.strictEqual(result.durationIsMinimum === null, result.durationSeconds === null, 'a minimum with a duration');
    if (result.durationSeconds !== null)
        assert.strictEqual(result.durationIsMinimum, result.variableRate, 'a variable rate gives the least');
}

// The file a case gives the tool, and the name to give it by, made in the
// case's own folder, which is also where a name that nothing has is looked for.
function prepare(c) {
    const dir = path.join(work, c.name);
    fs.mkdirSync(dir);
    let file = c.input;
    if (file && file.endsWith('.bits')) {
        file = path.join(dir, c.name + '.adif');
        childProcess.execFileSync(bitpack, [c.input, file]);
    }
    const [, way, rest] = /^(\S*) ?(.*)$/.exec(c.how);
    if (way === 'as' || way === 'sparse') {
        const copy = path.join(dir, way === 'as' ? rest : c.name + '.adif');
        fs.copyFileSync(file, copy);
        if (way === 'sparse')
            fs.truncateSync(copy, Number(rest));
        return {dir, name: path.relative(dir, copy), file};
    }
    if (way === 'missing')
        return {dir, name: rest};
    if (way === 'terminal')
        return {dir, name: rest.split(' shows ')[0], shows: rest.split(' shows ')[1]};
    return {dir, name: file};
}

const listeners = () => ['uncaughtException', 'unhandledRejection', 'warning', 'exit']
    .map((event) => process.listenerCount(event)).join();

async function main() {
    const before = {listeners: listeners(), argv: process.argv.slice(), exitCode: process.exitCode};
    const warnings = [];
    process.on('warning', (warning) => warnings.push(warning.message));
    const baseline = listeners();
    const {inspect, words} = require(path.join(modules, 'adifinfo'));
    const esm = await import(new URL('file://' + path.join(modules, 'adifinfo', 'lib', 'index.mjs')).href);

    await row('the library', async () => {
        assert.deepStrictEqual(words.map((w) => [w.word, w.statuses]),
                               [['complete', [0]], ['not ADIF', [1, 0]], ['cut short', [1]], ['unreadable', [2]]]);
        assert.strictEqual(esm.inspect, inspect);
        // The bin file, required, runs nothing.
        require(path.join(modules, 'adifinfo', 'bin', 'adifinfo.js'));
        assert.strictEqual(process.exitCode, before.exitCode);
    });

    // Every case through the library; the names that nothing has looked for
    // in the case's folder, as the command does.
    const home = process.cwd();
    const all = cases();
    for (const c of all) {
        await row(c.name, async () => {
            const given = prepare(c);
            process.chdir(given.dir);
            let result;
            try {
                result = await inspect(given.name);
            } finally {
                process.chdir(home);
            }
            const expected = c.report ? fs.readFileSync(c.report) : Buffer.from(`cant open ${given.name}\n`);
            if (given.shows === undefined)
                assert.ok(result.report.equals(expected), `report ${JSON.stringify(result.report.toString('latin1'))}`);
            else
                assert.strictEqual(result.shown, `cant open ${given.shows}\n`);
            assert.strictEqual(result.status, c.status, 'status');
            assert.strictEqual(result.word, c.word, 'word');
            const {programs, ...file} = summaryOf(result);
            assert.deepStrictEqual(file, {kind: c.kind, bitrate: c.bitrate, duration: c.duration}, 'summary');
            assert.deepStrictEqual(programs, c.programs, 'programs');
            wordsAgree(result);
            // As bytes, the same (the size of a sparse file given apart).
            if (c.input) {
                const bytes = new Uint8Array(fs.readFileSync(c.how.startsWith('sparse') ? given.file : path.resolve(given.dir, given.name)));
                const size = c.how.startsWith('sparse') ? {size: Number(c.how.split(' ')[1])} : {};
                const again = await inspect(bytes, size);
                assert.ok(again.report.equals(result.report) && again.status === result.status, 'as bytes');
                assert.deepStrictEqual(summaryOf(again), summaryOf(result), 'summary as bytes');
            }
        });
    }

    await row('many at once, and 10,000 in turn', async () => {
        const paths = all.filter((c) => c.input && !c.how).map((c) => prepare({...c, name: c.name + '-again'}).name);
        const once = await Promise.all(paths.map((p) => inspect(p)));
        const again = await Promise.all(paths.map((p) => inspect(p)));
        once.forEach((result, i) => assert.ok(result.report.equals(again[i].report), paths[i]));
        // The files' bytes, read once: the calls are what is counted.
        const bytes = paths.map((p) => new Uint8Array(fs.readFileSync(p)));
        const started = process.hrtime.bigint();
        for (let i = 0; i < 10000; i++) {
            const result = await inspect(bytes[i % paths.length]);
            assert.strictEqual(result.status, once[i % paths.length].status);
        }
        const seconds = Number(process.hrtime.bigint() - started) / 1e9;
        console.log(`10,000 calls on bytes in one process: ${(10000 / seconds).toFixed(0)} a second`);
    });

    await row('the host untouched', async () => {
        assert.strictEqual(listeners(), baseline, 'listeners');
        assert.deepStrictEqual(process.argv, before.argv, 'arguments');
        assert.strictEqual(process.exitCode, before.exitCode, 'exit status');
        assert.deepStrictEqual(warnings, [], 'warnings');
    });

    // The command: by a name's own bytes, never by its look-alike; a closed
    // standard output. The same bytes and status as the native tool.
    const example = path.join(__dirname, '..', 'examples', 'surround-5.1.adif');
    const names = path.join(work, 'names');
    fs.mkdirSync(names);
    // Node.js hands a child its words as text: the shell's printf makes the
    // byte that is not UTF-8 (\377) in the name itself.
    const bad = Buffer.concat([Buffer.from(names + '/y'), Buffer.from([0xff]), Buffer.from('.aac')]);
    const badWord = '"$(printf "%s/y\\377.aac" "$1")"';
    const alike = path.join(names, 'y\ufffd.aac');
    fs.writeFileSync(alike, 'not ADIF');
    const runs = [
        ['a name not UTF-8, missing, beside its look-alike', badWord, '', names],
        ['a name not UTF-8', badWord, '', names, () => fs.copyFileSync(example, bad)],
        ['the look-alike', '"$1"', '', alike],
        ['a closed standard output', '"$1"', '>&-', example],
    ];
    for (const [name, word, redirect, argument, first] of runs) {
        await row(name, async () => {
            if (first)
                first();
            const run = (program) => {
                const done = childProcess.spawnSync('/bin/sh', ['-c', `"$0" ${word} ${redirect}`, program, argument]);
                return {status: done.status, out: done.stdout, err: done.stderr};
            };
            const native = run(tool);
            const npm = run(command);
            assert.strictEqual(npm.status, native.status, `status ${npm.status}, native ${native.status}`);
            assert.ok(npm.out.equals(native.out), `output ${npm.out.toString('latin1')}, native ${native.out.toString('latin1')}`);
            assert.strictEqual(npm.err.length, 0, `standard error ${npm.err}`);
        });
    }

    console.log(failures ? `${failures} failed` : 'all passed');
    process.exitCode = failures ? 1 : 0;
}

main();
