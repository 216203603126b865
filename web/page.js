// SPDX-License-Identifier: MIT
// The page: files in, through the file inputs or dropped anywhere on the
// page (folders too); for each, what it is in plain words, in a table of the
// whole batch that sorts, filters and downloads as CSV, and its exact report
// on demand. Each file is read only as far as a header can span, and run by
// one instance of the module (run.js). Untrusted text only ever reaches the
// page as text, as written (textAsWritten).
//
// For tests: window.adifinfo.results holds, per file, {path, name, status,
// word, output, shown, read (the bytes given to the tool), delivered (the
// bytes the browser handed over), reason, programs, bitrate, variableRate}, and
// <body data-reported> counts the files reported since the last Clear.
// window.adifinfo also gives the four words (words, and meanings) and
// textAsWritten, as the page uses them.
import {ADIFINFO_WORDS, adifinfoCode, describe, readBlob, readerOf, reportAdifinfo, startAdifinfo, textAsWritten} from
    './run.js';

(function () {
    // Files being read while the tool runs.
    const READ_AHEAD = 32;
    const PAGE = 100;
    // A task on the main thread gives way after this many milliseconds.
    const SLICE = 12;
    // The longest download name: the browser adds to it while it saves
    // (".crdownload"), and a file system takes 255 bytes.
    const DOWNLOAD_BYTES = 200;

    const $ = (id) => document.getElementById(id);
    const progress = $('progress');
    const results = [];
    window.adifinfo = {results, words: ADIFINFO_WORDS.map((w) => w.word), meanings: ADIFINFO_WORDS, textAsWritten};

    // The module, compiled as the page loads, and one instance of it for every
    // file; a failure to make one, or a run that fails, is the file's, and the
    // next file tries again with a new one.
    const code = adifinfoCode();
    let compiling = WebAssembly.compile(code);
    let instance = null;
    async function tool() {
        if (instance === null) {
            try {
                instance = startAdifinfo(await compiling);
            } catch (error) {
                compiling = WebAssembly.compile(code);
                throw error;
            }
        }
        return instance;
    }

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

    function plural(count, one) {
        return count.toLocaleString('en') + ' ' + one + (count === 1 ? '' : 's');
    }

    // Kilobits a second, as a number a spreadsheet takes.
    function kilobits(bits) {
        return String(bits / 1000);
    }

    // Each column of the table: its title; what a file shows in it, a line
    // (text) or a line a program (lines), which keep their places across
    // the row, empty ones too; and the key it sorts by, worked out once a
    // file. The phrases are the module's (inWords): the page only shows them.
    const collator = new Intl.Collator('en', {numeric: true});
    const first = (record, value, none) => (record.programs.length ? value(record.programs[0]) : none);
    const cut = (text) => (text.length > 60 ? text.slice(0, 59) + '…' : text);
    const COLUMNS = [
        {title: 'Name', text: (r) => r.name, key: (r) => r.name},
        {title: 'Status', text: (r) => r.word, key: (r) => window.adifinfo.words.indexOf(r.word)},
        {title: 'What it is', text: (r) => r.inWords.kind || '', key: (r) => r.inWords.kind || ''},
        {title: 'Programs', text: (r) => (r.programs.length ? String(r.programs.length) : ''),
         key: (r) => r.programs.length},
        {title: 'Profile', lines: (r) => r.inWords.programs.map((p) => p.profile),
         key: (r) => first(r, (p) => p.profile, -1)},
        {title: 'Sampling rate', lines: (r) => r.inWords.programs.map((p) => p.samplingRate),
         key: (r) => first(r, (p) => p.hertz || 0, -1)},
        {title: 'Channels', lines: (r) => r.inWords.programs.map((p) => p.channels),
         key: (r) => first(r, (p) => p.channels, -1)},
        {title: 'Speakers', lines: (r) => r.inWords.programs.map((p) => p.speakers),
         key: (r) => first(r, (p) => (p.speakers ? p.speakers.join(' ') : '~'), '')},
        {title: 'Bitrate', text: (r) => r.inWords.bitrate || '', key: (r) => (r.bitrate === null ? -1 : r.bitrate)},
        {title: 'Duration', text: (r) => r.inWords.duration || '',
         key: (r) => (r.durationSeconds === null ? -1 : r.durationSeconds)},
        {title: 'Comment', lines: (r) => r.programs.map((p) => cut(p.comment)),
         key: (r) => r.programs.map((p) => p.comment).join('; ')},
    ];
    // The CSV's columns, headed in words; several programs give a cell one
    // value a program, separated by "; ".
    const each = (record, value) => record.programs.map(value).join('; ');
    const CSV_COLUMNS = [
        ['Name', (r) => r.name],
        ['Status', (r) => r.word],
        ['What the file is', (r) => r.inWords.kind || ''],
        ['Programs', (r) => (r.programs.length ? String(r.programs.length) : '')],
        ['Profile', (r) => each(r, (p) => p.profileName)],
        ['Sampling rate (Hz)', (r) => each(r, (p) => (p.hertz !== null ? String(p.hertz)
                                                                          : 'reserved index ' + p.samplingRateIndex))],
        ['Channels', (r) => each(r, (p) => String(p.channels))],
        ['Front', (r) => each(r, (p) => String(p.front))],
        ['Side', (r) => each(r, (p) => String(p.side))],
        ['Back', (r) => each(r, (p) => String(p.back))],
        ['LFE', (r) => each(r, (p) => String(p.lfe))],
        ['Layout', (r) => each(r, (p) => p.layout || '')],
        ['Speakers', (r) => each(r, (p) => (p.speakers === null ? 'not named' : p.speakers.join(' ')))],
        ['Bitrate (kb/s)', (r) => (r.bitrate === null ? '' : kilobits(r.bitrate))],
        ['Bitrate type', (r) => (r.bitrate === null ? '' : r.variableRate ? 'variable' : 'constant')],
        ['Duration (seconds)', (r) => (r.durationSeconds === null ? '' : String(Math.round(r.durationSeconds * 1000) / 1000))],
        ['Duration is a minimum', (r) => (r.durationSeconds === null ? '' : r.durationIsMinimum ? 'yes' : 'no')],
        ['Comment', (r) => each(r, (p) => p.comment)],
    ];

    // The table: filtered, sorted, a page at a time. Sorting compares the keys
    // each file was given as it came in.
    const table = {filter: 'all', column: null, descending: false, page: 0, view: null};
    function view() {
        if (table.view === null) {
            table.view = table.filter === 'all' ? results.slice() : results.filter((r) => r.word === table.filter);
            if (table.column !== null) {
                const i = table.column;
                const sign = table.descending ? -1 : 1;
                const numbers = table.view.length > 0 && typeof table.view[0].keys[i] === 'number';
                table.view.sort(numbers ? (a, b) => sign * (a.keys[i] - b.keys[i]) || a.index - b.index
                                        : (a, b) => sign * collator.compare(a.keys[i], b.keys[i]) || a.index - b.index);
            }
        }
        return table.view;
    }

    function element(name, content, className) {
        const made = document.createElement(name);
        if (content !== undefined)
            made.textContent = content;
        if (className)
            made.className = className;
        return made;
    }

    // The headings are made once: a sort marks its heading, and the button
    // that was pressed keeps the focus, so that pressing it again reverses
    // the order.
    function drawColumns() {
        const headings = COLUMNS.map((column, i) => {
            const heading = element('th');
            heading.scope = 'col';
            const button = element('button', column.title);
            button.type = 'button';
            button.addEventListener('click', () => {
                table.descending = table.column === i ? !table.descending : false;
                table.column = i;
                table.view = null;
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
        const counts = {};
        for (const record of results)
            counts[record.word] = (counts[record.word] || 0) + 1;
        const filter = $('filter');
        filter.replaceChildren(...['all', ...window.adifinfo.words].map((word) => {
            const option = element('option', (word === 'all' ? 'all files' : word) + ' (' +
                                             (word === 'all' ? results.length : counts[word] || 0).toLocaleString('en') + ')');
            option.value = word;
            option.selected = word === table.filter;
            return option;
        }));
    }

    function drawTable() {
        const rows = view();
        const pages = Math.max(1, Math.ceil(rows.length / PAGE));
        table.page = Math.min(table.page, pages - 1);
        const shown = rows.slice(table.page * PAGE, (table.page + 1) * PAGE);
        $('rows').replaceChildren(...shown.map((record) => {
            const row = element('tr', undefined, record.word.replace(' ', '-'));
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
                    cell.append(...column.lines(record).map((line) => {
                        const span = element('span', line, 'line');
                        span.title = line;
                        return span;
                    }));
                } else {
                    cell.textContent = column.text(record);
                }
                row.append(cell);
            });
            return row;
        }));
        const from = rows.length ? table.page * PAGE + 1 : 0;
        $('table-caption').textContent = (table.filter === 'all' ? 'All files' : 'Files ' + table.filter) + ': ' +
            (rows.length > PAGE ? from.toLocaleString('en') + '–' + (from + shown.length - 1).toLocaleString('en') + ' of ' : '') +
            plural(rows.length, 'file');
        $('page-number').textContent = 'Page ' + (table.page + 1) + ' of ' + pages;
        $('previous').disabled = table.page === 0;
        $('next').disabled = table.page >= pages - 1;
        $('files-section').hidden = results.length === 0;
    }

    $('filter').addEventListener('change', () => {
        table.filter = $('filter').value;
        table.view = null;
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

    // One file's report, and what it is in plain words.
    let reported = null;
    let opener = null;
    // The summary: each term and what it says, every phrase the module's.
    const sentence = (text) => text[0].toUpperCase() + text.slice(1) + (/[.!?]$/.test(text) ? '' : '.');
    function summaryOf(record) {
        const list = element('dl');
        const add = (to, term, description) => to.append(element('dt', term), element('dd', description));
        const meaning = ADIFINFO_WORDS.find((w) => w.word === record.word).meaning;
        add(list, 'Status', sentence(meaning + (record.reason ? ': ' + record.reason : '')));
        if (record.inWords.about !== null)
            add(list, 'What it is', sentence(record.inWords.about));
        if (record.kind === 'text' && record.headerRead)
            add(list, 'Report', 'The tool read this text as an ADIF header, and its report shows what it found: ' +
                                'numbers that mean nothing here.');
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
                add(one, 'Note', sentence(words.note));
            add(one, 'Channels', words.channels);
            add(one, 'Speakers', words.speakers);
            add(one, 'Comment', p.comment === '' ? 'none' : p.comment);
            parts.push(one);
        });
        return parts;
    }
    function showReport(record, from) {
        reported = record;
        opener = from;
        $('report-name').textContent = record.name;
        $('report-status').textContent = record.word;
        $('report-status').className = 'status ' + record.word.replace(' ', '-');
        $('report-summary').replaceChildren(...summaryOf(record));
        const has = record.output !== null;
        $('report-text').textContent = has ? shownText(record) : '';
        $('report-text').hidden = !has;
        $('report-exact').hidden = !has;
        $('copy').disabled = !has;
        $('download').disabled = !has;
        $('report-section').hidden = false;
        $('report-section').focus();
    }
    function shownText(record) {
        if (record.shown !== null)
            return record.shown;
        let text = '';
        for (const byte of record.output)
            text += String.fromCharCode(byte);
        return text;
    }
    $('back').addEventListener('click', (event) => {
        event.preventDefault();
        if (opener !== null && opener.isConnected)
            opener.focus();
        else
            $('files-section').focus();
    });

    function say(message) {
        progress.textContent = message;
    }

    $('copy').addEventListener('click', () => {
        const name = reported.name;
        navigator.clipboard.writeText(shownText(reported)).then(
            () => say('Copied the report of ' + name + '.'),
            () => say('Could not copy: select the report and copy it, or download it.'));
    });

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
        save([reported.output], fitted(reported.path.replace(/^.*\//, ''), '.adifinfo'), 'text/plain');
    });

    // RFC 4180: a field with a comma, a quote or a line break in quotes, its
    // quotes doubled; lines end in CRLF. A field that a spreadsheet would take
    // for a formula gets a ' in front.
    function csvField(text) {
        const safe = /^[=+\-@\t\r]/.test(text) ? "'" + text : text;
        return /[",\r\n]/.test(safe) ? '"' + safe.replace(/"/g, '""') + '"' : safe;
    }
    function csv() {
        const lines = [CSV_COLUMNS.map(([title]) => csvField(title)).join(',')];
        for (const record of view())
            lines.push(CSV_COLUMNS.map(([, value]) => csvField(value(record))).join(','));
        return '\ufeff' + lines.join('\r\n') + '\r\n';
    }
    $('download-table').addEventListener('click', () => save([csv()], 'adifinfo.csv', 'text/csv'));

    // The start of a file, as bytes, and whether the file ends there, its
    // size, and what follows an ID3v2 tag that runs past the start; or why it
    // could not be read (readBlob).
    async function readStart(entry) {
        if (entry.reason !== undefined)
            return {reason: entry.reason};
        let made;
        try {
            made = await tool();
        } catch (error) {
            return {reason: 'the tool could not run here: ' + (error && error.message ? error.message : error)};
        }
        try {
            return await readBlob(made, entry.file);
        } catch (error) {
            // The browser says no more than that it failed: a folder given
            // as a file fails so, as does a file that went away or changed.
            return {reason: error instanceof TypeError
                                ? 'it could not be read: a folder is read with "Choose a folder", or dropped on ' +
                                  'the page; a file that went away or changed after it was chosen, or that the ' +
                                  'system refused to read, must be chosen again'
                                : error.message};
        }
    }

    // What the page keeps of a file: the tool's report and summary, and the
    // keys the table sorts it by.
    function kept(record) {
        record.keys = COLUMNS.map((column) => column.key(record));
        return record;
    }
    async function inspect(entry, start) {
        const unreadable = (reason) => ({status: 2, output: null, shown: null, read: 0, reason, ...describe(null)});
        if (start.reason !== undefined)
            return unreadable(start.reason);
        try {
            const input = () => readerOf(start.bytes, start.ended, null);
            const report = reportAdifinfo(await tool(), entry.file.name, input, start.bytes, start.size, start.next);
            let same = true;
            for (let i = 0; same && i < report.output.length; i++)
                same = report.output[i] === report.shown.charCodeAt(i);
            // Most reports are shown as they are: kept once, as bytes.
            return {...report, shown: same ? null : report.shown, read: start.bytes.length, delivered: start.delivered,
                    reason: null};
        } catch (error) {
            instance = null;
            return unreadable('the tool could not run here: ' + (error && error.message ? error.message : error));
        }
    }

    // Drawing waits for a pause in the work, at most this often.
    let drawing = null;
    function draw() {
        if (drawing === null) {
            drawing = setTimeout(() => {
                drawing = null;
                table.view = null;
                drawFilter();
                drawTable();
            }, 250);
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
        queue = queue.then(() => read(entries, mine)).catch((error) => {
            say('Could not read the files: ' + (error && error.message ? error.message : error));
        });
    }
    async function read(entries, mine) {
        if (entries.length === 0 || mine !== generation)
            return;
        const total = entries.length;
        const counts = {};
        const starts = [];
        let slice = performance.now();
        say('Reading ' + plural(total, 'file') + '…');
        for (let i = 0; i < total; i++) {
            while (starts.length < Math.min(i + READ_AHEAD, total))
                starts.push(readStart(entries[starts.length]));
            const entry = entries[i];
            const result = await inspect(entry, await starts[i]);
            if (mine !== generation)
                return;
            starts[i] = null;
            entries[i] = null;
            results.push(kept({index: results.length, path: entry.path, name: textAsWritten(entry.path), ...result}));
            if (performance.now() - slice > SLICE) {
                say('Reading ' + (i + 1).toLocaleString('en') + ' of ' + plural(total, 'file') + '…');
                draw();
                await giveWay();
                if (mine !== generation)
                    return;
                slice = performance.now();
            }
            document.body.dataset.reported = results.length;
        }
        // The line counts every file in the table; a later batch says how many
        // it added.
        for (const record of results)
            counts[record.word] = (counts[record.word] || 0) + 1;
        const parts = window.adifinfo.words.filter((word) => counts[word]).map((word) => counts[word].toLocaleString('en') + ' ' + word);
        say('Reported ' + (total === results.length ? plural(total, 'file')
                                                    : plural(total, 'more file') + ', ' + results.length.toLocaleString('en') + ' in all') +
            ': ' + parts.join(', ') + '.');
        clearTimeout(drawing);
        drawing = null;
        table.view = null;
        drawFilter();
        drawTable();
        $('clear').hidden = false;
        if (total === 1)
            showReport(results[results.length - 1], null);
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
        results.length = 0;
        reported = null;
        opener = null;
        table.view = null;
        table.page = 0;
        $('rows').replaceChildren();
        $('report-section').hidden = true;
        $('report-text').textContent = '';
        $('files-section').hidden = true;
        $('clear').hidden = true;
        document.body.dataset.reported = 0;
        say('Cleared.');
        $('choose-files').focus();
    });

    // A dropped folder is walked where the browser lets a page read one:
    // its files in name order, each under its path in the folder. An entry the
    // browser cannot read is a file that is unreadable, with the reason.
    function entryFiles(entry) {
        const path = entry.fullPath.replace(/^\//, '');
        const failed = (error) => [{path, reason: 'the browser could not read it' +
                                                   (error && error.message ? ': ' + error.message : '')}];
        if (entry.isFile) {
            return new Promise((resolve) => entry.file((file) => resolve([{file, path}]),
                                                       (error) => resolve(failed(error))));
        }
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
        }, failed);
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
        if (entries.length > 0 && entries.every(Boolean)) {
            Promise.all(entries.map(entryFiles)).then((lists) => open(lists.flat()));
        } else {
            open(Array.from(transfer.files, (file) => ({file, path: file.name})));
        }
    });

    // Before any file is chosen there is no table: the link goes to where
    // files are chosen.
    $('skip').addEventListener('click', (event) => {
        event.preventDefault();
        if ($('files-section').hidden)
            $('choose-files').focus();
        else
            $('files-section').focus();
    });

    drawColumns();
})();
