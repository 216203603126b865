// SPDX-License-Identifier: MIT
// The page: files in, through the file inputs or dropped anywhere on the
// page (folders too); for each, what it is in plain words, in a table of the
// whole batch that sorts, filters and downloads as CSV (table.js), and its
// exact report on demand. Each file is read only as far as the module wants
// (reader.js), and run by one instance of the module (host.js, report.js).
// Untrusted text only ever reaches the page as text, and as written (the
// module's rule).
//
// For tests: window.adifinfo.results holds, per file, its result (report.js)
// with its path, the bytes given to the tool (read), the bytes the browser
// handed over (delivered) and why it could not be read (reason); and
// <body data-reported> counts the files reported since the last Clear.
// window.adifinfo.words has the four words as the page has them.
import {wasmBytes} from '../bytes.js';
import {startAdifinfo} from '../host.js';
import {blobSource, readFile} from '../reader.js';
import {reportFile} from '../report.js';
import {ADIFINFO_WORDS} from '../words.js';
import {COLUMNS, WORDS, batchLine, count, csv, filterChoices, pageOf, plural, row, view} from './table.js';

// Files being read while the tool runs.
const READ_AHEAD = 32;
// A task on the main thread gives way after this many milliseconds.
const SLICE = 12;
// Drawing waits for a pause in the work, at most this often.
const DRAW_EVERY_MS = 250;
// The longest download name: the browser adds to it while it saves
// (".crdownload"), and a file system takes 255 bytes.
const DOWNLOAD_BYTES = 200;

const $ = (id) => document.getElementById(id);
const records = [];
window.adifinfo = {results: records, words: WORDS};

function element(name, content, className) {
    const made = document.createElement(name);
    if (content !== undefined)
        made.textContent = content;
    if (className)
        made.className = className;
    return made;
}

function say(message) {
    $('progress').textContent = message;
}

const sentence = (text) => text[0].toUpperCase() + text.slice(1) + (/[.!?]$/.test(text) ? '' : '.');

// ---- The tool -----------------------------------------------------------

// The module, compiled as the page loads, and one instance of it for every
// file, made by the first that needs it; a failure to make one, or a run
// that fails, is the file's, and the next file tries again with a new one.
const compile = () => wasmBytes().then((code) => WebAssembly.compile(code));
let compiling = compile();
let making = null;
function tool() {
    if (making === null) {
        making = compiling.then(startAdifinfo);
        making.catch(() => {
            making = null;
            compiling = compile();
        });
    }
    return making;
}

// A file that the tool could not be run on, for a reason. (Its name is
// shown as the browser gives it: the rule for names is the module's.)
function failed(reason) {
    return {status: 2, word: 'unreadable', kind: null, report: null, shown: null, programs: [],
            inWords: {kind: null, about: null, report: null, bitrate: null, duration: null, programs: []},
            bitrate: null, durationSeconds: null, read: 0, delivered: 0, reason};
}

const why = (error) => (error && error.message ? error.message : String(error));

// The start of a file, as the module wants it read (or why it could not
// be read), ahead of its turn.
async function readAhead(entry) {
    if (entry.reason !== undefined)
        return {reason: entry.reason};
    try {
        const source = blobSource(entry.file);
        const read = await readFile(await tool(), source);
        read.delivered = source.delivered;
        return read;
    } catch (error) {
        return {reason: 'the tool could not run here: ' + why(error)};
    }
}

// The browser says no more of a file it failed to read than that it failed:
// a folder given as a file fails so, as does a file that went away or
// changed after it was chosen.
function readingFailed(error) {
    return error instanceof TypeError || (error && (error.name === 'NotReadableError' || error.name === 'NotFoundError'))
        ? 'it could not be read: a folder is read with "Choose a folder", or dropped on the page; a file that went ' +
          'away or changed after it was chosen, or that the system refused to read, must be chosen again'
        : why(error);
}

async function inspect(entry, read) {
    if (read.reason !== undefined)
        return failed(read.reason);
    try {
        const result = reportFile(await tool(), entry.file.name, read, null, entry.path);
        // Most reports are shown as they are: kept once, as bytes.
        let same = result.shown.length === result.report.length;
        for (let i = 0; same && i < result.report.length; i++)
            same = result.report[i] === result.shown.charCodeAt(i);
        return {...result, shown: same ? null : result.shown, read: read.start.length, delivered: read.delivered,
                reason: read.failure === null ? null : readingFailed(read.failure)};
    } catch (error) {
        making = null;
        return failed('the tool could not run here: ' + why(error));
    }
}

// ---- The table ----------------------------------------------------------

// Filtered, sorted, a page at a time; sorting compares the keys each file
// was given as it came in (table.js).
const table = {filter: 'all', column: null, descending: false, page: 0, rows: null};
function rows() {
    if (table.rows === null)
        table.rows = view(records, table);
    return table.rows;
}

// The headings are made once: a sort marks its heading, and the button that
// was pressed keeps the focus, so that pressing it again reverses the order.
function drawColumns() {
    const headings = COLUMNS.map((column, i) => {
        const heading = element('th');
        heading.scope = 'col';
        const button = element('button', column.title);
        button.type = 'button';
        button.addEventListener('click', () => {
            table.descending = table.column === i ? !table.descending : false;
            table.column = i;
            table.rows = null;
            table.page = 0;
            headings.forEach((other, k) => {
                if (k === i)
                    other.setAttribute('aria-sort', table.descending ? 'descending' : 'ascending');
                else
                    other.removeAttribute('aria-sort');
            });
            drawTable();
        });
        heading.append(button);
        return heading;
    });
    $('columns').replaceChildren(...headings);
}

function drawFilter() {
    $('filter').replaceChildren(...filterChoices(records).map(({value, label}) => {
        const option = element('option', label);
        option.value = value;
        option.selected = value === table.filter;
        return option;
    }));
}

// The rows drawn, the same records again drawn only where they changed: as
// files come in, the first page of a table that is not sorted stays as it
// is once it is full, and drawing it costs the browser far more than
// reading the files.
let drawn = [];
function drawTable() {
    const page = pageOf(rows(), table.page, table.filter);
    table.page = page.page;
    if (page.shown.length !== drawn.length || page.shown.some((record, i) => record !== drawn[i]))
        drawRows(page.shown);
    $('table-caption').textContent = page.caption;
    $('page-number').textContent = 'Page ' + (page.page + 1) + ' of ' + page.pages;
    $('previous').disabled = page.page === 0;
    $('next').disabled = page.page >= page.pages - 1;
    $('files-section').hidden = records.length === 0;
}

function drawRows(shown) {
    drawn = shown;
    $('rows').replaceChildren(...shown.map((record) => {
        const line = element('tr', undefined, record.word.replace(' ', '-'));
        COLUMNS.forEach((column, i) => {
            const cell = element(i === 0 ? 'th' : 'td');
            cell.dataset.label = column.title;
            if (i === 0) {
                cell.scope = 'row';
                const button = element('button', record.name, 'name');
                button.type = 'button';
                button.addEventListener('click', () => showReport(record, button));
                cell.append(button);
            } else if (column.lines) {
                // A line a program, an empty one kept, so that each program
                // reads across the row.
                cell.append(...column.lines(record).map((text) => {
                    const span = element('span', text, 'line');
                    span.title = text;
                    return span;
                }));
            } else {
                cell.textContent = column.text(record);
            }
            line.append(cell);
        });
        return line;
    }));
}

$('filter').addEventListener('change', () => {
    table.filter = $('filter').value;
    table.rows = null;
    table.page = 0;
    drawTable();
});
$('previous').addEventListener('click', () => {
    table.page--;
    drawTable();
});
$('next').addEventListener('click', () => {
    table.page++;
    drawTable();
});

// ---- One file's report ----------------------------------------------------

let reported = null;
let opener = null;

// The summary: each term and what it says, every phrase the module's.
function summaryOf(record) {
    const list = element('dl');
    const add = (to, term, description) => to.append(element('dt', term), element('dd', description));
    const meaning = ADIFINFO_WORDS.find((w) => w.word === record.word).meaning;
    add(list, 'Status', sentence(meaning + (record.reason ? ': ' + record.reason : '')));
    if (record.inWords.about !== null)
        add(list, 'What it is', record.inWords.about);
    if (record.inWords.report !== null)
        add(list, 'Report', record.inWords.report);
    if (record.word !== 'complete')
        return [list];
    add(list, 'Bitrate', record.inWords.bitrate);
    add(list, 'Duration', record.inWords.duration);
    add(list, 'Programs', String(record.programs.length));
    const parts = [list];
    record.programs.forEach((p, i) => {
        const words = record.inWords.programs[i];
        const one = element('dl', undefined, 'program');
        if (record.programs.length > 1)
            parts.push(element('h4', 'Program ' + (i + 1) + ' of ' + record.programs.length + ', tag ' + p.tag));
        add(one, 'Profile', words.profile);
        add(one, 'Sampling rate', words.samplingRate);
        if (words.note !== '')
            add(one, 'Note', words.note);
        add(one, 'Channels', words.channels);
        add(one, 'Speakers', words.speakers);
        add(one, 'Comment', words.comment);
        parts.push(one);
    });
    return parts;
}

function shownText(record) {
    if (record.shown !== null)
        return record.shown;
    let text = '';
    for (const byte of record.report)
        text += String.fromCharCode(byte);
    return text;
}

function showReport(record, from) {
    reported = record;
    opener = from;
    $('report-name').textContent = record.name;
    $('report-status').textContent = record.word;
    $('report-status').className = 'status ' + record.word.replace(' ', '-');
    $('report-summary').replaceChildren(...summaryOf(record));
    const has = record.report !== null;
    $('report-text').textContent = has ? shownText(record) : '';
    $('report-text').hidden = !has;
    $('report-exact').hidden = !has;
    $('copy').disabled = !has;
    $('download').disabled = !has;
    $('report-section').hidden = false;
    $('report-section').focus();
}

$('back').addEventListener('click', (event) => {
    event.preventDefault();
    if (opener !== null && opener.isConnected)
        opener.focus();
    else
        $('files-section').focus();
});

$('copy').addEventListener('click', () => {
    const name = reported.name;
    navigator.clipboard.writeText(shownText(reported)).then(
        () => say('Copied the report of ' + name + '.'),
        () => say('Could not copy: select the report and copy it, or download it.'));
});

// ---- Downloads ------------------------------------------------------------

// A name that fits: whole UTF-8 characters, the ending kept.
function fitted(base, ending) {
    const encoder = new TextEncoder();
    let bytes = encoder.encode(ending).length;
    let name = '';
    for (const char of base) {
        bytes += encoder.encode(char).length;
        if (bytes > DOWNLOAD_BYTES)
            break;
        name += char;
    }
    return name + ending;
}

function save(parts, name, type) {
    const link = element('a');
    link.href = URL.createObjectURL(new Blob(parts, {type}));
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

$('download').addEventListener('click', () => {
    save([reported.report], fitted(reported.path.replace(/^.*\//, ''), '.adifinfo'), 'text/plain');
});
$('download-table').addEventListener('click', () => save([csv(rows())], 'adifinfo.csv', 'text/csv'));

// ---- Reading batches --------------------------------------------------------

// Gives the browser its turn: to draw, and to take input.
const channel = new MessageChannel();
const turns = [];
channel.port1.onmessage = () => turns.shift()();
function giveWay() {
    return new Promise((resolve) => {
        turns.push(resolve);
        channel.port2.postMessage(null);
    });
}

let drawing = null;
function draw() {
    if (drawing === null) {
        drawing = setTimeout(() => {
            drawing = null;
            table.rows = null;
            drawFilter();
            drawTable();
        }, DRAW_EVERY_MS);
    }
}

// Files one after another, in the order given; each batch after the one
// before, and none stopped by a file that fails. Clear stops the batches.
let queue = Promise.resolve();
let generation = 0;
function open(entries) {
    const mine = generation;
    if (entries.length === 0) {
        say('There were no files in what was chosen: an empty folder has none to read.');
        return;
    }
    queue = queue.then(() => readBatch(entries, mine)).catch((error) => {
        say('Could not read the files: ' + why(error));
    });
}

async function readBatch(entries, mine) {
    if (mine !== generation)
        return;
    const total = entries.length;
    const ahead = [];
    let slice = performance.now();
    say('Reading ' + plural(total, 'file') + '…');
    for (let i = 0; i < total; i++) {
        while (ahead.length < Math.min(i + READ_AHEAD, total))
            ahead.push(readAhead(entries[ahead.length]));
        const entry = entries[i];
        const result = await inspect(entry, await ahead[i]);
        if (mine !== generation)
            return;
        ahead[i] = null;
        entries[i] = null;
        records.push(row({...result, path: entry.path, name: result.name || entry.path}, records.length));
        if (performance.now() - slice > SLICE) {
            say('Reading ' + count(i + 1) + ' of ' + plural(total, 'file') + '…');
            document.body.dataset.reported = records.length;
            draw();
            await giveWay();
            if (mine !== generation)
                return;
            slice = performance.now();
        }
    }
    document.body.dataset.reported = records.length;
    // The line counts every file in the table; a later batch says how many
    // it added.
    say(batchLine(records, total));
    clearTimeout(drawing);
    drawing = null;
    table.rows = null;
    drawFilter();
    drawTable();
    $('clear').hidden = false;
    if (total === 1)
        showReport(records[records.length - 1], null);
}

// A folder's files come in name order, each under its path in it.
function chosen(input) {
    const files = Array.from(input.files, (file) => ({file, path: file.webkitRelativePath || file.name}));
    input.value = '';
    if (input.webkitdirectory)
        files.sort((a, b) => a.path.localeCompare(b.path));
    open(files);
}
for (const [button, input] of [['choose-files', 'files'], ['choose-folder', 'folder']]) {
    $(button).addEventListener('click', () => $(input).click());
    $(input).addEventListener('change', () => chosen($(input)));
}

$('clear').addEventListener('click', () => {
    generation++;
    records.length = 0;
    reported = null;
    opener = null;
    table.rows = null;
    table.page = 0;
    drawRows([]);
    $('report-section').hidden = true;
    $('report-text').textContent = '';
    $('files-section').hidden = true;
    $('clear').hidden = true;
    document.body.dataset.reported = 0;
    say('Cleared.');
    $('choose-files').focus();
});

// A dropped folder is walked where the browser lets a page read one: its
// files in name order, each under its path in the folder. An entry the
// browser cannot read is a file that is unreadable, with the reason.
function entryFiles(entry) {
    const path = entry.fullPath.replace(/^\//, '');
    const unread = (error) => [{path, reason: 'the browser could not read it' + (error && error.message ? ': ' +
                                                                                error.message : '')}];
    if (entry.isFile)
        return new Promise((resolve) => entry.file((file) => resolve([{file, path}]), (error) => resolve(unread(error))));
    const folder = entry.createReader();
    const all = [];
    const walk = () => new Promise((resolve, reject) => folder.readEntries(resolve, reject)).then((batch) => {
        if (batch.length === 0)
            return null;
        all.push(...batch);
        return walk();
    });
    return walk().then(() => {
        all.sort((a, b) => a.name.localeCompare(b.name));
        return Promise.all(all.map(entryFiles)).then((lists) => lists.flat());
    }, unread);
}

const drop = $('drop');
document.addEventListener('dragover', (event) => {
    event.preventDefault();
    drop.classList.add('over');
});
document.addEventListener('dragleave', () => drop.classList.remove('over'));
document.addEventListener('drop', (event) => {
    event.preventDefault();
    drop.classList.remove('over');
    const transfer = event.dataTransfer;
    // The entries must be taken while the event lasts.
    const entries = Array.from(transfer.items, (item) => item.webkitGetAsEntry && item.webkitGetAsEntry());
    if (entries.length > 0 && entries.every(Boolean))
        Promise.all(entries.map(entryFiles)).then((lists) => open(lists.flat()));
    else
        open(Array.from(transfer.files, (file) => ({file, path: file.name})));
});

// Before any file is chosen there is no table: the link goes to where files
// are chosen.
$('skip').addEventListener('click', (event) => {
    event.preventDefault();
    if ($('files-section').hidden)
        $('choose-files').focus();
    else
        $('files-section').focus();
});

drawColumns();
