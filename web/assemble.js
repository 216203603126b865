// SPDX-License-Identifier: MIT
// Makes the page and the npm package's folder from the module emscripten
// built:
//
//   node assemble.js --version V --module adifinfo.js --source DIR
//                    --page adifinfo-V.html --package FOLDER
//
// Of what emscripten made, only the WebAssembly code beside its script,
// adifinfo.wasm, is taken: run.js is its host. It must ask for what run.js
// answers, and nothing else (checked). The page takes the code as base64, in a
// script of its own, with run.js, page.js and page.css inline, under a
// Content-Security-Policy that allows exactly those (by their hashes) and
// WebAssembly, and nothing from anywhere; the package, as lib/adifinfo.wasm.
// The same input gives the same bytes.
'use strict';
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');
const {ADIFINFO_WORDS, ADIFINFO_IMPORTS} = require('./run.js');

function options(words) {
    const result = {};
    for (let i = 0; i < words.length; i += 2) {
        if (!words[i].startsWith('--') || i + 1 >= words.length)
            throw new Error(`usage: node assemble.js --version V --module M --source DIR --page P --package DIR`);
        result[words[i].slice(2)] = words[i + 1];
    }
    for (const name of ['version', 'module', 'source', 'page', 'package'])
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
function statusList() {
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

function main() {
    const o = options(process.argv.slice(2));
    const web = __dirname;
    const read = (file) => fs.readFileSync(file, 'utf8');

    const wasm = fs.readFileSync(o.module.replace(/\.js$/, '.wasm'));
    const asked = WebAssembly.Module.imports(new WebAssembly.Module(wasm)).map((i) => `${i.module}.${i.name}`).sort();
    const answered = Object.entries(ADIFINFO_IMPORTS).flatMap(([from, names]) => names.map((name) => `${from}.${name}`)).sort();
    if (asked.join() !== answered.join())
        throw new Error(`the module asks for ${asked.join(', ')}; run.js answers ${answered.join(', ')}`);
    const module = `const ADIFINFO_WASM = "${wasm.toString('base64')}";\n`;
    const run = read(path.join(web, 'run.js'));

    // The page. A script or style element's text is hashed as it stands
    // between its tags; </script> cannot occur in these scripts (checked).
    // Each script is an element of its own, so that run.js and page.js are
    // each in strict mode as they ask.
    const scripts = [module, run, read(path.join(web, 'page.js'))].map((text) => `\n${text}`);
    if (scripts.some((text) => /<\/script/i.test(text)))
        throw new Error('a script holds </script>');
    const style = `\n${read(path.join(web, 'page.css'))}`;
    const policy = [
        "default-src 'none'",
        `script-src ${scripts.map(sha256).join(' ')} 'wasm-unsafe-eval'`,
        `style-src ${sha256(style)}`,
        "img-src 'none'",
        "base-uri 'none'",
        "form-action 'none'",
    ].join('; ');
    const page = fill(read(path.join(web, 'page.html')), {
        VERSION: html(o.version),
        POLICY: html(policy),
        STYLE: style,
        SCRIPTS: scripts.map((text) => `<script>${text}</script>`).join('\n'),
        REPORT_TABLE: reportTable(read(path.join(o.source, 'README.md'))),
        STATUS_LIST: statusList(),
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
    fs.writeFileSync(path.join(o.package, 'lib', 'adifinfo.wasm'), wasm);
    fs.writeFileSync(path.join(o.package, 'lib', 'run.js'), run);
    for (const file of ['index.js', 'index.mjs'])
        fs.copyFileSync(path.join(npm, file), path.join(o.package, 'lib', file));
    fs.copyFileSync(path.join(npm, 'index.d.ts'), path.join(o.package, 'index.d.ts'));
    fs.copyFileSync(path.join(npm, 'adifinfo.js'), path.join(o.package, 'bin', 'adifinfo.js'));
    fs.chmodSync(path.join(o.package, 'bin', 'adifinfo.js'), 0o755);
}

try {
    main();
} catch (error) {
    process.stderr.write(`assemble.js: ${error.message}\n`);
    process.exitCode = 1;
}
