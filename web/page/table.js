// SPDX-License-Identifier: MIT
// The page's table of files, as data: its columns, what each file shows in
// each and the key it sorts by, the rows a filter and a sort leave, the
// page of them shown, the counts, and the table as CSV. Nothing here
// touches the page: it is the same in Node.js, where it is tested on the
// list's cases. Every phrase a cell shows is the module's (the result's
// inWords); the numbers are the result's facts.
import {ADIFINFO_WORDS} from '../words.js';

export const WORDS = ADIFINFO_WORDS.map((w) => w.word);
export const PAGE_ROWS = 100;

// A count as the page writes it: "12,345". (toLocaleString makes a formatter
// each time it is called.)
const numbers = new Intl.NumberFormat('en');
export const count = (n) => numbers.format(n);

export function plural(n, one) {
    return count(n) + ' ' + one + (n === 1 ? '' : 's');
}

// A name's sort key: letters without their case or accents, and each run
// of digits by its value (so "track 9" comes before "track 10"), compared as
// plain strings: ten thousand names sort at once, where a collator takes
// many times as long.
const DIGITS = 16;
const digits = (run) => run.replace(/^0+(?=\d)/, '').padStart(DIGITS, '0');
function nameKey(name) {
    // Most names are ASCII, which has no accents to take off.
    const key = (/[^\x00-\x7f]/.test(name) ? name.normalize('NFKD').replace(/[\u0300-\u036f]/g, '') : name)
        .toLowerCase();
    return /\d/.test(key) ? key.replace(/\d+/g, digits) : key;
}

const first = (record, value, none) => (record.programs.length ? value(record.programs[0]) : none);
const cut = (text) => (text.length > 60 ? text.slice(0, 59) + '…' : text);
const orNone = (value) => (value === null || value === undefined ? -1 : value);

// Each column of the table: its title; what a file shows in it, a line
// (text) or a line a program (lines), which keep their places across the
// row, empty ones too; and the key it sorts by, worked out once a file: a
// number, or a string. A file that has no value sorts before every one that
// has, a value of 0 too.
export const COLUMNS = [
    {title: 'Name', text: (r) => r.name, key: (r) => nameKey(r.name)},
    {title: 'Status', text: (r) => r.word, key: (r) => WORDS.indexOf(r.word)},
    {title: 'What it is', text: (r) => r.inWords.kind || '', key: (r) => nameKey(r.inWords.kind || '')},
    {title: 'Programs', text: (r) => (r.programs.length ? String(r.programs.length) : ''),
     key: (r) => (r.programs.length ? r.programs.length : -1)},
    {title: 'Profile', lines: (r) => r.inWords.programs.map((p) => p.profile),
     key: (r) => first(r, (p) => p.profile, -1)},
    {title: 'Sampling rate', lines: (r) => r.inWords.programs.map((p) => p.samplingRate),
     key: (r) => first(r, (p) => (p.hertz === null ? 0 : p.hertz), -1)},
    {title: 'Channels', lines: (r) => r.inWords.programs.map((p) => p.channels),
     key: (r) => first(r, (p) => p.channels, -1)},
    {title: 'Speakers', lines: (r) => r.inWords.programs.map((p) => p.speakers),
     key: (r) => nameKey(first(r, (p) => (p.speakers === null ? '~' : p.speakers.join(' ')), ''))},
    {title: 'Bitrate', text: (r) => r.inWords.bitrate || '', key: (r) => orNone(r.bitrate)},
    {title: 'Duration', text: (r) => r.inWords.duration || '', key: (r) => orNone(r.durationSeconds)},
    {title: 'Comment', lines: (r) => r.programs.map((p) => cut(p.comment)),
     key: (r) => nameKey(r.programs.map((p) => p.comment).join('; '))},
];

// The CSV's columns, headed in words; several programs give a cell one
// value a program, separated by "; ".
const each = (record, value) => record.programs.map(value).join('; ');
const said = (record, value) => record.inWords.programs.map(value).join('; ');
const number = (value) => (value === null || value === undefined ? '' : String(value));
export const CSV_COLUMNS = [
    ['Name', (r) => r.name],
    ['Status', (r) => r.word],
    ['What the file is', (r) => r.inWords.kind || ''],
    ['Programs', (r) => (r.programs.length ? String(r.programs.length) : '')],
    ['Profile', (r) => said(r, (p) => p.profile)],
    ['Sampling rate (Hz)', (r) => r.programs.map((p, i) => (p.hertz !== null ? String(p.hertz)
                                                                              : r.inWords.programs[i].samplingRate))
        .join('; ')],
    ['Channels', (r) => each(r, (p) => String(p.channels))],
    ['Front', (r) => each(r, (p) => String(p.front))],
    ['Side', (r) => each(r, (p) => String(p.side))],
    ['Back', (r) => each(r, (p) => String(p.back))],
    ['LFE', (r) => each(r, (p) => String(p.lfe))],
    ['Layout', (r) => each(r, (p) => p.layout || '')],
    ['Speakers', (r) => said(r, (p) => p.speakers)],
    ['Bitrate', (r) => r.inWords.bitrate || ''],
    ['Bitrate (bits per second)', (r) => number(r.bitrate)],
    ['Duration', (r) => r.inWords.duration || ''],
    ['Duration (seconds)', (r) => (r.durationSeconds === null || r.durationSeconds === undefined ? ''
                                   : String(Math.round(r.durationSeconds * 1000) / 1000))],
    ['Comment', (r) => each(r, (p) => p.comment)],
];

// A file as the table keeps it: its result, with its place among the files
// and the keys it sorts by, made once.
export function row(result, index) {
    const record = {...result, index};
    record.keys = COLUMNS.map((column) => column.key(record));
    return record;
}

// The rows shown by filter (a word, or "all") and sorted by a column
// (null: as they came), ascending or descending; equal keys keep the order
// the files came in.
export function view(records, {filter, column, descending}) {
    const rows = filter === 'all' ? records.slice() : records.filter((r) => r.word === filter);
    if (column !== null && rows.length > 0) {
        const sign = descending ? -1 : 1;
        rows.sort((a, b) => {
            const x = a.keys[column];
            const y = b.keys[column];
            return sign * (x < y ? -1 : x > y ? 1 : 0) || a.index - b.index;
        });
    }
    return rows;
}

// Of the rows, the page shown (page, counted from 0, kept within them):
// {page, pages, shown, caption}.
export function pageOf(rows, page, filter) {
    const pages = Math.max(1, Math.ceil(rows.length / PAGE_ROWS));
    const at = Math.min(Math.max(page, 0), pages - 1);
    const shown = rows.slice(at * PAGE_ROWS, (at + 1) * PAGE_ROWS);
    const from = rows.length ? at * PAGE_ROWS + 1 : 0;
    const caption = (filter === 'all' ? 'All files' : 'Files ' + filter) + ': ' +
        (rows.length > PAGE_ROWS ? count(from) + '–' + count(from + shown.length - 1) +
                                   ' of ' : '') + plural(rows.length, 'file');
    return {page: at, pages, shown, caption};
}

// The filter's choices, each with its count: [{value, label}].
export function filterChoices(records) {
    const counts = {};
    for (const record of records)
        counts[record.word] = (counts[record.word] || 0) + 1;
    return ['all', ...WORDS].map((word) => ({
        value: word,
        label: (word === 'all' ? 'all files' : word) + ' (' +
               count(word === 'all' ? records.length : counts[word] || 0) + ')',
    }));
}

// What the status line says once a batch of total files is in, of all the
// records in the table.
export function batchLine(records, total) {
    const counts = {};
    for (const record of records)
        counts[record.word] = (counts[record.word] || 0) + 1;
    const parts = WORDS.filter((word) => counts[word]).map((word) => count(counts[word]) + ' ' + word);
    return 'Reported ' + (total === records.length ? plural(total, 'file')
                                                  : plural(total, 'more file') + ', ' + count(records.length) +
                                                    ' in all') +
           ': ' + parts.join(', ') + '.';
}

// RFC 4180: a field with a comma, a quote or a line break in quotes, its
// quotes doubled; lines end in CRLF. A field that a spreadsheet would take
// for a formula gets a ' in front.
const FORMULA = /^[=+\-@\t\r]/;
const QUOTED = /[",\r\n]/;
const PLAIN = /^[=+\-@\t\r]|[",\r\n]/; // either: most fields are neither
export function csvField(text) {
    if (!PLAIN.test(text))
        return text;
    const safe = FORMULA.test(text) ? "'" + text : text;
    return QUOTED.test(safe) ? '"' + safe.replace(/"/g, '""') + '"' : safe;
}

// The rows as CSV, UTF-8 with its byte order mark, for a spreadsheet.
export function csv(rows) {
    const values = CSV_COLUMNS.map(([, value]) => value);
    const lines = [CSV_COLUMNS.map(([title]) => csvField(title)).join(',')];
    for (const record of rows) {
        let line = csvField(values[0](record));
        for (let i = 1; i < values.length; i++)
            line += ',' + csvField(values[i](record));
        lines.push(line);
    }
    return '\ufeff' + lines.join('\r\n') + '\r\n';
}
