// SPDX-License-Identifier: MIT
// The tool's WebAssembly module at work, for the page, the library and the
// command: one instance runs the tool on file after file, each run the
// tool's whole run, as a process a file would be (the module puts all of
// the tool's state back first, and closes the file after).
//
// This file is the module's host in place of emscripten's runtime: the
// module asks its host for the eleven things that ADIFINFO_IMPORTS names
// (the C library's few system calls, and one of the tool's own, in
// src/platform.cpp), answered here in a few lines each, where emscripten's
// runtime would build a whole file system first. The file named on the
// command line is opened by the host and read through a reader it supplies,
// only as far as the tool asks; what the tool writes to standard output is
// taken as bytes: the report is bytes, not text, and a comment need not be
// UTF-8.
// What the module asks of its host, by name: a host that answers fewer, or
// others, is not this module's (web/assemble.mjs checks this when it builds).
export const ADIFINFO_IMPORTS = {
    env: ['host_stdout_is_terminal', '__syscall_open', '__syscall_fcntl64', '__syscall_ioctl',
          'emscripten_memcpy_big', 'emscripten_resize_heap', 'setTempRet0'],
    wasi_snapshot_preview1: ['fd_write', 'fd_read', 'fd_close', 'fd_seek'],
};

// The C library's error numbers, as this module's C library has them.
const ERRNO = {badf: 8, io: 29, noent: 44, notty: 59, spipe: 70};
const INPUT = 3; // the one file the tool opens

// UTF-8 both ways: the host's own TextDecoder and TextEncoder where it has
// them, and where it has not (jsdom, as Jest runs it), the same by hand. The
// module writes only UTF-8.
const decoder = typeof TextDecoder === 'function' ? new TextDecoder() : null;
const encoder = typeof TextEncoder === 'function' ? new TextEncoder() : null;

export function fromUtf8(bytes) {
    if (decoder !== null)
        return decoder.decode(bytes);
    let text = '';
    for (let i = 0; i < bytes.length;) {
        const first = bytes[i];
        const length = first < 0x80 ? 1 : first < 0xe0 ? 2 : first < 0xf0 ? 3 : 4;
        let code = length === 1 ? first : first & (0x7f >> length);
        for (let k = 1; k < length; k++)
            code = code << 6 | (bytes[i + k] & 0x3f);
        text += String.fromCodePoint(code);
        i += length;
    }
    return text;
}

// A string as UTF-8; a surrogate that has no pair, as U+FFFD.
export function toUtf8(text) {
    if (encoder !== null)
        return encoder.encode(text);
    const bytes = [];
    for (const char of text) {
        let code = char.codePointAt(0);
        if (code >= 0xd800 && code <= 0xdfff)
            code = 0xfffd;
        if (code < 0x80)
            bytes.push(code);
        else if (code < 0x800)
            bytes.push(0xc0 | code >> 6, 0x80 | (code & 0x3f));
        else if (code < 0x10000)
            bytes.push(0xe0 | code >> 12, 0x80 | (code >> 6 & 0x3f), 0x80 | (code & 0x3f));
        else
            bytes.push(0xf0 | code >> 18, 0x80 | (code >> 12 & 0x3f), 0x80 | (code >> 6 & 0x3f), 0x80 | (code & 0x3f));
    }
    return Uint8Array.from(bytes);
}

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

function utf8(text) {
    return typeof text === 'string' ? toUtf8(text) : Uint8Array.from(text);
}

// startAdifinfo(compiled) makes an instance of the tool (compiled: the
// module, bytes.js's code compiled):
//
//   run({args, input, terminal})   runs the tool with the command line args
//                                  (the words after the program's name, each
//                                  a string or its bytes): {status, output,
//                                  errors}, its exit status and the bytes it
//                                  wrote to standard output and to standard
//                                  error. With summary, the run also makes the
//                                  summary of the file (src/summary.h), and
//                                  gives it as summary: the library's result,
//                                  by name, but for what only JavaScript has.
//   intake                         how much of a file the summary wants
//                                  (src/intake.h): begin(size), want() (an
//                                  {offset, count}; count 0 when nothing
//                                  more), took(bytes, ended)
//   asWritten(text)                text from outside (a name: a string or its
//                                  bytes) as written (src/text.h)
//   words()                        the four words, the kinds and the spans
//                                  (src/summary.h), for the build
//
// input reads the file that args[0] names, opened by the host: given a
// Uint8Array, it fills its start with the next bytes of the file and returns
// how many (0 at the end of the file), and throws when the file cannot be
// read, which the tool takes as a failed read. Without input, the host could
// not open args[0], and the tool finds nothing of that name: it answers
// "cant open" as it would on its own. terminal: the output is for a
// terminal (or shown on a page), and the tool escapes outside text as it
// does for one. Runs are synchronous, and so one after another.
export function startAdifinfo(compiled) {
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
    // The bytes of each iovec, in turn: (pointer, length) pairs at iovs.
    function* vectors(iovs, count) {
        for (let i = 0; i < count; i++)
            yield [data.getUint32(iovs + 8 * i, true), data.getUint32(iovs + 8 * i + 4, true)];
    }
    const env = {
        host_stdout_is_terminal: () => (current.terminal ? 1 : 0),
        // open(path, flags, ...): the file named on the command line, where
        // the host opened it; nothing else.
        __syscall_open(path) {
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
            bytes.copyWithin(to, from, from + count);
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
                (fd === 1 ? current.output : current.errors).add(bytes.subarray(at, at + length));
                total += length;
            }
            data.setUint32(written, total, true);
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
                    const got = current.input(bytes.subarray(at, at + length));
                    total += got;
                    if (got < length)
                        break;
                }
            } catch (error) {
                return ERRNO.io;
            }
            data.setUint32(read, total, true);
            return 0;
        },
        fd_close: () => 0,
        fd_seek: () => ERRNO.spipe,
    };
    const instance = new WebAssembly.Instance(compiled, {env, wasi_snapshot_preview1: wasi});
    exports = instance.exports;
    see();
    exports.__wasm_call_ctors();

    // Bytes in memory of their own, let go by free() after use.
    function placed(content) {
        const at = exports.malloc(Math.max(content.length, 1));
        if (at === 0)
            throw new Error('the tool has no memory for this');
        bytes.set(content, at);
        return at;
    }

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
                bytes.set(word, at);
                bytes[at + word.length] = 0;
                data.setUint32(words + 4 * i, at, true);
                at += word.length + 1;
            });
            data.setUint32(words + 4 * args.length, 0, true);
            const status = options.summary ? exports.adifinfo_inspect(args.length, words)
                                           : exports.main(args.length, words);
            const done = {status, output: current.output.bytes(), errors: current.errors.bytes()};
            if (options.summary) {
                const json = exports.adifinfo_summary();
                done.summary = JSON.parse(fromUtf8(bytes.subarray(json, bytes.indexOf(0, json))));
            }
            return done;
        } finally {
            exports.free(words);
            current = null;
        }
    }

    const intake = {
        begin: (size) => exports.adifinfo_intake_begin(size),
        want: () => ({offset: exports.adifinfo_want_offset(), count: exports.adifinfo_want_count()}),
        took(piece, ended) {
            const count = Math.min(piece.length, exports.adifinfo_want_count());
            bytes.set(piece.subarray(0, count), exports.adifinfo_intake_buffer());
            exports.adifinfo_intake_took(count, ended ? 1 : 0);
        },
    };

    function asWritten(text) {
        const given = utf8(text);
        const size = 4 * given.length + 1;
        const from = placed(given);
        const to = exports.malloc(size);
        try {
            if (to === 0)
                throw new Error('the tool has no memory for this');
            const length = exports.adifinfo_as_written(from, given.length, to, size);
            return fromUtf8(bytes.subarray(to, to + length));
        } finally {
            exports.free(from);
            exports.free(to);
        }
    }

    // The four words, the kinds and the spans (src/summary.h: words_json).
    const words = () => {
        const at = exports.adifinfo_words();
        return JSON.parse(fromUtf8(bytes.subarray(at, bytes.indexOf(0, at))));
    };

    return {run, intake, asWritten, words};
}
