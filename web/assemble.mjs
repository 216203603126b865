// SPDX-License-Identifier: MIT
// Makes the page and the npm package's folder from the module emscripten
// built:
//
//   node assemble.mjs --version V --module adifinfo.js --source DIR
//                     --page adifinfo-V.html --package FOLDER
//                     --esbuild ESBUILD --work FOLDER
//
// Of what emscripten made, only the WebAssembly code beside its script,
// adifinfo.wasm, is taken: run.js is its host. It must ask for what run.js
// answers, and nothing else (checked). The scripts are ES modules that
// import what they use; the code goes into one more, wasm.js, as base64. In
// the work folder, esbuild bundles them:
//
//   the page        page.js and all it imports, one script inside the page,
//                   with page.css, under a Content-Security-Policy that
//                   allows exactly that script and style (by their hashes)
//                   and WebAssembly, and nothing from anywhere
//   lib/node.cjs    the library on Node.js (npm/node.js), for require()
//   lib/node.mjs    the same, for import: an ES module all through, as a
//                   bundler that makes one needs it
//   lib/browser.mjs the library for a browser (npm/browser.js)
//   bin/adifinfo.js the command (npm/command.js)
//
// Each bundle holds the module's code: it needs no file beside it, and a
// bundler takes it whole. The same input gives the same bytes.
import childProcess from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';

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

// The four words for what a file is, as run.js gives them to the page.
function statusList(ADIFINFO_WORDS) {
    const items = ADIFINFO_WORDS.map(({word, statuses, meaning}) =>
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

// esbuild: entry, a module of the work folder, bundled in the given
// format for the given platform; returns the bundle.
function bundle(o, entry, format, platform) {
    return childProcess.execFileSync(o.esbuild, [entry, '--bundle', `--format=${format}`, `--platform=${platform}`,
                                                 '--log-level=warning', '--charset=utf8'],
                                     {cwd: o.work, encoding: 'utf8', stdio: ['ignore', 'pipe', 'inherit']});
}

async function main() {
    const o = options(process.argv.slice(2));
    const web = path.dirname(fileURLToPath(import.meta.url));
    const read = (file) => fs.readFileSync(file, 'utf8');

    // The modules, as they stand in web/, and the code beside them.
    fs.rmSync(o.work, {recursive: true, force: true});
    fs.mkdirSync(path.join(o.work, 'npm'), {recursive: true});
    for (const file of ['run.js', 'page.js', 'npm/library.js', 'npm/node.js', 'npm/browser.js', 'npm/command.js'])
        fs.copyFileSync(path.join(web, file), path.join(o.work, file));
    // ES modules, as Node.js 18 takes a .js file only where package.json says so.
    fs.writeFileSync(path.join(o.work, 'package.json'), '{"type": "module"}\n');
    const wasm = fs.readFileSync(o.module.replace(/\.js$/, '.wasm'));
    fs.writeFileSync(path.join(o.work, 'wasm.js'),
                     '// The tool\'s WebAssembly module, as base64: made by web/assemble.mjs.\n' +
                     `export const ADIFINFO_WASM = '${wasm.toString('base64')}';\n`);
    const {ADIFINFO_WORDS, ADIFINFO_IMPORTS} = await import(pathToFileURL(path.join(o.work, 'run.js')).href);

    const asked = WebAssembly.Module.imports(new WebAssembly.Module(wasm)).map((i) => `${i.module}.${i.name}`).sort();
    const answered = Object.entries(ADIFINFO_IMPORTS).flatMap(([from, names]) => names.map((name) => `${from}.${name}`)).sort();
    if (asked.join() !== answered.join())
        throw new Error(`the module asks for ${asked.join(', ')}; run.js answers ${answered.join(', ')}`);

    // The page. A script or style element's text is hashed as it stands
    // between its tags; </script> cannot occur in the script (checked).
    const script = `\n${bundle(o, 'page.js', 'iife', 'browser')}`;
    if (/<\/script/i.test(script))
        throw new Error('the script holds </script>');
    const style = `\n${read(path.join(web, 'page.css'))}`;
    const policy = [
        "default-src 'none'",
        `script-src ${sha256(script)} 'wasm-unsafe-eval'`,
        `style-src ${sha256(style)}`,
        "img-src 'none'",
        "base-uri 'none'",
        "form-action 'none'",
    ].join('; ');
    const page = fill(read(path.join(web, 'page.html')), {
        VERSION: html(o.version),
        POLICY: html(policy),
        STYLE: style,
        SCRIPTS: `<script>${script}</script>`,
        REPORT_TABLE: reportTable(read(path.join(o.source, 'README.md'))),
        STATUS_LIST: statusList(ADIFINFO_WORDS),
    });
    fs.writeFileSync(o.page, page);

    // The npm package's folder, for npm pack.
    const npm = path.join(web, 'npm');
    fs.mkdirSync(path.join(o.package, 'bin'), {recursive: true});
    fs.mkdirSync(path.join(o.package, 'lib'), {recursive: true});
    fs.writeFileSync(path.join(o.package, 'package.json'),
                     fill(read(path.join(npm, 'package.json')), {VERSION: o.version}));
    fs.writeFileSync(path.join(o.package, 'README.md'), fill(read(path.join(npm, 'README.md')), {VERSION: o.version}));
    fs.copyFileSync(path.join(o.source, 'LICENSE'), path.join(o.package, 'LICENSE'));
    fs.writeFileSync(path.join(o.package, 'lib', 'node.cjs'), bundle(o, 'npm/node.js', 'cjs', 'node'));
    fs.writeFileSync(path.join(o.package, 'lib', 'node.mjs'), bundle(o, 'npm/node.js', 'esm', 'node'));
    fs.writeFileSync(path.join(o.package, 'lib', 'browser.mjs'), bundle(o, 'npm/browser.js', 'esm', 'browser'));
    fs.copyFileSync(path.join(npm, 'index.d.ts'), path.join(o.package, 'index.d.ts'));
    const command = path.join(o.package, 'bin', 'adifinfo.js');
    fs.writeFileSync(command, bundle(o, 'npm/command.js', 'cjs', 'node'));
    fs.chmodSync(command, 0o755);
}

main().catch((error) => {
    process.stderr.write(`assemble.mjs: ${error.message}\n`);
    process.exitCode = 1;
});
