// SPDX-License-Identifier: MIT
// The page's table of files as data (web/page/table.js), in Node.js, on the
// list's cases as the module would give them (expected.js): each file's
// cells, its order under each sort, the filter's counts, the captions and
// the status line, and the CSV, each against what the list says, as a
// spreadsheet reads it (RFC 4180).
//
//   node table_test.mjs --modules DIR --cases CASES.json
import assert from 'node:assert';
import {createRequire} from 'node:module';
import path from 'node:path';
import fs from 'node:fs';
import {pathToFileURL} from 'node:url';

const require = createRequire(import.meta.url);
const expected = require('./expected.js');
const options = {};
for (let i = 2; i < process.argv.length; i += 2)
    options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
const table = await import(pathToFileURL(path.join(path.resolve(options.modules), 'page', 'table.js')).href);
const list = JSON.parse(fs.readFileSync(options.cases, 'utf8'));

let failures = 0;
function row(name, check) {
    try {
        check();
    } catch (error) {
        failures++;
        console.log(`${name}: ${error.message}`);
    }
}

// Every case a file of the table, under its own name; then a few names
// that a sort and a spreadsheet must take with care.
const files = list.cases.map((c) => ({...expected.resultOf(c), name: c.name, listed: c}));
const example = list.cases.find((c) => c.name === 'example.surround-5.1');
for (const name of ['-rf.adif', '=1+2.adif', '@sum.adif', 'a,b "c"\nd.adif', 'track 10.adif', 'track 9.adif',
                    'Zebra.adif', 'zebra.adif', 'Äpfel.adif', 'apfel.adif', 'B.adif'])
    files.push({...expected.resultOf(example), name, listed: example});
const records = files.map((file, i) => table.row(file, i));
const cut = (text) => (text.length > 60 ? text.slice(0, 59) + '\u2026' : text);

row('each file in the table, as the list says it', () => {
    for (const record of records) {
        const c = record.listed;
        const cells = table.COLUMNS.map((column) => (column.lines ? column.lines(record) : column.text(record)));
        const said = c.said.programs;
        assert.deepStrictEqual(cells, [
            record.name, c.word, c.said.kind || '', c.programs.length ? String(c.programs.length) : '',
            said.map((p) => p.profile), said.map((p) => p.samplingRate), said.map((p) => p.channels),
            said.map((p) => p.speakers), c.bitrate, c.duration, c.programs.map((p) => cut(p.comment)),
        ], c.name);
    }
});

// The order a sort must give, from the list's own values: the files that
// have no value for the column first, then by value, each tie in the order
// the files came.
const ORDER = {
    Status: (f) => list.words.findIndex((w) => w.word === f.listed.word),
    Programs: (f) => (f.listed.programs.length ? f.listed.programs.length : -1),
    'Sampling rate': (f) => (f.listed.programs.length ? f.listed.programs[0].hertz || 0 : -1),
    Channels: (f) => (f.listed.programs.length ? f.programs[0].channels : -1),
    Bitrate: (f) => (f.listed.word === 'complete' ? expected.bitrateOf(f.listed.bitrate) : -1),
    Duration: (f) => (f.listed.seconds === null ? -1 : f.listed.seconds),
};
row('sorted by a number, each way', () => {
    for (const [title, value] of Object.entries(ORDER)) {
        const column = table.COLUMNS.findIndex((c) => c.title === title);
        assert.ok(column >= 0, title);
        for (const descending of [false, true]) {
            const sign = descending ? -1 : 1;
            const want = files.map((f, i) => i).sort((a, b) => sign * (value(files[a]) - value(files[b])) || a - b);
            const got = table.view(records, {filter: 'all', column, descending}).map((r) => r.index);
            assert.deepStrictEqual(got, want, `${title}${descending ? ', descending' : ''}`);
        }
    }
    // A header with nothing after it lasts 0 s, and sorts after every file
    // whose duration is not known, not among them.
    const column = table.COLUMNS.findIndex((c) => c.title === 'Duration');
    const order = table.view(records, {filter: 'all', column, descending: false}).map((r) => r.listed);
    const firstZero = order.findIndex((c) => c.seconds === 0);
    assert.ok(firstZero > 0 && order.slice(firstZero).every((c) => c.seconds !== null), 'a duration of 0 among the unknown');
});

row('sorted by a name: the case and the accents aside, numbers by their value', () => {
    const column = table.COLUMNS.findIndex((c) => c.title === 'Name');
    const up = table.view(records, {filter: 'all', column, descending: false}).map((r) => r.name);
    const down = table.view(records, {filter: 'all', column, descending: true}).map((r) => r.name);
    const at = (name) => up.indexOf(name);
    assert.ok(at('track 9.adif') < at('track 10.adif'), 'track 9 before track 10');
    assert.ok(at('apfel.adif') < at('B.adif') && at('Äpfel.adif') < at('B.adif'), 'Äpfel and apfel before B');
    assert.ok(at('Zebra.adif') === at('zebra.adif') - 1 || at('zebra.adif') === at('Zebra.adif') - 1, 'zebra and Zebra side by side');
    assert.ok(at('B.adif') < at('Zebra.adif'), 'B before Zebra');
    assert.deepStrictEqual([...up].sort(), files.map((f) => f.name).sort(), 'every file');
    // Ties keep the order the files came in, both ways: the rest reverses.
    const ties = new Set(['Zebra.adif', 'zebra.adif', 'Äpfel.adif', 'apfel.adif']);
    assert.deepStrictEqual(down.filter((n) => !ties.has(n)), up.filter((n) => !ties.has(n)).reverse());
});

row('filtered by each word, the filter counting each', () => {
    const choices = table.filterChoices(records);
    assert.deepStrictEqual(choices.map((c) => c.value), ['all', ...list.words.map((w) => w.word)]);
    for (const {value, label} of choices) {
        const count = value === 'all' ? files.length : files.filter((f) => f.listed.word === value).length;
        assert.strictEqual(label, `${value === 'all' ? 'all files' : value} (${count})`);
        const shown = table.view(records, {filter: value, column: null, descending: false});
        assert.deepStrictEqual(shown.map((r) => r.index),
                               files.map((f, i) => i).filter((i) => value === 'all' || files[i].listed.word === value));
    }
    assert.deepStrictEqual(table.filterChoices([]).map((c) => c.label),
                           ['all files (0)', ...list.words.map((w) => `${w.word} (0)`)]);
});

row('captions, pages and the status line', () => {
    const many = (n) => Array.from({length: n}, (_, i) => records[i % records.length]);
    const captions = [[0, 0, 'All files: 0 files', 1], [1, 0, 'All files: 1 file', 1], [100, 0, 'All files: 100 files', 1],
                      [101, 1, 'All files: 101–101 of 101 files', 2], [2500, 24, 'All files: 2,401–2,500 of 2,500 files', 25],
                      [2500, 99, 'All files: 2,401–2,500 of 2,500 files', 25]];
    for (const [count, page, caption, pages] of captions) {
        const shown = table.pageOf(many(count), page, 'all');
        assert.deepStrictEqual([shown.caption, shown.pages, shown.shown.length],
                               [caption, pages, Math.min(100, count - Math.min(page, pages - 1) * 100)]);
    }
    assert.strictEqual(table.pageOf(many(3), 0, 'cut short').caption, 'Files cut short: 3 files');
    assert.strictEqual(table.plural(1, 'file'), '1 file');
    assert.strictEqual(table.plural(0, 'file'), '0 files');
    assert.strictEqual(table.plural(12345, 'file'), '12,345 files');
    const one = [records.find((r) => r.word === 'complete')];
    assert.strictEqual(table.batchLine(one, 1), 'Reported 1 file: 1 complete.');
    const counts = list.words.map((w) => [w.word, files.filter((f) => f.listed.word === w.word).length])
        .filter(([, n]) => n > 0).map(([word, n]) => `${n} ${word}`).join(', ');
    assert.strictEqual(table.batchLine(records, records.length), `Reported ${records.length} files: ${counts}.`);
    assert.strictEqual(table.batchLine(records, 2), `Reported 2 more files, ${records.length} in all: ${counts}.`);
});

// RFC 4180, read back by a reader of its own: quoted fields, doubled
// quotes, CRLF.
function parseCsv(text) {
    const rows = [[]];
    let field = '';
    let quoted = false;
    for (let i = 0; i < text.length; i++) {
        const c = text[i];
        if (quoted) {
            if (c === '"' && text[i + 1] === '"') {
                field += '"';
                i++;
            } else if (c === '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c === '"') {
            quoted = true;
        } else if (c === ',') {
            rows[rows.length - 1].push(field);
            field = '';
        } else if (c === '\r' && text[i + 1] === '\n') {
            rows[rows.length - 1].push(field);
            field = '';
            rows.push([]);
            i++;
        } else {
            assert.ok(c !== '\n' && c !== '\r', 'a line break outside quotes');
            field += c;
        }
    }
    assert.deepStrictEqual(rows.pop(), [], 'the last line ends in CRLF');
    return rows;
}

row('the CSV, as the list says each file', () => {
    const text = table.csv(records);
    assert.ok(text.startsWith('\ufeff'), 'the byte order mark');
    const [heads, ...rows] = parseCsv(text.slice(1));
    assert.deepStrictEqual(heads, ['Name', 'Status', 'What the file is', 'Programs', 'Profile', 'Sampling rate (Hz)',
                                   'Channels', 'Front', 'Side', 'Back', 'LFE', 'Layout', 'Speakers', 'Bitrate',
                                   'Bitrate (bits per second)', 'Duration', 'Duration (seconds)', 'Comment']);
    const guard = (t) => (/^[=+\-@\t\r]/.test(t) ? "'" + t : t);
    const join = (values) => values.join('; ');
    rows.forEach((cells, i) => {
        const c = files[i].listed;
        const said = c.said.programs;
        const complete = c.word === 'complete';
        assert.deepStrictEqual(cells, [
            files[i].name, c.word, c.said.kind || '', c.programs.length ? String(c.programs.length) : '',
            join(said.map((p) => p.profile)),
            join(c.programs.map((p, k) => (p.hertz === null ? said[k].samplingRate : String(p.hertz)))),
            join(c.programs.map((p) => String(p.front + p.side + p.back + p.lfe))),
            join(c.programs.map((p) => String(p.front))), join(c.programs.map((p) => String(p.side))),
            join(c.programs.map((p) => String(p.back))), join(c.programs.map((p) => String(p.lfe))),
            join(c.programs.map((p) => p.layout || '')), join(said.map((p) => p.speakers)),
            c.bitrate, complete ? String(expected.bitrateOf(c.bitrate)) : '', c.duration,
            c.seconds === null ? '' : String(Math.round(c.seconds * 1000) / 1000),
            join(c.programs.map((p) => p.comment)),
        ].map(guard), c.name);
    });
    assert.strictEqual(rows.length, files.length);
    assert.strictEqual(table.csvField('-rf'), "'-rf");
    assert.strictEqual(table.csvField('a "b"'), '"a ""b"""');
    assert.strictEqual(table.csvField("='x',y"), '"\'=\'x\',y"');
});

console.log(failures ? `${failures} failed` : 'all passed');
process.exitCode = failures ? 1 : 0;
