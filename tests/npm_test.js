// SPDX-License-Identifier: MIT
// The npm package as installed, in one Node.js process: the library over
// every case of cases.txt (its bytes, status and summary, as the list says
// them: expected.js), given a path and as its contents in every form taken,
// required as CommonJS and imported as an ES module; its result's fields
// against its types; what it takes and how it refuses; the reason of every
// failure; devices, a name of 70,000 bytes, a FIFO that nothing writes; the
// host left untouched. Then the bundles that esbuild makes of it for
// Node.js; the command on what the cases cannot hold, against the native
// tool, installed and through npx; the package's README and
// types.
//
//   node npm_test.js --prefix PREFIX --tool ADIFINFO --bitpack BITPACK --cases CASES.json --work DIR
//                    --tarball ADIFINFO.tgz --npm NPM --esbuild ESBUILD --tsc TSC
'use strict';
const assert = require('assert');
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const stream = require('stream');
const url = require('url');
const vm = require('vm');
const docs = require('./docs.js');
const expected = require('./expected.js');

const options = {};
for (let i = 2; i < process.argv.length; i += 2)
    options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const work = path.resolve(options.work);
const modules = path.resolve(options.prefix, 'lib', 'node_modules');
const installed = path.join(modules, 'adifinfo');
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

const list = JSON.parse(fs.readFileSync(options.cases, 'utf8'));

// The file a case gives the tool, and the name to give it by, made in the
// case's own folder, which is also where a name that nothing has is looked
// for. A description is packed once.
const packed = new Map();
function prepare(c, suffix = '') {
    const dir = path.join(work, c.name + suffix);
    fs.mkdirSync(dir);
    let file = c.input;
    if (file && file.endsWith('.bits')) {
        file = path.join(dir, c.name + '.adif');
        if (!packed.has(c.name)) {
            childProcess.execFileSync(bitpack, [c.input, file]);
            packed.set(c.name, file);
        } else {
            fs.copyFileSync(packed.get(c.name), file);
        }
    }
    const [, way, rest] = /^(\S*) ?(.*)$/.exec(c.how);
    if (way === 'as' || way === 'sparse') {
        const copy = path.join(dir, way === 'as' ? rest : c.name + '.adif');
        fs.copyFileSync(file, copy);
        if (way === 'sparse')
            fs.truncateSync(copy, Number(rest));
        return {dir, name: path.relative(dir, copy), file, size: way === 'sparse' ? Number(rest) : undefined};
    }
    if (way === 'missing')
        return {dir, name: rest};
    if (way === 'terminal')
        return {dir, name: rest.split(' shows ')[0], shows: rest.split(' shows ')[1]};
    return {dir, name: file, file};
}

// The fields of an interface of the package's types, by name.
function fieldsOf(types, name) {
    const body = new RegExp(`export interface ${name} (?:extends \\w+ )?\\{([\\s\\S]*?)\\n\\}`).exec(types);
    assert.ok(body, `no interface ${name} in the types`);
    return [...body[1].matchAll(/^\s{4}(?:readonly )?(\w+)\??:/gm)].map((m) => m[1]).sort();
}

const listeners = () => ['uncaughtException', 'unhandledRejection', 'warning', 'exit']
    .map((event) => process.listenerCount(event)).join();

// A web ReadableStream, and a Node.js Readable, of bytes in chunks of 1,000.
function webStream(bytes) {
    let at = 0;
    return new ReadableStream({
        pull(controller) {
            if (at >= bytes.length)
                return controller.close();
            controller.enqueue(bytes.slice(at, at + 1000));
            at += 1000;
        },
    });
}
const readable = (bytes) => stream.Readable.from((function* () {
    for (let at = 0; at < bytes.length; at += 1000)
        yield bytes.subarray(at, at + 1000);
})());

async function main() {
    const before = {argv: process.argv.slice(), exitCode: process.exitCode};
    const warnings = [];
    process.on('warning', (warning) => warnings.push(warning.message));
    const baseline = listeners();
    const {inspect, words} = require(installed);
    const esm = await import(url.pathToFileURL(path.join(installed, 'lib', 'node.js')).href);
    const types = fs.readFileSync(path.join(installed, 'lib', 'types.d.cts'), 'utf8');

    await row('the words', async () => {
        assert.deepStrictEqual(words.map((w) => ({...w, statuses: [...w.statuses]})), list.words);
        assert.deepStrictEqual(esm.words, words);
        assert.ok(Object.isFrozen(words) && Object.isFrozen(words[0]) && Object.isFrozen(words[0].statuses));
    });

    // Every case through the library, by path (the names that nothing has
    // looked for in the case's folder, as the command does) and as a Buffer;
    // and a case of each way a file can be read (short, empty, text, long,
    // a tag past the start and one that ends at it, sparse, an encoder's
    // file) as its contents in every form taken (the size of a sparse file
    // given apart): each the same.
    const everyForm = new Set(['golden.worked-example', 'golden.bad-id-empty', 'kind.radio-log-adif', 'kind.text',
                               'golden.comment-controls', 'kind.id3-long-adts', 'kind.id3-at-span-adts', 'large-file',
                               'corpus.surround-7.1-lc-96k-cbr', 'name.greek']);
    const home = process.cwd();
    for (const c of list.cases) {
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
            const report = c.report ? fs.readFileSync(c.report) : Buffer.from(`cant open ${given.name}\n`);
            if (given.shows === undefined)
                assert.ok(result.report.equals(report), `report ${JSON.stringify(result.report.toString('latin1'))}`);
            else
                assert.strictEqual(result.shown, `cant open ${given.shows}\n`);
            expected.check(result, c);
            const {report: bytes, error, ...summary} = result;
            assert.ok(Buffer.isBuffer(bytes), 'the report a Buffer');
            assert.strictEqual(error === null, c.status !== 2, `error ${error}`);
            const {report: importedBytes, error: importedError, ...importedSummary} = imported;
            assert.ok(importedBytes.equals(bytes), 'imported');
            assert.deepStrictEqual(importedSummary, summary, 'imported');
            if (!c.input)
                return;
            const file = given.size !== undefined ? given.file : path.resolve(given.dir, given.name);
            const buffer = fs.readFileSync(file);
            const size = given.size !== undefined ? {size: given.size} : {};
            const wholeSize = {size: given.size !== undefined ? given.size : buffer.length};
            const other = vm.runInNewContext('(bytes) => Uint8Array.from(bytes)')(buffer);
            const ways = [['a Buffer', buffer, size]];
            if (everyForm.has(c.name))
                ways.push(['a Uint8Array', new Uint8Array(buffer), size],
                          ['an ArrayBuffer', new Uint8Array(buffer).buffer, size],
                          ['a DataView', new DataView(new Uint8Array(buffer).buffer), size],
                          ['bytes of another realm', other, size], ['a Blob', new Blob([buffer]), size],
                          // jsdom's Blob has its size and its slices, no more.
                          ['a Blob-like object', {size: buffer.length, slice: (from, to) => new Blob([buffer.subarray(from, to)])},
                           size],
                          ['a web ReadableStream', webStream(buffer), wholeSize],
                          ['a Node.js Readable', readable(buffer), wholeSize],
                          ['a Response', new Response(buffer), wholeSize]);
            if (given.size === undefined && everyForm.has(c.name))
                ways.push(['a file: URL', url.pathToFileURL(file), {}]);
            const {name: pathName, ...unnamed} = summary;
            for (const [way, input, options] of ways) {
                const again = await inspect(input, options);
                assert.ok(again.report.equals(bytes), `${way}: report`);
                const {report: ignored, error: none, name, ...same} = again;
                assert.strictEqual(none, null, `${way}: error`);
                assert.strictEqual(name, way === 'a file: URL' ? file : null, `${way}: name`);
                assert.deepStrictEqual(same, unnamed, `${way}: summary`);
            }
        });
    }

    // One shape from the module to the caller: the result's fields are the
    // types' Result, each program's Program, its words InWords and
    // ProgramInWords.
    await row('the result as its types have it', async () => {
        const result = await inspect(path.join(__dirname, '..', 'examples', 'surround-5.1.adif'));
        assert.deepStrictEqual(Object.keys(result).sort(), fieldsOf(types, 'Result'));
        assert.deepStrictEqual(Object.keys(result.programs[0]).sort(), fieldsOf(types, 'Program'));
        assert.deepStrictEqual(Object.keys(result.inWords).sort(), fieldsOf(types, 'InWords'));
        assert.deepStrictEqual(Object.keys(result.inWords.programs[0]).sort(), fieldsOf(types, 'ProgramInWords'));
        const kinds = /export type Kind = ([^;]*);/.exec(types)[1];
        for (const c of list.cases)
            for (const kind of c.kind.split(' ').filter((k) => k !== '' && k !== 'log'))
                assert.ok(kinds.includes(`'${kind}'`), `the kind ${kind} in the types`);
        const wordsType = /export type Word = ([^;]*);/.exec(types)[1];
        assert.strictEqual(wordsType, list.words.map((w) => `'${w.word}'`).join(' | '));
    });

    // What inspect takes, and how it refuses the rest: every refusal a
    // rejection, never a throw.
    const example = path.join(__dirname, '..', 'examples', 'surround-5.1.adif');
    const refusals = [
        ['a number', [42], TypeError, /give a path \(a string, a file: URL, or \{path: bytes\}/],
        ['null', [null], TypeError, /give a path/],
        ['an object of nothing taken', [{}], TypeError, /a Blob or a File, a ReadableStream, a Response or a Node.js Readable/],
        ['{path: a string}', [{path: example}], TypeError, /give a path/],
        ['an http: URL', [new URL('http://example.org/a.adif')], TypeError, /only as file:, not http:/],
        ['options a string', [example, 'x'], TypeError, /options are an object/],
        ['an option that is not one', [example, {signl: AbortSignal.abort()}], TypeError, /no option "signl"/],
        ['a signal that is not one', [example, {signal: 'x'}], TypeError, /options.signal is an AbortSignal/],
        ['a size that is not whole', [example, {size: 1.5}], TypeError, /options.size/],
        ['a size below 0', [example, {size: -1}], TypeError, /options.size/],
        ['a size below the bytes given', [new Uint8Array(10), {size: 9}], TypeError, /less than the 10 bytes given/],
        ['a size below the Blob', [new Blob([new Uint8Array(10)]), {size: 9}], TypeError, /less than the Blob's 10 bytes/],
        ['a signal already aborted', [example, {signal: AbortSignal.abort(new Error('why'))}], 'AbortError', /aborted/],
    ];
    for (const [name, args, kind, message] of refusals) {
        await row(`refused: ${name}`, async () => {
            let promise;
            assert.doesNotThrow(() => {
                promise = inspect(...args);
            }, 'a throw, not a rejection');
            const error = await promise.then(() => null, (e) => e);
            assert.ok(error !== null, 'accepted');
            if (kind === 'AbortError')
                assert.deepStrictEqual([error.name, error.code, error.cause.message], ['AbortError', 'ABORT_ERR', 'why']);
            else
                assert.ok(error instanceof kind, `${error.name}: ${error.message}`);
            assert.match(error.message, message);
        });
    }
    await row('taken: null options, a size of 0, a size that is the contents\' own, and {path: bytes}', async () => {
        assert.strictEqual((await inspect(example, null)).status, 0);
        const own = fs.readFileSync(example);
        for (const contents of [own, new Blob([own])]) {
            const sized = await inspect(contents, {size: own.length});
            const {report, ...rest} = await inspect(contents);
            assert.ok(sized.report.equals(report));
            assert.deepStrictEqual({...sized, report: undefined}, {...rest, report: undefined});
        }
        const empty = await inspect(new Uint8Array(0), {size: 0});
        assert.deepStrictEqual([empty.kind, empty.status], ['empty', 1]);
        const name = Buffer.concat([Buffer.from(path.join(work, 'z')), Buffer.from([0xfe]), Buffer.from('.adif')]);
        fs.copyFileSync(example, name);
        const byBytes = await inspect({path: new Uint8Array(name)});
        assert.deepStrictEqual([byBytes.status, byBytes.name.endsWith('z\\xfe.adif')], [0, true]);
        assert.strictEqual((await inspect(name.toString())).status, 2, 'its U+FFFD look-alike is another name');
        // Only the start of a file, with its size: the duration from the size.
        const start = fs.readFileSync(path.join(__dirname, 'corpus', 'mono-lc-8k-cbr.aac')).subarray(0, 100);
        const fromStart = await inspect(start, {size: 1776});
        assert.deepStrictEqual([fromStart.word, fromStart.durationSeconds], ['complete', 0.8795]);
        // A stream of unknown size longer than the start: no duration claimed.
        const unsized = await inspect(readable(fs.readFileSync(path.join(__dirname, 'corpus', 'surround-7.1-lc-96k-cbr.aac'))));
        assert.deepStrictEqual([unsized.word, unsized.durationSeconds, unsized.inWords.duration], ['complete', null, 'not given']);
    });

    // No failure swallowed: each with the host's own error.
    const folder = path.join(work, 'a-folder');
    fs.mkdirSync(folder);
    const failing = [
        ['a missing file', path.join(work, 'missing.adif'), {code: 'ENOENT', syscall: 'open', path: path.join(work, 'missing.adif')}],
        ['a folder', folder, {code: 'EISDIR', syscall: 'read', path: folder}],
        ['a name too long', `${work}/${'n'.repeat(300)}`, {code: 'ENAMETOOLONG', syscall: 'open'}],
        ['a Blob whose stream fails', Object.assign(new Blob([new Uint8Array(10000)]), {stream: () => {
            throw new Error('the Blob gave way');
        }}), {message: 'the Blob gave way'}],
        ['a Blob-like object whose bytes fail', {size: 10, slice: () => ({arrayBuffer: () =>
            Promise.reject(new Error('the disk gave way'))})}, {message: 'the disk gave way'}],
        ['a stream that fails', new ReadableStream({pull: (controller) => controller.error(new Error('cut off'))}),
         {message: 'cut off'}],
        ['a Readable that fails', new stream.Readable({read() {
            this.destroy(new Error('the pipe broke'));
        }}), {message: 'the pipe broke'}],
        ['a stream of text', stream.Readable.from(['ADIF text']), {name: 'TypeError'}],
    ];
    for (const [name, input, cause] of failing) {
        await row(`the reason of a failure: ${name}`, async () => {
            const result = await inspect(input);
            assert.deepStrictEqual([result.status, result.word, result.kind], [2, 'unreadable', null]);
            assert.ok(result.error instanceof Error, `error ${result.error}`);
            for (const [key, value] of Object.entries(cause))
                assert.strictEqual(result.error[key], value, key);
        });
    }

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
        assert.deepStrictEqual([result.word, result.name, result.error.code], ['unreadable', name, 'ENAMETOOLONG']);
    });

    // A FIFO that nothing writes: an abort settles the call at once, and
    // frees its descriptor; without a signal, calls wait holding no thread
    // of the pool, and read what a writer then gives, as native.
    await row('a FIFO that nothing writes', async () => {
        const fifo = path.join(work, 'fifo');
        childProcess.execFileSync('mkfifo', [fifo]);
        const descriptors = () => fs.readdirSync('/proc/self/fd').length;
        const open = descriptors();
        const error = await inspect(fifo, {signal: AbortSignal.timeout(200)}).then(() => null, (e) => e);
        assert.ok(error && error.name === 'AbortError' && error.cause.name === 'TimeoutError', `${error}`);
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
            require(${JSON.stringify(installed)})
                .inspect(${JSON.stringify(fifo)}, {signal: AbortSignal.timeout(100)}).catch((e) => console.log(e.name));`],
        {timeout: 10000, encoding: 'utf8'});
        assert.deepStrictEqual([child.status, child.stdout, child.signal], [0, 'AbortError\n', null], 'did not exit');
    });

    // Where the host has no TextDecoder or TextEncoder (jsdom, as Jest runs
    // it): the same result, names and comments in UTF-8 as written.
    await row('a host without TextDecoder and TextEncoder', async () => {
        const c = list.cases.find((k) => k.name === 'golden.comment-as-written');
        const file = path.join(prepare(c, '-coders').dir, 'Café Ωμέγα.adif');
        fs.copyFileSync(prepare(c, '-coders-again').name, file);
        // The package loaded afresh while the host has neither.
        const coders = {TextDecoder: globalThis.TextDecoder, TextEncoder: globalThis.TextEncoder};
        const lib = path.join(fs.realpathSync(installed), 'lib');
        const fresh = () => fs.readdirSync(lib).forEach((name) => delete require.cache[path.join(lib, name)]);
        let without;
        try {
            delete globalThis.TextDecoder;
            delete globalThis.TextEncoder;
            fresh();
            without = await require(installed).inspect(file);
        } finally {
            Object.assign(globalThis, coders);
            fresh();
        }
        const result = await inspect(file);
        assert.deepStrictEqual(without, result);
        assert.ok(result.name.endsWith('Café Ωμέγα.adif') && result.inWords.programs[1].comment.endsWith('café'));
    });

    await row('many at once', async () => {
        const files = list.cases.filter((c) => c.input && !c.how).map((c) => prepare(c, '-again').name);
        const once = await Promise.all(files.map((p) => inspect(p)));
        const again = await Promise.all(files.map((p) => inspect(fs.readFileSync(p))));
        once.forEach((result, i) => assert.ok(result.report.equals(again[i].report) &&
                                              result.inWords.about === again[i].inWords.about, files[i]));
    });

    await row('the host untouched', async () => {
        assert.strictEqual(listeners(), baseline, 'listeners');
        assert.deepStrictEqual(process.argv, before.argv, 'arguments');
        assert.strictEqual(process.exitCode, before.exitCode, 'exit status');
        assert.deepStrictEqual(warnings, [], 'warnings');
    });

    // The command, installed, on what the cases cannot hold; through npx
    // from a project that has it (resolved there, never from the registry),
    // on the name that a launcher hands over decoded (npx is npm exec).
    // The same bytes and status as the native tool, but for a name whose
    // bytes hold U+FFFD, which the command refuses as a name it cannot open.
    const names = path.join(work, 'names');
    fs.mkdirSync(names);
    const project = path.join(work, 'project');
    fs.mkdirSync(project);
    const quiet = {...process.env, npm_config_update_notifier: 'false', npm_config_fund: 'false',
                   npm_config_audit: 'false', npm_config_offline: 'true', npm_config_cache: path.join(work, 'cache')};
    // The project has the package as npm installed it (npm.install), as its
    // own: npx finds its command there.
    fs.mkdirSync(path.join(project, 'node_modules', '.bin'), {recursive: true});
    fs.symlinkSync(installed, path.join(project, 'node_modules', 'adifinfo'));
    fs.symlinkSync(path.join('..', 'adifinfo', 'bin', 'adifinfo.js'), path.join(project, 'node_modules', '.bin', 'adifinfo'));
    // Node.js hands a child its words as text: the shell's printf makes the
    // byte that is not UTF-8 (\377) in the name itself.
    const bad = Buffer.concat([Buffer.from(names + '/y'), Buffer.from([0xff]), Buffer.from('.aac')]);
    const badWord = '"$(printf "%s/y\\377.aac" "$1")"';
    const alike = path.join(names, 'y\ufffd.aac');
    fs.writeFileSync(alike, 'not ADIF');
    const refused = Buffer.from(`cant open ${alike}\n`);
    const runs = [
        // name, launchers, the word as the shell makes it, redirection, $1, what the command gives (native:
        // as the native tool; else the bytes it prints, status 2), and what to do first
        ['a name not UTF-8, missing, beside its look-alike', ['installed'], badWord, '', names, 'native'],
        ['a name not UTF-8', ['installed'], badWord, '', names, 'native', () => fs.copyFileSync(example, bad)],
        ['a name not UTF-8, through a launcher', ['npx'], badWord, '', names, refused],
        ['the look-alike', ['installed'], '"$1"', '', alike, refused],
        ['a closed standard output', ['installed'], '"$1"', '>&-', example, 'native'],
        ['standard output to /dev/null', ['installed'], '"$1"', '>/dev/null', example, 'native'],
        ['a name of 70,000 bytes', ['installed'], '"$1"', '', 'a'.repeat(70000), 'native'],
    ];
    const launchers = {installed: [`"$0"`, command], npx: [`"$0" --no adifinfo`, 'npx']};
    for (const [name, through, word, redirect, argument, wanted, first] of runs) {
        if (first)
            first();
        const run = (program, line) => {
            const done = childProcess.spawnSync('/bin/sh', ['-c', `${line} ${word} ${redirect}`, program, argument],
                                                {cwd: project, env: quiet});
            return {status: done.status, out: done.stdout, err: done.stderr};
        };
        const native = run(tool, '"$0"');
        for (const launcher of through) {
            await row(`${name}, ${launcher}`, async () => {
                const got = run(launchers[launcher][1], launchers[launcher][0]);
                const want = wanted === 'native' ? native : {status: 2, out: wanted};
                assert.strictEqual(got.status, want.status, `status ${got.status}, native ${native.status}`);
                assert.ok(got.out.equals(want.out), `output ${got.out.toString('latin1')}, wanted ${want.out.toString('latin1')}`);
                assert.strictEqual(got.err.length, 0, `standard error ${got.err}`);
            });
        }
    }

    // The library as a bundler takes it for Node.js, as CommonJS and as an
    // ES module: a program of one file that needs nothing beside it, run on
    // the cases that are files, each as a path and as a Buffer.
    const files = list.cases.filter((c) => c.input && !c.how).map((c) => ({...c, path: prepare(c, '-bundled').name}));
    const paths = path.join(work, 'bundled.json');
    fs.writeFileSync(paths, JSON.stringify(files.map((c) => c.path)));
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
                                                        '--target=node18', `--outfile=${out}`, '--log-level=warning'],
                                      {cwd: bundles});
            const seen = JSON.parse(childProcess.execFileSync(process.execPath, [out, paths], {cwd: work, encoding: 'utf8'}));
            const wanted = files.flatMap((c) => {
                const one = [c.status, c.word, fs.readFileSync(c.report).toString('base64')];
                return [one, one];
            });
            assert.deepStrictEqual(seen, wanted);
        });
    }

    // The package's README: its sessions with the command, its scripts
    // with the library, each as the README shows it.
    const readme = path.join(installed, 'README.md');
    await row('the README', async () => {
        const found = docs.examples(fs.readFileSync(readme, 'utf8'));
        assert.deepStrictEqual(found.unmarked, [], 'sh blocks neither run nor marked');
        const where = path.join(project, 'readme');
        fs.mkdirSync(where);
        fs.copyFileSync(example, path.join(where, path.basename(example)));
        assert.deepStrictEqual(docs.runSessions('README.md', found.sessions, where, command), []);
        const checks = found.scripts.reduce((sum, script) => sum + docs.runScript('README.md', script, where), 0);
        assert.ok(found.sessions.length >= 3 && found.scripts.length >= 2 && checks >= 10,
                  `${found.sessions.length} sessions, ${found.scripts.length} scripts, ${checks} checks`);
    });

    // The types, as TypeScript's strict mode takes them, on their own (no
    // Node.js types, no browser's) and beside a browser's, for Node.js and
    // for a bundler; the examples in the package's README that need no more
    // than its types among them (not those that use Node.js's own modules).
    await row('the types', async () => {
        if (!options.tsc)
            throw new Error('no tsc to check the types with (Debian: node-typescript)');
        const folder = path.join(project, 'types');
        fs.mkdirSync(folder);
        const own = ['node.mts', 'dom.mts', 'browser.mts'];
        for (const file of own)
            fs.copyFileSync(path.join(__dirname, 'types', file), path.join(folder, file));
        const scripts = docs.examples(fs.readFileSync(readme, 'utf8')).scripts.filter((s) => !/['"]node:/.test(s.source));
        assert.ok(scripts.length >= 2, 'the README\'s examples to check');
        const readmes = scripts.map((script, i) => {
            const file = `readme-${i}.${script.commonjs ? 'cjs' : 'mjs'}`;
            fs.writeFileSync(path.join(folder, file), script.source);
            return file;
        });
        // The browser's types as a bundler takes them (the package's exports
        // without the node condition: TypeScript 5's "bundler"), by a name of
        // their own that TypeScript of any version maps to them.
        const browserTypes = path.join(project, 'node_modules', 'adifinfo', 'lib', 'browser.d.ts');
        const config = (lib, only) => JSON.stringify({
            compilerOptions: {strict: true, noEmit: true, module: 'node16', moduleResolution: 'node16',
                              target: 'es2020', lib, types: [], allowJs: true, checkJs: true,
                              paths: {'adifinfo-browser': [browserTypes]}},
            files: only,
        });
        // One TypeScript for both checks, which parses each file once: it
        // takes longer to start and to parse than to check.
        const ts = require(path.join(path.dirname(fs.realpathSync(options.tsc)), '..', 'lib', 'typescript.js'));
        const parsedFiles = new Map();
        for (const lib of [['es2020'], ['es2020', 'dom']]) {
            const only = ['node.mts', 'browser.mts', ...(lib.includes('dom') ? ['dom.mts'] : []), ...readmes];
            fs.writeFileSync(path.join(folder, 'tsconfig.json'), config(lib, only));
            const parsed = ts.getParsedCommandLineOfConfigFile(path.join(folder, 'tsconfig.json'), {},
                                                               {...ts.sys, onUnRecoverableConfigFileDiagnostic: () => {}});
            const host = ts.createCompilerHost(parsed.options);
            const getSourceFile = host.getSourceFile;
            host.getSourceFile = (name, ...rest) => {
                const key = `${name} ${rest[0] && rest[0].impliedNodeFormat}`;
                if (!parsedFiles.has(key))
                    parsedFiles.set(key, getSourceFile.call(host, name, ...rest));
                return parsedFiles.get(key);
            };
            const program = ts.createProgram({rootNames: parsed.fileNames, options: parsed.options, host});
            const found = ts.getPreEmitDiagnostics(program).concat(parsed.errors);
            const text = ts.formatDiagnostics(found, {getCanonicalFileName: (f) => f, getCurrentDirectory: () => folder,
                                                      getNewLine: () => '\n'});
            assert.strictEqual(found.length, 0, `TypeScript, lib ${lib}:\n${text}`);
        }
    });

    console.log(failures ? `${failures} failed` : 'all passed');
    process.exitCode = failures ? 1 : 0;
}

// A run that ends before it says how it went fails: nothing is left
// waiting that could let Node.js exit on its own, but it would exit 0.
process.exitCode = 1;
main();
