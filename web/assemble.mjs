// SPDX-License-Identifier: MIT
// Makes the page and the npm package's folder from the module emscripten
// built:
//
//   node assemble.mjs --version V --module adifinfo.js --source DIR
//                     --page adifinfo-V.html --package FOLDER
//                     --esbuild ESBUILD --work FOLDER
//
// Of what emscripten made, only the WebAssembly code beside its script,
// adifinfo.wasm, is taken: host.js is its host. It must ask for what host.js
// answers, and nothing else (checked). From the module itself come the four
// words, the kinds and how much of a file is read (words.js, and the
// types). The scripts are ES modules that import what they use; the code
// goes into one more, wasm.js, as base64. In the work folder, esbuild
// bundles them:
//
//   the page        page/page.js and all it imports, one script inside the
//                   page, with page.css, under a Content-Security-Policy that
//                   allows exactly that script and style (by their hashes)
//                   and WebAssembly, and nothing from anywhere; its wasm.js
//                   holds the module as it is
//   the package     its entries thin, what they share once for each way of
//                   loading a module, and the module once (lib/wasm.js,
//                   deflated), each script minified (the tarball is small):
//
//     lib/core.js, lib/core.cjs        the host, the reader, the library
//     lib/node.js, lib/node.cjs        the library on Node.js (paths)
//     lib/browser.js, lib/browser.cjs  the library in a browser (contents);
//                                      the CommonJS one for Jest's jsdom
//     lib/bytes.js, lib/bytes.cjs      the module's code, from lib/wasm.js
//     lib/*.d.ts, lib/*.d.cts          the types of each, for each
//     bin/adifinfo.js                  the command
//
// The same input gives the same bytes.
import childProcess from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';
import zlib from 'node:zlib';

function options(words) {
    const result = {};
    for (let i = 0; i < words.length; i += 2) {
        if (!words[i].startsWith('--') || i + 1 >= words.length)
            throw new Error('usage: node assemble.mjs --version V --module M --source DIR --page P --package DIR ' +
                            '--esbuild ESBUILD --work DIR');
        result[words[i].slice(2)] = words[i + 1];
    }
    for (const name of ['version', 'module', 'source', 'page', 'package', 'esbuild', 'work'])
        if (!(name in result))
            throw new Error(`--${name} is missing`);
    return result;
}

const escapes = {'&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;'};
function html(text) {
    return text.replace(/[&<>"]/g, (c) => escapes[c]);
}

// The README's table of the report's lines, as HTML: one table, one page of
// truth. The table is the one whose head names the columns "line" and
// "meaning", however the Markdown is spaced or aligned; Markdown's `code`
// becomes <code>.
function reportTable(readme) {
    const cells = (line) => line.trim().replace(/^\|/, '').replace(/\|$/, '').split('|').map((cell) => cell.trim());
    const lines = readme.split(/\r?\n/);
    const start = lines.findIndex((line, i) => line.trim().startsWith('|') &&
        cells(line).map((cell) => cell.toLowerCase()).join('|') === 'line|meaning' &&
        /^\s*\|?\s*:?-+:?\s*\|\s*:?-+:?\s*\|?\s*$/.test(lines[i + 1] || ''));
    if (start < 0)
        throw new Error('README.md has no table with the columns "line" and "meaning"');
    const inline = (text) =>
        html(text).replace(/`([^`]*)`/g, (match, code) => `<code>${code}</code>`);
    let rows = '';
    for (let i = start + 2; i < lines.length && lines[i].trim().startsWith('|'); i++) {
        const [line, meaning] = cells(lines[i]);
        rows += `<tr><th scope="row">${inline(line)}</th><td>${inline(meaning)}</td></tr>\n`;
    }
    const [head1, head2] = cells(lines[start]);
    return `<table>\n<thead><tr><th scope="col">${html(head1)}</th><th scope="col">${html(head2)}</th></tr></thead>\n` +
           `<tbody>\n${rows}</tbody>\n</table>`;
}

// The four words for what a file is, as the module has them.
function statusList(words) {
    const items = words.map(({word, statuses, meaning}) =>
        `<dt>${html(word)}</dt><dd>${html(meaning[0].toUpperCase() + meaning.slice(1))} ` +
        `(the command's exit status ${statuses.join(' or ')}).</dd>`);
    return `<dl>\n${items.join('\n')}\n</dl>`;
}

function sha256(text) {
    return `'sha256-${crypto.createHash('sha256').update(text, 'utf8').digest('base64')}'`;
}

// Fills each @NAME@ of a template; every one must be known.
function fill(template, values) {
    return template.replace(/@([A-Z_]+)@/g, (match, name) => {
        if (!(name in values))
            throw new Error(`no value for ${match}`);
        return values[name];
    });
}

// esbuild: entry, a module of the work folder, bundled in the given format
// for the given platform, the modules named in external left as imports;
// returns the bundle.
function bundle(o, entry, format, platform, {external = [], minify = false} = {}) {
    return childProcess.execFileSync(o.esbuild, [entry, '--bundle', `--format=${format}`, `--platform=${platform}`,
                                                 '--target=es2020', '--log-level=warning', '--charset=utf8',
                                                 ...external.map((name) => `--external:${name}`),
                                                 ...(minify ? ['--minify'] : [])],
                                     {cwd: o.work, encoding: 'utf8', stdio: ['ignore', 'pipe', 'inherit']});
}

// The relative imports of a bundle (of './core.js' and the like), made to
// name the files of one module system ('.cjs' for CommonJS), and to lead
// from the folder the bundle goes to.
function linked(code, ending, folder = './') {
    return code.replace(/(["'])\.\/(core|bytes)\.js\1/g, (match, quote, name) => `${quote}${folder}${name}${ending}${quote}`);
}

async function main() {
    const o = options(process.argv.slice(2));
    const web = path.dirname(fileURLToPath(import.meta.url));
    const read = (file) => fs.readFileSync(file, 'utf8');

    // The modules, as they stand in web/, and the code beside them.
    fs.rmSync(o.work, {recursive: true, force: true});
    for (const folder of ['npm', 'page'])
        fs.mkdirSync(path.join(o.work, folder), {recursive: true});
    for (const file of ['host.js', 'reader.js', 'report.js', 'bytes.js', 'page/page.js', 'page/table.js',
                        'npm/library.js', 'npm/core.js', 'npm/node.js', 'npm/browser.js', 'npm/command.js'])
        fs.copyFileSync(path.join(web, file), path.join(o.work, file));
    // ES modules, as Node.js 18 takes a .js file only where package.json says so.
    fs.writeFileSync(path.join(o.work, 'package.json'), '{"type": "module"}\n');
    const wasm = fs.readFileSync(o.module.replace(/\.js$/, '.wasm'));
    const wasmModule = (bytes) => '// The tool\'s WebAssembly module, as base64: made by web/assemble.mjs.\n' +
                                  `export const ADIFINFO_WASM = '${bytes.toString('base64')}';\n`;
    fs.writeFileSync(path.join(o.work, 'wasm.js'), wasmModule(wasm));
    fs.writeFileSync(path.join(o.work, 'words.js'), '// Made by web/assemble.mjs from the module.\n' +
                     'export const ADIFINFO_WORDS = [];\n');
    const {ADIFINFO_IMPORTS, startAdifinfo} = await import(pathToFileURL(path.join(o.work, 'host.js')).href);

    const compiled = new WebAssembly.Module(wasm);
    const asked = WebAssembly.Module.imports(compiled).map((i) => `${i.module}.${i.name}`).sort();
    const answered = Object.entries(ADIFINFO_IMPORTS).flatMap(([from, names]) => names.map((name) => `${from}.${name}`)).sort();
    if (asked.join() !== answered.join())
        throw new Error(`the module asks for ${asked.join(', ')}; host.js answers ${answered.join(', ')}`);
    const told = startAdifinfo(compiled).words();
    fs.writeFileSync(path.join(o.work, 'words.js'),
                     '// The four words for what a file is, each with the exit statuses it goes with and what\n' +
                     '// it means: the module\'s (src/words.cpp), written here by web/assemble.mjs.\n' +
                     `export const ADIFINFO_WORDS = ${JSON.stringify(told.words, null, 1)};\n`);

    // The page. A script or style element's text is hashed as it stands
    // between its tags; </script> cannot occur in the script (checked).
    const script = `\n${bundle(o, 'page/page.js', 'iife', 'browser')}`;
    if (/<\/script/i.test(script))
        throw new Error('the script holds </script>');
    const style = `\n${read(path.join(web, 'page', 'page.css'))}`;
    const policy = [
        "default-src 'none'",
        `script-src ${sha256(script)} 'wasm-unsafe-eval'`,
        `style-src ${sha256(style)}`,
        "img-src 'none'",
        "base-uri 'none'",
        "form-action 'none'",
    ].join('; ');
    const page = fill(read(path.join(web, 'page', 'page.html')), {
        VERSION: html(o.version),
        POLICY: html(policy),
        STYLE: style,
        SCRIPTS: `<script>${script}</script>`,
        REPORT_TABLE: reportTable(read(path.join(o.source, 'README.md'))),
        STATUS_LIST: statusList(told.words),
    });
    fs.writeFileSync(o.page, page);

    // The npm package's folder, for npm pack: the module once, deflated.
    const npm = path.join(web, 'npm');
    const out = (...names) => path.join(o.package, ...names);
    fs.mkdirSync(out('bin'), {recursive: true});
    fs.mkdirSync(out('lib'), {recursive: true});
    const values = {
        VERSION: o.version,
        START_SPAN: told.startSpan.toLocaleString('en'),
        NEXT_SPAN: String(told.nextSpan),
        WORD_TYPE: told.words.map((w) => `'${w.word}'`).join(' | '),
        KIND_TYPE: told.kinds.map((kind) => `'${kind}'`).join(' | '),
    };
    fs.writeFileSync(out('package.json'), fill(read(path.join(npm, 'package.json')), values));
    fs.writeFileSync(out('README.md'), fill(read(path.join(npm, 'README.md')), values));
    fs.copyFileSync(path.join(o.source, 'LICENSE'), out('LICENSE'));
    fs.writeFileSync(out('lib', 'wasm.js'), wasmModule(zlib.deflateSync(wasm, {level: 9})));
    fs.writeFileSync(out('lib', 'core.js'), bundle(o, 'npm/core.js', 'esm', 'neutral', {minify: true}));
    fs.writeFileSync(out('lib', 'core.cjs'), bundle(o, 'npm/core.js', 'cjs', 'neutral', {minify: true}));
    fs.writeFileSync(out('lib', 'bytes.js'), bundle(o, 'bytes.js', 'esm', 'neutral', {external: ['./wasm.js'], minify: true}));
    fs.copyFileSync(path.join(npm, 'bytes.cjs'), out('lib', 'bytes.cjs'));
    for (const [entry, platform] of [['node', 'node'], ['browser', 'neutral']]) {
        const shared = {external: ['./core.js', './bytes.js'], minify: true};
        fs.writeFileSync(out('lib', `${entry}.js`), linked(bundle(o, `npm/${entry}.js`, 'esm', platform, shared), '.js'));
        fs.writeFileSync(out('lib', `${entry}.cjs`), linked(bundle(o, `npm/${entry}.js`, 'cjs', platform, shared), '.cjs'));
        const types = fill(read(path.join(npm, `${entry}.d.ts`)), values);
        fs.writeFileSync(out('lib', `${entry}.d.ts`), types);
        fs.writeFileSync(out('lib', `${entry}.d.cts`), types);
    }
    fs.writeFileSync(out('lib', 'types.d.cts'), fill(read(path.join(npm, 'types.d.cts')), values));
    const command = out('bin', 'adifinfo.js');
    fs.writeFileSync(command, linked(bundle(o, 'npm/command.js', 'esm', 'node',
                                            {external: ['./core.js', './bytes.js'], minify: true}), '.js', '../lib/'));
    fs.chmodSync(command, 0o755);
}

main().catch((error) => {
    process.stderr.write(`assemble.mjs: ${error.message}\n`);
    process.exitCode = 1;
});
