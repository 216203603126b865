// SPDX-License-Identifier: MIT
// One run of the tool's WebAssembly module, as one run of the native tool is
// one process: a fresh instance for each file, so that nothing passes from
// one file to the next. Shared by the page and the npm package's command.
//
// The file comes in through a device of the module's own file system, one
// byte at a time from a reader that the host supplies, so a host reads only
// as far as the header goes. What the tool writes to standard output is
// taken byte by byte: the report is bytes, not text, and a comment need not
// be UTF-8.
'use strict';

// The tool's exit statuses in words, for whoever shows one (the page, the
// package): the word, and what it means.
const ADIFINFO_STATUS = [
    {word: 'Complete', meaning: "the whole header was read from the file's own bytes"},
    {word: 'Incomplete', meaning: 'not ADIF ("Bad ADIF header ID"), or the header is cut short'},
    {word: 'Unreadable', meaning: 'the file could not be read'},
];

// Text from outside (a file name) as the tool shows it on a terminal: its
// UTF-8 bytes, each one outside printable ASCII as \xhh.
function escapeForTerminal(text) {
    let shown = '';
    for (const byte of new TextEncoder().encode(text))
        shown += byte < 0x20 || byte > 0x7e ? '\\x' + byte.toString(16).padStart(2, '0') : String.fromCharCode(byte);
    return shown;
}

// The module's code, base64, into a compiled WebAssembly module: compiled
// once, and instantiated once a run.
function compileAdifinfo(createModule) {
    const text = createModule.wasm;
    let bytes;
    if (typeof Buffer === 'function') {
        bytes = Buffer.from(text, 'base64');
    } else {
        const binary = atob(text);
        bytes = new Uint8Array(binary.length);
        for (let i = 0; i < binary.length; i++)
            bytes[i] = binary.charCodeAt(i);
    }
    return WebAssembly.compile(bytes);
}

// runAdifinfo(createModule, compiled, {args, input, terminal}) runs the tool
// with the command line args (the words after the program's name) and
// resolves to {status, output, errors}: its exit status, and the bytes it
// wrote to standard output and to standard error.
//
// input reads the file that args[0] names, opened by the host: called once
// for each byte, it returns the next byte, null at the end of the file, and
// throws when the file cannot be read, which the tool takes as a failed read.
// Without input, the host could not open args[0], and the tool must find
// nothing of that name either: it answers "cant open" as it would on its own.
//
// terminal: the output is for a terminal (or shown on a page), and the tool
// escapes outside text as it does for one.
function runAdifinfo(createModule, compiled, options) {
    const output = [];
    const errors = [];
    const args = options.args.slice();
    let failed;
    const failure = new Promise((resolve, reject) => {
        failed = reject;
    });
    const ready = createModule({
        thisProgram: 'adifinfo',
        stdoutIsTerminal: Boolean(options.terminal),
        stdin: () => null,
        // A device's bytes arrive as the signed bytes of the module's memory.
        stdout: (byte) => {
            output.push(byte & 0xff);
        },
        stderr: (byte) => {
            errors.push(byte & 0xff);
        },
        print: () => {},
        printErr: () => {},
        // The runtime ends a run by throwing, and callMain catches it and
        // returns the status; never process.exit or an abort of the page.
        quit: (status, thrown) => {
            throw thrown;
        },
        instantiateWasm: (imports, receive) => {
            WebAssembly.instantiate(compiled, imports).then(receive, failed);
            return {};
        },
    });
    return Promise.race([ready, failure])
        .then((module) => {
            const fs = module.FS;
            if (options.input && args.length > 0) {
                fs.mkdir('/adifinfo');
                fs.createDevice('/adifinfo', 'input', options.input);
                args[0] = '/adifinfo/input';
            } else if (args.length > 0) {
                // The module's own folders (/tmp, /dev, /home...) must not
                // answer for a name that the host could not open: with no
                // permission on its root, nothing of the module's opens.
                fs.chmod('/', 0);
            }
            const status = module.callMain(args);
            return {status, output: Uint8Array.from(output), errors: Uint8Array.from(errors)};
        });
}

if (typeof module === 'object' && module.exports)
    module.exports = {ADIFINFO_STATUS, escapeForTerminal, compileAdifinfo, runAdifinfo};
