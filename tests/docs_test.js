// SPDX-License-Identifier: MIT
// The examples of README.md, CONTRIBUTING.md and the manual page, run with
// the native tool (docs.js says what an example is and how it runs): each
// session prints what the document shows, and every sh block that is not
// run says why. The npm package's README is run with the package
// (npm_test.js).
//
//   node docs_test.js --tool ADIFINFO --source DIR --work DIR
'use strict';
const fs = require('fs');
const path = require('path');
const docs = require('./docs.js');

const options = {};
for (let i = 2; i < process.argv.length; i += 2)
    options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const work = path.resolve(options.work);
fs.rmSync(work, {recursive: true, force: true});
fs.mkdirSync(work, {recursive: true});
for (const file of fs.readdirSync(path.join(options.source, 'examples')))
    fs.copyFileSync(path.join(options.source, 'examples', file), path.join(work, file));

const faults = [];
let sessions = 0;
for (const name of ['README.md', 'CONTRIBUTING.md']) {
    const found = docs.examples(fs.readFileSync(path.join(options.source, name), 'utf8'));
    for (const line of found.unmarked)
        faults.push(`${name}:${line}: an sh block that is neither a session nor marked "setup" or "recipe"`);
    for (const script of found.scripts)
        faults.push(`${name}:${script.line}: a script, which only the npm package's README has`);
    faults.push(...docs.runSessions(name, found.sessions, work, path.resolve(options.tool)));
    sessions += found.sessions.length;
}
const man = docs.manExamples(fs.readFileSync(path.join(options.source, 'man', 'adifinfo.1'), 'utf8'));
faults.push(...docs.runSessions('man/adifinfo.1', man, work, path.resolve(options.tool)));
sessions += man.length;
if (sessions < 3)
    faults.push(`only ${sessions} sessions found in the documents`);
for (const fault of faults)
    console.log(fault);
console.log(faults.length ? `${faults.length} failed` : `${sessions} sessions, all as the documents show`);
process.exitCode = faults.length ? 1 : 0;
