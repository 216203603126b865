// SPDX-License-Identifier: MIT
// The npm package as installed, in one Node.js process: the library over
// every case of cases.txt (its bytes, status, word and summary), given a
// path, a file: URL, a Buffer, a Uint8Array and a Blob, required as CommonJS
// and imported as an ES module, at once and 10,000 times, touching nothing of
// the host's; what it takes and how it refuses; a name of 70,000 bytes; a
// long ID3v2 tag; a FIFO that nothing writes. Then the bundles that esbuild
// makes of it for Node.js, each running the list; and the command on names
// the cases cannot hold, against the native tool, installed and through npx
// and npm exec: a name whose bytes are not UTF-8 beside its U+FFFD
// look-alike, and a closed standard output.
//
//   node npm_test.js --prefix PREFIX --tool ADIFINFO --bitpack BITPACK --cases CASES.json --work DIR
//                    --tarball ADIFINFO.tgz --npm NPM --esbuild ESBUILD
'use strict';
const assert = require('assert');
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const url = require('url');
const docs = require('./docs.js');

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
    const esm = await import(url.pathToFileURL(path.join(modules, 'adifinfo', 'lib', 'node.mjs')).href);

    await row('the library', async () => {
        assert.deepStrictEqual(words.map((w) => [w.word, w.statuses]),
                               [['complete', [0]], ['not ADIF', [1, 0]], ['cut short', [1]], ['unreadable', [2]]]);
        assert.deepStrictEqual(esm.words, words);
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
            let imported;
            try {
                result = await inspect(given.name);
                imported = await esm.inspect(given.name);
            } finally {
                process.chdir(home);
            }
            assert.ok(imported.report.equals(result.report) && imported.status === result.status, 'imported');
            assert.deepStrictEqual(summaryOf(imported), summaryOf(result), 'summary, imported');
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
            // As a file: URL, and as the file's contents in each form taken,
            // the same (the size of a sparse file given apart).
            if (c.input) {
                const sparse = c.how.startsWith('sparse');
                const file = sparse ? given.file : path.resolve(given.dir, given.name);
                const buffer = fs.readFileSync(file);
                const size = sparse ? {size: Number(c.how.split(' ')[1])} : {};
                const ways = [['a Buffer', buffer, size], ['a Uint8Array', new Uint8Array(buffer), size],
                              ['an ArrayBuffer', new Uint8Array(buffer).buffer, size],
                              ['a Blob', new Blob([buffer]), size]];
                if (!sparse)
                    ways.push(['a file: URL', url.pathToFileURL(file), {}]);
                for (const [way, input, options] of ways) {
                    const again = await inspect(input, options);
                    assert.ok(again.report.equals(result.report) && again.status === result.status, way);
                    assert.deepStrictEqual(summaryOf(again), summaryOf(result), `summary from ${way}`);
                }
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

    // What inspect takes, and how it refuses the rest: every refusal a
    // rejection, never a throw.
    const example = path.join(__dirname, '..', 'examples', 'surround-5.1.adif');
    const refusals = [
        ['a number', [42], TypeError, /give a path \(a string, a file: URL, or \{path: bytes\}/],
        ['null', [null], TypeError, /give a path/],
        ['a DataView', [new DataView(new ArrayBuffer(4))], TypeError, /a Uint8Array or a Buffer, an ArrayBuffer, a Blob/],
        ['{path: a string}', [{path: example}], TypeError, /give a path/],
        ['an http: URL', [new URL('http://example.org/a.adif')], TypeError, /only as file:, not http:/],
        ['options a string', [example, 'x'], TypeError, /options are an object/],
        ['a signal that is not one', [example, {signal: 'x'}], TypeError, /options.signal is an AbortSignal/],
        ['a size that is not whole', [example, {size: 1.5}], TypeError, /options.size/],
        ['a signal already aborted', [example, {signal: AbortSignal.abort(new Error('why'))}], 'AbortError', /aborted/],
    ];
    for (const [name, args, kind, message] of refusals) {
        await row(`refused: ${name}`, async () => {
            let promise;
            assert.doesNotThrow(() => { promise = inspect(...args); }, 'a throw, not a rejection');
            const error = await promise.then(() => null, (e) => e);
            assert.ok(error !== null, 'accepted');
            if (kind === 'AbortError') {
                assert.deepStrictEqual([error.name, error.code, error.cause.message], ['AbortError', 'ABORT_ERR', 'why']);
            } else {
                assert.ok(error instanceof kind, `${error.name}: ${error.message}`);
            }
            assert.match(error.message, message);
        });
    }
    await row('taken: null options, and {path: bytes}', async () => {
        assert.strictEqual((await inspect(example, null)).status, 0);
        const name = Buffer.concat([Buffer.from(path.join(work, 'z')), Buffer.from([0xfe]), Buffer.from('.adif')]);
        fs.copyFileSync(example, name);
        const byBytes = await inspect({path: new Uint8Array(name)});
        assert.deepStrictEqual([byBytes.status, byBytes.name.endsWith('z\\xfe.adif')], [0, true]);
        assert.strictEqual((await inspect(name.toString())).status, 2, 'its U+FFFD look-alike is another name');
    });

    // Devices, read as native reads them: one that gives nothing, and one
    // that never ends.
    for (const device of ['/dev/null', '/dev/zero']) {
        await row(`the device ${device}`, async () => {
            const result = await inspect(device);
            const native = childProcess.spawnSync(tool, [device]);
            assert.deepStrictEqual([result.status, result.report.toString('latin1')],
                                   [native.status, native.stdout.toString('latin1')]);
        });
    }

    // A name longer than the module's stack: "cant open", as native.
    await row('a name of 70,000 bytes', async () => {
        const name = 'a'.repeat(70000);
        const result = await inspect(name);
        const native = childProcess.spawnSync(tool, [name]);
        assert.deepStrictEqual([result.status, native.status], [2, 2]);
        assert.ok(result.report.equals(native.stdout), 'report');
        assert.strictEqual(result.word, 'unreadable');
    });

    // An ID3v2 tag of 100 KB, then ADTS: the bytes after the tag are read
    // where they are, by path and from a Blob; from bytes, as given.
    await row('a long ID3v2 tag', async () => {
        const tag = Buffer.concat([Buffer.from('ID3\x03\x00\x00\x00\x06\x00\x00', 'latin1'), Buffer.alloc(98304),
                                   Buffer.from([0xff, 0xf1, 0x50, 0x80, 0x01, 0x7f, 0xfc])]);
        const file = path.join(work, 'tagged.aac');
        fs.writeFileSync(file, tag);
        for (const input of [file, tag, new Blob([tag])]) {
            const result = await inspect(input);
            assert.deepStrictEqual([result.kind, result.afterTag, result.word], ['id3', 'adts', 'not ADIF']);
        }
    });

    // A FIFO that nothing writes: an abort settles the call at once, and
    // frees its descriptor; without a signal, calls wait holding no thread
    // of the pool, and read what a writer then gives, as native.
    await row('a FIFO that nothing writes', async () => {
        const fifo = path.join(work, 'fifo');
        childProcess.execFileSync('mkfifo', [fifo]);
        const descriptors = () => fs.readdirSync('/proc/self/fd').length;
        const open = descriptors();
        const begun = Date.now();
        const error = await inspect(fifo, {signal: AbortSignal.timeout(200)}).then(() => null, (e) => e);
        assert.ok(error && error.name === 'AbortError' && error.cause.name === 'TimeoutError', `${error}`);
        assert.ok(Date.now() - begun < 5000, 'settled late');
        assert.strictEqual(descriptors(), open, 'a descriptor left open');
        // More waiting than the pool has threads, and a file still reads.
        const waiting = Array.from({length: 6}, () => inspect(fifo));
        const read = await Promise.race([fs.promises.readFile(example).then(() => 'read'),
                                         new Promise((resolve) => setTimeout(resolve, 5000, 'no thread free'))]);
        assert.strictEqual(read, 'read');
        // A writer comes: one call reads the file as native does, the rest
        // the end of the FIFO.
        const writer = childProcess.spawn('/bin/sh', ['-c', 'cat "$0" > "$1"', example, fifo]);
        const results = await Promise.all(waiting);
        await new Promise((resolve) => writer.on('exit', resolve));
        const native = childProcess.spawnSync(tool, [example]);
        assert.strictEqual(results.filter((r) => r.status === 0 && r.report.equals(native.stdout)).length, 1, 'read once');
        // A process whose only call is aborted exits by itself.
        const child = childProcess.spawnSync(process.execPath, ['-e', `
            require(${JSON.stringify(path.join(modules, 'adifinfo'))})
                .inspect(${JSON.stringify(fifo)}, {signal: AbortSignal.timeout(100)}).catch((e) => console.log(e.name));`],
            {timeout: 10000, encoding: 'utf8'});
        assert.deepStrictEqual([child.status, child.stdout, child.signal], [0, 'AbortError\n', null], 'did not exit');
    });

    await row('the host untouched', async () => {
        assert.strictEqual(listeners(), baseline, 'listeners');
        assert.deepStrictEqual(process.argv, before.argv, 'arguments');
        assert.strictEqual(process.exitCode, before.exitCode, 'exit status');
        assert.deepStrictEqual(warnings, [], 'warnings');
    });

    // The command, installed and through npx and npm exec from a project
    // that has it (resolved there, never from the registry): by a name's own
    // bytes, never by its look-alike; a closed standard output. The same
    // bytes and status as the native tool, but for a name whose bytes hold
    // U+FFFD, which the command refuses as a name it cannot open.
    const names = path.join(work, 'names');
    fs.mkdirSync(names);
    const project = path.join(work, 'project');
    fs.mkdirSync(project);
    const quiet = {...process.env, npm_config_update_notifier: 'false', npm_config_fund: 'false',
                   npm_config_audit: 'false', npm_config_offline: 'true', npm_config_cache: path.join(work, 'cache')};
    childProcess.execFileSync(options.npm, ['install', '--no-save', options.tarball], {cwd: project, env: quiet, stdio: 'ignore'});
    // Node.js hands a child its words as text: the shell's printf makes the
    // byte that is not UTF-8 (\377) in the name itself.
    const bad = Buffer.concat([Buffer.from(names + '/y'), Buffer.from([0xff]), Buffer.from('.aac')]);
    const badWord = '"$(printf "%s/y\\377.aac" "$1")"';
    const alike = path.join(names, 'y\ufffd.aac');
    fs.writeFileSync(alike, 'not ADIF');
    const refused = Buffer.from(`cant open ${alike}\n`);
    const launchers = [['installed', `"$0"`, command], ['npx', `"$0" --no adifinfo`, 'npx'],
                       ['npm exec', `"$0" exec --no -- adifinfo`, options.npm]];
    const runs = [
        // name, the word as the shell makes it, redirection, $1, what the command gives (native: as the
        // native tool; else the bytes it prints, status 2), and what to do first
        ['a name not UTF-8, missing, beside its look-alike', badWord, '', names, {installed: 'native', else: refused}],
        ['a name not UTF-8', badWord, '', names, {installed: 'native', else: refused}, () => fs.copyFileSync(example, bad)],
        ['the look-alike', '"$1"', '', alike, {else: refused}],
        ['a closed standard output', '"$1"', '>&-', example, {else: 'native'}],
        ['a name of 70,000 bytes', '"$1"', '', 'a'.repeat(70000), {else: 'native'}],
    ];
    for (const [name, word, redirect, argument, expected, first] of runs) {
        if (first)
            first();
        const run = (program, line) => {
            const done = childProcess.spawnSync('/bin/sh', ['-c', `${line} ${word} ${redirect}`, program, argument],
                                                {cwd: project, env: quiet});
            return {status: done.status, out: done.stdout, err: done.stderr};
        };
        const native = run(tool, '"$0"');
        for (const [launcher, line, program] of launchers) {
            await row(`${name}, ${launcher}`, async () => {
                const got = run(program, line);
                const wanted = expected[launcher] || expected.else;
                const want = wanted === 'native' ? native : {status: 2, out: wanted};
                assert.strictEqual(got.status, want.status, `status ${got.status}, native ${native.status}`);
                assert.ok(got.out.equals(want.out), `output ${got.out.toString('latin1')}, wanted ${want.out.toString('latin1')}`);
                assert.strictEqual(got.err.length, 0, `standard error ${got.err}`);
            });
        }
    }

    // The library as a bundler takes it for Node.js, as CommonJS and as an
    // ES module: a program of one file that needs nothing beside it, run on
    // every case that is a file, each as a path and as a Buffer.
    const files = all.filter((c) => c.input && !c.how).map((c) => ({...c, path: prepare({...c, name: c.name + '-bundled'}).name}));
    const list = path.join(work, 'bundled.json');
    fs.writeFileSync(list, JSON.stringify(files.map((c) => c.path)));
    const bundles = path.join(project, 'bundles');
    fs.mkdirSync(bundles);
    fs.writeFileSync(path.join(bundles, 'app.mjs'), `import {inspect} from 'adifinfo';
import fs from 'node:fs';
async function main() {
    const seen = [];
    for (const file of JSON.parse(fs.readFileSync(process.argv[2], 'utf8')))
        for (const input of [file, fs.readFileSync(file)]) {
            const r = await inspect(input);
            seen.push([r.status, r.word, Buffer.from(r.report).toString('base64')]);
        }
    console.log(JSON.stringify(seen));
}
main();
`);
    for (const format of ['cjs', 'esm']) {
        await row(`bundled for Node.js as ${format}`, async () => {
            const out = path.join(work, `app.${format === 'cjs' ? 'cjs' : 'mjs'}`);
            childProcess.execFileSync(options.esbuild, ['app.mjs', '--bundle', '--platform=node', `--format=${format}`,
                                                        `--outfile=${out}`, '--log-level=warning'], {cwd: bundles});
            const seen = JSON.parse(childProcess.execFileSync(process.execPath, [out, list], {cwd: work, encoding: 'utf8'}));
            const wanted = files.flatMap((c) => {
                const one = [c.status, c.word, fs.readFileSync(c.report).toString('base64')];
                return [one, one];
            });
            assert.deepStrictEqual(seen, wanted);
        });
    }

    // The package's README: its sessions with the command, its scripts
    // with the library, each as the README shows it.
    const readme = path.join(modules, 'adifinfo', 'README.md');
    await row('the README', async () => {
        const found = docs.examples(fs.readFileSync(readme, 'utf8'));
        assert.deepStrictEqual(found.unmarked, [], 'sh blocks neither run nor marked');
        const folder = path.join(project, 'readme');
        fs.mkdirSync(folder);
        fs.copyFileSync(example, path.join(folder, path.basename(example)));
        assert.deepStrictEqual(docs.runSessions('README.md', found.sessions, folder, command), []);
        const checks = found.scripts.reduce((sum, script) => sum + docs.runScript('README.md', script, folder), 0);
        assert.ok(found.sessions.length >= 3 && found.scripts.length >= 2 && checks >= 10,
                  `${found.sessions.length} sessions, ${found.scripts.length} scripts, ${checks} checks`);
    });

    // The types, as TypeScript's strict mode takes them, on their own (no
    // Node.js types, no browser's) and beside a browser's; the examples in
    // the package's README that need no more than its types among them (not
    // those that use Node.js's own modules).
    await row('the types', async () => {
        if (!options.tsc)
            throw new Error('no tsc to check the types with (Debian: node-typescript)');
        const types = path.join(project, 'types');
        fs.mkdirSync(types);
        const files = ['use.mts', 'dom.mts'];
        for (const file of files)
            fs.copyFileSync(path.join(__dirname, 'types', file), path.join(types, file));
        const own = docs.examples(fs.readFileSync(readme, 'utf8')).scripts.filter((script) => !/['"]node:/.test(script.source));
        assert.ok(own.length >= 2, 'the README\'s examples to check');
        own.forEach((script, i) => {
            const file = `readme-${i}.${script.commonjs ? 'cjs' : 'mjs'}`;
            fs.writeFileSync(path.join(types, file), script.source);
            files.push(file);
        });
        const config = (lib, only) => JSON.stringify({
            compilerOptions: {strict: true, noEmit: true, module: 'node16', moduleResolution: 'node16', target: 'es2020',
                              lib, types: [], allowJs: true, checkJs: true},
            files: only,
        });
        for (const [lib, only] of [[['es2020'], files.filter((f) => f !== 'dom.mts')], [['es2020', 'dom'], files]]) {
            fs.writeFileSync(path.join(types, 'tsconfig.json'), config(lib, only));
            const done = childProcess.spawnSync(options.tsc, ['-p', types], {encoding: 'utf8'});
            assert.strictEqual(done.status, 0, `tsc with lib ${lib}:\n${done.stdout}${done.stderr}`);
        }
    });

    console.log(failures ? `${failures} failed` : 'all passed');
    process.exitCode = failures ? 1 : 0;
}

main();
