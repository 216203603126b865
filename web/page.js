// SPDX-License-Identifier: MIT
// The page: files in, through the file inputs or dropped anywhere on the
// page (folders too), and for each its name, its report and its status in
// words, in the order given. Each file is read only as far as a header can
// span, and each gets a fresh run of the module escaped as on a terminal,
// which is what the page shows, and where that escaped anything, a second for
// the report's own bytes (Copy, Download). Untrusted bytes only ever reach the page as text.
//
// For tests: window.adifinfo.results holds, per file, {path, status, output,
// shown, read: the bytes read of it}, window.adifinfo.statusWords the word for
// each status, and <body data-reported> counts the files reported so far.
'use strict';
(function () {
    // More than any ADIF header can span: 16 program config elements, each with
    // every element list full and a 255-byte comment, come to under 5 KB.
    const SPAN = 65536;
    const READ_AHEAD = 16;
    // Up to this many files at once, every report shows open; of more, each
    // file shows as its name and status, and opens to its report.
    const OPEN_AT_MOST = 20;
    const reports = document.getElementById('reports');
    const progress = document.getElementById('progress');
    const clear = document.getElementById('clear');
    const results = [];
    const links = [];
    window.adifinfo = {results, statusWords: ADIFINFO_STATUS.map((status) => status.word)};

    // Compiled once, as the page loads; each file gets a fresh instance of it.
    const compiling = compileAdifinfo(createAdifinfo);

    // The tool's reader over the start of a file. Past what was read, the
    // file's end if it ends there; if it does not (no header gets so far),
    // a failed read rather than a wrong report.
    function reader(bytes, size) {
        let at = 0;
        return () => {
            if (at < bytes.length)
                return bytes[at++];
            if (bytes.length < size)
                throw new Error('past the part of the file that was read');
            return null;
        };
    }

    // The start of a file, as bytes, or the reason the browser could not read it.
    function readStart(file) {
        return file.slice(0, SPAN).arrayBuffer().then((buffer) => ({bytes: new Uint8Array(buffer)}),
                                                       (error) => ({reason: error.message}));
    }

    async function inspect(file, start) {
        if (start.reason !== undefined)
            return {status: 2, output: null, shown: null, read: 0, reason: start.reason};
        const compiled = await compiling;
        const run = (terminal) => runAdifinfo(createAdifinfo, compiled, {
            args: [file.name],
            input: reader(start.bytes, file.size),
            terminal,
        });
        // Escaped, the report is printable ASCII and line ends only, and every
        // byte that escaping changed reads \xhh: with no "\x" in it, nothing
        // was changed, and the report's own bytes are these. Most reports so
        // take one run, not two.
        const escaped = await run(true);
        const shown = String.fromCharCode(...escaped.output);
        const raw = shown.includes('\\x') ? await run(false) : escaped;
        return {status: raw.status, output: raw.output, shown, read: start.bytes.length};
    }

    function text(bytes) {
        try {
            return new TextDecoder('utf-8', {fatal: true}).decode(bytes);
        } catch (error) {
            return null;
        }
    }

    function element(name, className, content) {
        const made = document.createElement(name);
        if (className)
            made.className = className;
        if (content !== undefined)
            made.textContent = content;
        return made;
    }

    // open: the report shows at once; otherwise its name and status do, and
    // the report is one click (or Enter) away.
    function render(path, result, index, open) {
        const meaning = ADIFINFO_STATUS[result.status];
        const item = element('li', 'report ' + meaning.word.toLowerCase());
        const heading = element('h3', '', escapeForTerminal(path));
        heading.id = 'report-' + index;
        item.setAttribute('aria-labelledby', heading.id);
        item.dataset.status = result.status;
        const status = element('p', 'status', meaning.word + ': ' + meaning.meaning + '.');
        if (result.reason)
            status.textContent += ' ' + result.reason;
        if (result.output === null) {
            item.append(heading, status);
            return item;
        }
        const details = element('details');
        details.open = open;
        const summary = element('summary');
        summary.append(heading, status);
        details.append(summary);
        item.append(details);

        const report = element('pre', '', result.shown);
        report.tabIndex = 0; // a report wider than the screen scrolls by keyboard too
        report.setAttribute('aria-label', 'Report of ' + heading.textContent);
        const actions = element('p', 'actions');
        const copy = element('button', '', 'Copy');
        copy.type = 'button';
        const copied = text(result.output);
        if (copied === null) {
            copy.disabled = true;
            actions.append(copy, ' ', element('span', 'hint', 'Not text: Download keeps its bytes.'));
        } else {
            copy.addEventListener('click', () => {
                navigator.clipboard.writeText(copied).then(
                    () => say('Copied the report of ' + heading.textContent + '.'),
                    () => say('Could not copy: select the report and copy it, or download it.'));
            });
            actions.append(copy);
        }
        const download = element('a', 'button', 'Download');
        download.href = URL.createObjectURL(new Blob([result.output], {type: 'text/plain'}));
        download.download = path.replace(/^.*\//, '') + '.adifinfo';
        links.push(download.href);
        actions.append(' ', download);
        details.append(report, actions);
        return item;
    }

    function say(message) {
        progress.textContent = message;
    }

    function plural(count, one) {
        return count + ' ' + one + (count === 1 ? '' : 's');
    }

    // Files one after another, in the order given, each report shown as it
    // comes; the summary is announced at the end.
    let queue = Promise.resolve();
    function open(entries) {
        queue = queue.then(async () => {
            if (entries.length === 0)
                return;
            say('Reading ' + plural(entries.length, 'file') + '…');
            const counts = [0, 0, 0];
            // The browser reads a few files ahead while the module runs.
            const starts = [];
            for (let i = 0; i < entries.length; i++) {
                while (starts.length < Math.min(i + READ_AHEAD, entries.length))
                    starts.push(readStart(entries[starts.length].file));
                const entry = entries[i];
                const result = await inspect(entry.file, await starts[i]);
                starts[i] = null;
                counts[result.status]++;
                results.push({path: entry.path, status: result.status, output: result.output,
                              shown: result.shown, read: result.read});
                reports.append(render(entry.path, result, results.length, entries.length <= OPEN_AT_MOST));
                document.body.dataset.reported = results.length;
            }
            const parts = counts.map((count, status) => count + ' ' + ADIFINFO_STATUS[status].word.toLowerCase())
                              .filter((part, status) => counts[status] > 0);
            say('Reported ' + plural(entries.length, 'file') + ': ' + parts.join(', ') + '.');
            clear.hidden = false;
        });
    }

    function chosen(input) {
        const files = Array.from(input.files, (file) => ({file, path: file.webkitRelativePath || file.name}));
        files.sort((a, b) => (input.webkitdirectory ? a.path.localeCompare(b.path) : 0));
        input.value = '';
        open(files);
    }
    for (const id of ['files', 'folder']) {
        const input = document.getElementById(id);
        input.addEventListener('change', () => chosen(input));
    }

    clear.addEventListener('click', () => {
        queue = queue.then(() => {
            links.splice(0).forEach((link) => URL.revokeObjectURL(link));
            reports.replaceChildren();
            results.length = 0;
            document.body.dataset.reported = 0;
            clear.hidden = true;
            say('Cleared.');
            document.getElementById('files').focus();
        });
    });

    // A dropped folder is walked where the browser lets a page read one:
    // its files in name order, each under its path in the folder.
    function entryFiles(entry) {
        if (entry.isFile) {
            return new Promise((resolve) => entry.file(
                (file) => resolve([{file, path: entry.fullPath.replace(/^\//, '')}]),
                () => resolve([])));
        }
        const folder = entry.createReader();
        const all = [];
        const more = () => new Promise((resolve) => folder.readEntries(resolve, () => resolve([])));
        const walk = () => more().then((batch) => {
            if (batch.length === 0)
                return;
            all.push(...batch);
            return walk();
        });
        return walk().then(() => {
            all.sort((a, b) => a.name.localeCompare(b.name));
            return Promise.all(all.map(entryFiles)).then((lists) => lists.flat());
        });
    }
    const drop = document.getElementById('drop');
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
})();
