// SPDX-License-Identifier: MIT
// The examples of the documents, as they stand in them, and how each is run.
//
// In Markdown, a fenced block is
//   a session      if it has lines that begin "$ ": each such line is a
//                  command, run by sh, and the lines up to the next one are
//                  what it prints on standard output, exactly;
//   a script       if its info string is js: run by Node.js as a module (as
//                  CommonJS where it calls require), each line that ends
//                  "// => VALUE" checked: the expression before the ";" has
//                  the value VALUE, a JavaScript literal, which may go on in
//                  the comment lines that follow it;
//   not run        if its info string is sh and says why: "setup" (it
//                  installs, builds or releases) or "recipe" (a recipe for
//                  the reader's own files, that shows nothing it prints);
//                  one that says nothing is a fault;
//   text           otherwise (a usage line, a listing): not an example.
// In a manual page, each .EX block with "$ " lines is a session.
//
// A session runs in a folder that holds the sample file, with adifinfo the
// command under test; a path the documents name where the sample file is
// installed is that folder.
'use strict';
const assert = require('assert');
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');

const INSTALLED = ['/usr/share/doc/adifinfo/examples/', '/usr/local/share/doc/adifinfo/examples/'];

// Each session of a block's lines: {command, output, line}.
function sessions(lines, first) {
    const found = [];
    lines.forEach((text, i) => {
        if (text.startsWith('$ '))
            found.push({command: text.slice(2), output: [], line: first + i});
        else if (found.length > 0)
            found[found.length - 1].output.push(text);
    });
    return found.map((s) => ({...s, output: s.output.length ? s.output.join('\n') + '\n' : ''}));
}

// A script's text with each "// => VALUE" line made a check.
function checked(lines, first) {
    const out = [];
    for (let i = 0; i < lines.length; i++) {
        const match = /^(\s*)(.*?);\s*\/\/ => (.*)$/.exec(lines[i]);
        if (!match) {
            out.push(lines[i]);
            continue;
        }
        let value = match[3];
        // The value goes on in comment lines below it, indented past "//".
        while (i + 1 < lines.length && /^\s*\/\/\s{2,}\S/.test(lines[i + 1]) && !/\/\/ =>/.test(lines[i + 1]))
            value += ' ' + lines[++i].replace(/^\s*\/\/\s*/, '');
        out.push(`${match[1]}__check(${JSON.stringify(match[2])}, ${match[2]}, ${value}, ${first + i});`);
    }
    return out.join('\n') + '\n';
}

const PRELUDE = {
    module: "import {deepStrictEqual as __equal} from 'node:assert';\n",
    commonjs: "const {deepStrictEqual: __equal} = require('node:assert');\n",
    check: 'function __check(text, got, wanted, line) {\n' +
           '    __equal(got, wanted, `line ${line}: ${text} is ${JSON.stringify(got)}`);\n' +
           '    globalThis.__checked = (globalThis.__checked || 0) + 1;\n}\n' +
           "process.on('exit', () => console.log(`checked ${globalThis.__checked || 0}`));\n",
};

// The examples of a Markdown document: {sessions, scripts, unmarked}.
function examples(markdown) {
    const lines = markdown.split('\n');
    const found = {sessions: [], scripts: [], unmarked: []};
    for (let i = 0; i < lines.length; i++) {
        // A fence, at the margin or indented in a list item.
        const open = /^(\s*)```\s*(.*)$/.exec(lines[i]);
        if (!open)
            continue;
        const info = open[2].trim().split(/\s+/);
        const start = i + 1;
        do
            i++;
        while (i < lines.length && !/^\s*```/.test(lines[i]));
        const body = lines.slice(start, i).map((text) => (text.startsWith(open[1]) ? text.slice(open[1].length) : text));
        if (body.some((text) => text.startsWith('$ ')))
            found.sessions.push(...sessions(body, start + 1));
        else if (info[0] === 'js') {
            const commonjs = body.some((text) => /\brequire\(/.test(text));
            const text = checked(body, start + 1);
            found.scripts.push({line: start, commonjs, source: body.join('\n') + '\n', checks: text.split('__check(').length - 1,
                                run: (commonjs ? PRELUDE.commonjs : PRELUDE.module) + PRELUDE.check + text});
        } else if (info[0] === 'sh' && !info.includes('setup') && !info.includes('recipe'))
            found.unmarked.push(start);
    }
    return found;
}

// The sessions of a manual page's .EX blocks, as the page shows them.
function manExamples(page) {
    const lines = page.split('\n');
    const found = [];
    for (let i = 0; i < lines.length; i++) {
        if (lines[i] !== '.EX')
            continue;
        const start = i + 1;
        while (i < lines.length && lines[i] !== '.EE')
            i++;
        const body = lines.slice(start, i).map((text) => text.replace(/\\-/g, '-').replace(/\\e/g, '\\'));
        found.push(...sessions(body, start + 1));
    }
    return found;
}

// Runs each session in folder, with adifinfo the program command; returns
// the faults, one a line.
function runSessions(name, found, folder, command) {
    const bin = path.join(folder, '.bin');
    fs.mkdirSync(bin, {recursive: true});
    fs.writeFileSync(path.join(bin, 'adifinfo'), `#!/bin/sh\nexec "${command}" "$@"\n`, {mode: 0o755});
    const faults = [];
    for (const s of found) {
        let line = s.command;
        for (const place of INSTALLED)
            line = line.split(place).join('');
        const done = childProcess.spawnSync('/bin/sh', ['-c', line], {
            cwd: folder, encoding: 'utf8', timeout: 60000,
            env: {...process.env, PATH: `${bin}${path.delimiter}${process.env.PATH}`},
        });
        if (done.stdout !== s.output)
            faults.push(`${name}:${s.line}: $ ${s.command}\nprinted:\n${done.stdout}${done.stderr}\nthe document shows:\n${s.output}`);
    }
    return faults;
}

// Runs a script in folder; returns how many checks it made, or throws.
function runScript(name, script, folder) {
    const file = path.join(folder, `example-${script.line}.${script.commonjs ? 'cjs' : 'mjs'}`);
    fs.writeFileSync(file, script.run);
    const done = childProcess.spawnSync(process.execPath, [file], {cwd: folder, encoding: 'utf8', timeout: 60000});
    const checks = /checked (\d+)/.exec(done.stdout);
    assert.ok(done.status === 0 && checks, `${name}:${script.line}: the example failed:\n${done.stdout}${done.stderr}`);
    assert.strictEqual(Number(checks[1]), script.checks, `${name}:${script.line}: checks made`);
    return script.checks;
}

module.exports = {examples, manExamples, runSessions, runScript};
