// SPDX-License-Identifier: MIT
// The tool's WebAssembly module at work, shared by the page and the npm
// package: one instance runs the tool on file after file, each run the
// tool's whole run, as a process a file would be (the module's own main puts
// all of the tool's state back first, and closes the file after). What else
// the two share is here too: the meanings of the four words for what a file
// is, the summary of each file that the module makes (src/summary.h) as they
// give it, and names and comments shown as written.
//
// The module's host is this file, not emscripten's runtime: the module asks
// its host for the eleven things that ADIFINFO_IMPORTS names (the C
// library's few system calls, and one of the tool's own, in
// src/platform.cpp), answered here in a few lines each, where emscripten's
// runtime would build a whole file system first. The file named on the
// command line is opened by the host and read through a reader it supplies,
// only as far as the tool asks; what the tool writes to standard output is
// taken as bytes: the report is bytes, not text, and a comment need not be
// UTF-8.
import {ADIFINFO_WASM} from './wasm.js';

// What a file is, in four words, each with the exit statuses it goes with
// and what it means: the module decides which (src/summary.cpp), from the
// status, how far the tool got, and the file's first bytes. A text file is
// "not ADIF" whatever the tool made of it.
const ADIFINFO_WORDS = [
    {word: 'complete', statuses: [0], meaning: "the whole header was read from the file's own bytes"},
    {word: 'not ADIF', statuses: [1, 0],
     meaning: 'not an ADIF file: it does not start with "ADIF" ("Bad ADIF header ID"; most .aac files are ' +
              'ADTS, and .m4a and .mp4 files are MP4), or it is text, whatever its first letters and however ' +
              'far the tool read it (an amateur-radio log, say)'},
    {word: 'cut short', statuses: [1],
     meaning: 'the header runs past the end of the file: the report shows zeros for what is missing'},
    {word: 'unreadable', statuses: [2], meaning: 'the file could not be opened or read'},
];

// Characters that would mislead where text is shown as text: controls, and
// the marks that turn the direction of what follows or hide themselves.
function misleads(code) {
    return code < 0x20 || (code >= 0x7f && code <= 0x9f) || code === 0x61c || code === 0x200b ||
           code === 0x200e || code === 0x200f || (code >= 0x2028 && code <= 0x202e) ||
           (code >= 0x2060 && code <= 0x2069) || code === 0xfeff || (code >= 0xd800 && code <= 0xdfff);
}

function hex(value, width) {
    return value.toString(16).padStart(width, '0');
}

// Text from outside (a name, a comment) as written: UTF-8 as its characters;
// a control character as \xhh (C1 ones and the rest that mislead as \uhhhh);
// a byte that is not part of UTF-8 as \xhh. Bytes, or a string as a host
// gives a name.
function textAsWritten(text) {
    const written = (code) => (!misleads(code) ? String.fromCodePoint(code)
                                               : code < 0x80 ? '\\x' + hex(code, 2) : '\\u' + hex(code, 4));
    let shown = '';
    if (typeof text === 'string') {
        for (const char of text)
            shown += written(char.codePointAt(0));
        return shown;
    }
    const bytes = text;
    for (let i = 0; i < bytes.length;) {
        const first = bytes[i];
        const length = first < 0x80 ? 1 : first >= 0xc2 && first <= 0xdf ? 2 : first >= 0xe0 && first <= 0xef ? 3
                                         : first >= 0xf0 && first <= 0xf4 ? 4 : 0;
        let code = length === 1 ? first : first & (0xff >> (length + 1));
        let valid = length > 0 && i + length <= bytes.length;
        for (let k = 1; valid && k < length; k++) {
            valid = (bytes[i + k] & 0xc0) === 0x80;
            code = code << 6 | (bytes[i + k] & 0x3f);
        }
        // No overlong form, no surrogate, nothing past U+10FFFF.
        valid = valid && !(length === 3 && code < 0x800) && !(length === 4 && (code < 0x10000 || code > 0x10ffff)) &&
                !(code >= 0xd800 && code <= 0xdfff);
        if (!valid) {
            shown += '\\x' + hex(first, 2);
            i++;
            continue;
        }
        shown += written(code);
        i += length;
    }
    return shown;
}

// What the module says of a file (its summary, as JSON: src/summary.h), as
// the page and the library give it: the facts, and the same in plain words
// (inWords). A comment comes as one character a byte, and is shown as
// written. null, for a file that the tool was not run on, is an unreadable
// one.
function describe(summary) {
    const s = summary || {word: 'unreadable', kind: null, afterTag: null, radioLog: false, kindName: null,
                          kindText: null, headerRead: false, bitrate: null, variableRate: null, bitrateText: null,
                          durationSeconds: null, durationIsMinimum: null, durationText: null, programs: []};
    const bytes = (text) => {
        const all = new Uint8Array(text.length);
        for (let i = 0; i < text.length; i++)
            all[i] = text.charCodeAt(i);
        return all;
    };
    return {
        word: s.word,
        kind: s.kind,
        afterTag: s.afterTag,
        radioLog: s.radioLog,
        headerRead: s.headerRead,
        bitrate: s.bitrate,
        variableRate: s.variableRate,
        durationSeconds: s.durationSeconds,
        durationIsMinimum: s.durationIsMinimum,
        programs: s.programs.map((p) => ({
            tag: p.tag, profile: p.profile, profileName: p.profileName, samplingRateIndex: p.samplingRateIndex,
            hertz: p.hertz, channels: p.channels, front: p.front, side: p.side, back: p.back, lfe: p.lfe,
            layout: p.layout, speakers: p.speakers, comment: textAsWritten(bytes(p.comment)),
        })),
        inWords: {
            kind: s.kindName,
            about: s.kindText,
            bitrate: s.bitrateText,
            duration: s.durationText,
            programs: s.programs.map((p) => ({profile: p.profileName, samplingRate: p.hertzText,
                                              channels: p.channelsText, speakers: p.speakersText, note: p.note})),
        },
    };
}

// The module's code, as bytes: wasm.js, which the build writes, holds it
// as base64, so that a page that opens from disk, and a bundler, take it as
// they take any script.
function adifinfoCode() {
    const binary = atob(ADIFINFO_WASM);
    const code = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; i++)
        code[i] = binary.charCodeAt(i);
    return code;
}

// What the module asks of its host, by name: a host that answers fewer, or
// others, is not this module's (web/assemble.js checks this when it builds).
const ADIFINFO_IMPORTS = {
    env: ['host_stdout_is_terminal', '__syscall_open', '__syscall_fcntl64', '__syscall_ioctl',
          'emscripten_memcpy_big', 'emscripten_resize_heap', 'setTempRet0'],
    wasi_snapshot_preview1: ['fd_write', 'fd_read', 'fd_close', 'fd_seek'],
};

// The C library's error numbers, as this module's C library has them.
const ERRNO = {badf: 8, io: 29, noent: 44, notty: 59, spipe: 70};
const INPUT = 3; // the one file the tool opens

// Text that is ASCII, from its bytes.
const ascii = new TextDecoder();

// Bytes written in pieces, kept in one array that grows: add(piece),
// bytes(), a copy of all of them, and empty(), to start again (the array
// kept for the next run).
function collector() {
    let all = new Uint8Array(0);
    let length = 0;
    return {
        empty() {
            length = 0;
            return this;
        },
        add(piece) {
            if (length + piece.length > all.length) {
                const more = new Uint8Array(Math.max(1024, 2 * (length + piece.length)));
                more.set(all.subarray(0, length));
                all = more;
            }
            all.set(piece, length);
            length += piece.length;
        },
        bytes: () => all.slice(0, length),
    };
}

// Chunks of bytes, as one array.
function joined(chunks) {
    const all = new Uint8Array(chunks.reduce((sum, chunk) => sum + chunk.length, 0));
    let at = 0;
    for (const chunk of chunks) {
        all.set(chunk, at);
        at += chunk.length;
    }
    return all;
}

function utf8(text) {
    return typeof text === 'string' ? new TextEncoder().encode(text) : Uint8Array.from(text);
}

// startAdifinfo(compiled) makes an instance of the tool: {run(options),
// span, nextSpan, after(start, size), summarize(status, start, size, next)}.
// run({args, input, terminal}) runs the tool with the command line args
// (the words after the program's name, each a string or its bytes) and
// returns {status, output, errors}: its exit status and the bytes it wrote
// to standard output and to standard error. Runs are synchronous, and so one
// after another. summarize gives the
// summary (describe) of the file of the last run, which ended with status:
// start, the file's first bytes (span of them serve: as many as were read
// of it), size, its size in bytes (-1 where not known), and next, where
// after(start, size) asked for them, the nextSpan bytes (or fewer) at the
// offset it gave, or null: what follows an ID3v2 tag that runs past start.
// after gives -1 where nothing more is to be read.
//
// input reads the file that args[0] names, opened by the host: given a
// Uint8Array, it fills its start with the next bytes of the file and returns
// how many (0 at the end of the file), and throws when the file cannot be
// read, which the tool takes as a failed read. Without input, the host could
// not open args[0], and the tool finds nothing of that name: it answers
// "cant open" as it would on its own.
//
// terminal: the output is for a terminal (or shown on a page), and the tool
// escapes outside text as it does for one.
function startAdifinfo(compiled) {
    let exports = null;
    let current = null;
    const output = collector();
    const errors = collector();
    // Views of the module's memory, made again when it grows (only
    // emscripten_resize_heap grows it).
    let bytes = null;
    let data = null;
    const see = () => {
        bytes = new Uint8Array(exports.memory.buffer);
        data = new DataView(exports.memory.buffer);
    };
    const memory = () => bytes;
    const view = () => data;
    // The bytes of each iovec, in turn: (pointer, length) pairs at iovs.
    function* vectors(iovs, count) {
        const data = view();
        for (let i = 0; i < count; i++)
            yield [data.getUint32(iovs + 8 * i, true), data.getUint32(iovs + 8 * i + 4, true)];
    }
    const env = {
        host_stdout_is_terminal: () => (current.terminal ? 1 : 0),
        // open(path, flags, ...): the file named on the command line, where
        // the host opened it; nothing else.
        __syscall_open(path) {
            const bytes = memory();
            const end = bytes.indexOf(0, path);
            const name = bytes.subarray(path, end);
            const wanted = current.name;
            const same = current.input && !current.opened && name.length === wanted.length &&
                         name.every((byte, i) => byte === wanted[i]);
            if (!same)
                return -ERRNO.noent;
            current.opened = true;
            return INPUT;
        },
        __syscall_fcntl64: () => 0,
        // No terminal ioctl: standard output is buffered whatever it is, and
        // the tool flushes it.
        __syscall_ioctl: () => -ERRNO.notty,
        emscripten_memcpy_big(to, from, count) {
            memory().copyWithin(to, from, from + count);
        },
        // The tool itself needs no more memory than it starts with; a long
        // command line may (run).
        emscripten_resize_heap(requested) {
            const more = Math.ceil(((requested >>> 0) - exports.memory.buffer.byteLength) / 65536);
            try {
                exports.memory.grow(Math.max(more, 0));
                see();
                return 1;
            } catch (error) {
                return 0;
            }
        },
        setTempRet0: () => {},
    };
    const wasi = {
        fd_write(fd, iovs, count, written) {
            if (fd !== 1 && fd !== 2)
                return ERRNO.badf;
            let total = 0;
            for (const [at, length] of vectors(iovs, count)) {
                (fd === 1 ? current.output : current.errors).add(memory().subarray(at, at + length));
                total += length;
            }
            view().setUint32(written, total, true);
            return 0;
        },
        fd_read(fd, iovs, count, read) {
            if (fd !== INPUT)
                return ERRNO.badf;
            let total = 0;
            try {
                for (const [at, length] of vectors(iovs, count)) {
                    if (length === 0)
                        continue;
                    const got = current.input(memory().subarray(at, at + length));
                    total += got;
                    if (got < length)
                        break;
                }
            } catch (error) {
                return ERRNO.io;
            }
            view().setUint32(read, total, true);
            return 0;
        },
        fd_close: () => 0,
        fd_seek: () => ERRNO.spipe,
    };
    const instance = new WebAssembly.Instance(compiled, {env, wasi_snapshot_preview1: wasi});
    exports = instance.exports;
    see();
    exports.__wasm_call_ctors();

    // main's words, in memory of their own, however long (a name need not
    // fit on the module's stack), let go after the run.
    function run(options) {
        const args = ['adifinfo', ...options.args].map(utf8);
        current = {output: output.empty(), errors: errors.empty(), input: options.input || null, opened: false,
                   name: args.length > 1 ? args[1] : null, terminal: Boolean(options.terminal)};
        const words = exports.malloc(4 * (args.length + 1) + args.reduce((sum, word) => sum + word.length + 1, 0));
        try {
            if (words === 0)
                throw new Error('no memory for the command line');
            let at = words + 4 * (args.length + 1);
            args.forEach((word, i) => {
                memory().set(word, at);
                memory()[at + word.length] = 0;
                view().setUint32(words + 4 * i, at, true);
                at += word.length + 1;
            });
            view().setUint32(words + 4 * args.length, 0, true);
            const status = exports.main(args.length, words);
            return {status, output: current.output.bytes(), errors: current.errors.bytes()};
        } finally {
            exports.free(words);
            current = null;
        }
    }
    const span = exports.adifinfo_start_size();
    const nextSpan = exports.adifinfo_next_size();
    function after(start, size) {
        const count = Math.min(start.length, span);
        memory().set(start.subarray(0, count), exports.adifinfo_start());
        const tag = exports.adifinfo_tag_length(count);
        return tag > 0 && tag >= count && (size < 0 || tag < size) ? tag : -1;
    }
    function summarize(status, start, size, next) {
        const count = Math.min(start.length, span);
        memory().set(start.subarray(0, count), exports.adifinfo_start());
        const nextCount = next ? Math.min(next.length, nextSpan) : 0;
        if (nextCount > 0)
            memory().set(next.subarray(0, nextCount), exports.adifinfo_next());
        const at = exports.adifinfo_summarize(status, count, nextCount, size);
        if (at === 0)
            throw new Error('the summary did not fit');
        // ASCII: a comment's bytes come as \u00hh.
        const json = ascii.decode(memory().subarray(at, memory().indexOf(0, at)));
        return describe(JSON.parse(json));
    }
    return {run, span, nextSpan, after, summarize};
}

// The tool's reader (see startAdifinfo) over the start of a file, bytes: past
// them, the end of the file where it ends there (ended), and a failed read
// where it does not (no header gets so far), or where reading it failed
// (failure, the error).
function readerOf(bytes, ended, failure) {
    let at = 0;
    return (into) => {
        if (at === bytes.length && (failure || !ended))
            throw failure || new Error('past the part of the file that was read');
        const count = Math.min(into.length, bytes.length - at);
        into.set(bytes.subarray(at, at + count));
        at += count;
        return count;
    };
}

// Reports one file as the page and the library show it: the tool run as on
// a terminal for what is shown, and where that escaped anything, once more for
// the report's own bytes; then its summary. Escaped, the report is printable
// ASCII and line ends only, and every byte that escaping changed reads \xhh:
// with no "\x" in it, nothing was changed, and these are the report's own
// bytes too. input() makes a fresh reader of the file (see startAdifinfo), or
// is null where the host could not open it; start is the file's first bytes,
// as many as the host read, size its size (-1: not known), and next what
// the host read where tool.after asked (or null).
function reportAdifinfo(tool, name, input, start, size, next) {
    const run = (terminal) => tool.run({args: [name], input: input && input(), terminal});
    const escaped = run(true);
    const shown = ascii.decode(escaped.output);
    const raw = shown.includes('\\x') ? run(false) : escaped;
    return {status: raw.status, output: raw.output, shown, ...tool.summarize(raw.status, start, size, next)};
}

// The first span bytes of a Blob (a File too), streamed: {bytes, ended,
// delivered}, ended where the file ends there, delivered the bytes the
// browser handed over. The stream is left once span bytes have come: the
// fastest way a browser reads many files (no slice of each to make, no size
// to ask), and one that fails, rather than reads nothing, for a file that
// went away or changed after it was chosen. The browser hands a file over in
// chunks of its own making, up to a few MiB of a large file that it has at
// hand: only the first span bytes are kept. A failed read throws.
async function readBlobStart(blob, span) {
    const stream = blob.stream().getReader();
    try {
        const chunks = [];
        let length = 0;
        let delivered = 0;
        let ended = false;
        while (length < span && !ended) {
            const chunk = await stream.read();
            ended = chunk.done;
            if (!ended) {
                delivered += chunk.value.length;
                chunks.push(chunk.value.length > span - length ? chunk.value.slice(0, span - length) : chunk.value);
                length += chunks[chunks.length - 1].length;
            }
        }
        return {bytes: joined(chunks), ended, delivered};
    } finally {
        // Let go of the file at once, whether it was read to its end or not.
        stream.cancel().catch(() => {});
    }
}

// A Blob (a File too) as the page and the library read it for the tool:
// readBlobStart's {bytes, ended, delivered}, with its size (a file read to
// its end is as long as what was read: only a longer one's is asked for),
// and next: what follows an ID3v2 tag that runs past the start, where
// tool.after asks for it (at most tool.nextSpan bytes), or null. A failed
// read throws.
async function readBlob(tool, blob) {
    const start = await readBlobStart(blob, tool.span);
    if (start.ended)
        return {...start, size: start.bytes.length, next: null};
    const at = tool.after(start.bytes, blob.size);
    const next = at < 0 ? null : new Uint8Array(await blob.slice(at, at + tool.nextSpan).arrayBuffer());
    return {...start, size: blob.size, next};
}

export {ADIFINFO_WORDS, ADIFINFO_IMPORTS, textAsWritten, describe, adifinfoCode, startAdifinfo, readerOf,
        reportAdifinfo, readBlob};
