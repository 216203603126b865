// SPDX-License-Identifier: MIT
// The tool's WebAssembly module at work, shared by the page and the npm
// package: one instance runs the tool on file after file, each run the
// tool's whole run, as a process a file would be (the module's own main puts
// all of the tool's state back first, and closes the file after). What else
// the two share is here too: the four words for what a file is, a summary of
// each file in plain words made from the tool's own reading of its header,
// and names and comments shown as written.
//
// The file comes in through a device of the module's own file system, one
// byte at a time from a reader that the host supplies, so a host reads only
// as far as the header goes. What the tool writes to standard output is
// taken byte by byte: the report is bytes, not text, and a comment need not
// be UTF-8.
'use strict';

// What a file is, in four words: from the exit status, and for status 1
// whether the tool got as far as a program config element (a file that is
// not ADIF gets no further than its first four bytes).
const ADIFINFO_WORDS = [
    {word: 'complete', status: 0, meaning: "the whole header was read from the file's own bytes"},
    {word: 'not ADIF', status: 1,
     meaning: 'the file does not start with "ADIF" ("Bad ADIF header ID"): most .aac files are ADTS, ' +
              'and .m4a and .mp4 files are MP4'},
    {word: 'cut short', status: 1,
     meaning: 'the header runs past the end of the file: the report shows zeros for what is missing'},
    {word: 'unreadable', status: 2, meaning: 'the file could not be opened or read'},
];

const PROFILES = ['Main', 'Low Complexity', 'Scalable Sampling Rate'];
const HERTZ = [96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000];

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
    let shown = '';
    if (typeof text === 'string') {
        for (const char of text) {
            const code = char.codePointAt(0);
            shown += !misleads(code) ? char : code < 0x80 ? '\\x' + hex(code, 2) : '\\u' + hex(code, 4);
        }
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
        shown += !misleads(code) ? String.fromCodePoint(code) : code < 0x80 ? '\\x' + hex(code, 2) : '\\u' + hex(code, 4);
        i += length;
    }
    return shown;
}

// The usual name of an arrangement of channels, where it has one.
function layoutName(front, behind, lfe) {
    if (lfe === 0 && behind === 0 && (front === 1 || front === 2))
        return front === 1 ? 'mono' : 'stereo';
    if (lfe <= 1 && ((front === 2 || front === 3) && behind <= 4 || front === 5 && behind === 2))
        return `${front + behind}.${lfe}`;
    return null;
}

// One program config element in plain words, from the numbers that the
// module's main hands over (web/main.cpp, in that order).
function program(fields, comment) {
    const [tag, , , , profile, rate, front, frontPairs, side, sidePairs, back, backPairs, lfe] = fields;
    const channels = {front: front + frontPairs, side: side + sidePairs, back: back + backPairs, lfe};
    const total = channels.front + channels.side + channels.back + lfe;
    return {
        tag,
        profile,
        profileName: profile < 3 ? PROFILES[profile] : 'reserved (3)',
        samplingRateIndex: rate,
        hertz: rate < HERTZ.length ? HERTZ[rate] : null,
        channels: total,
        ...channels,
        layout: layoutName(channels.front, channels.side + channels.back, lfe),
        comment: textAsWritten(comment),
    };
}

// What a run says of its file: its word, and where the header was read whole,
// the header in plain words.
function summarize(status, elements) {
    const word = status === 0 ? 'complete' : status === 2 ? 'unreadable'
                                           : elements.length > 0 ? 'cut short' : 'not ADIF';
    const summary = {word, programs: [], bitrate: null, variableRate: null};
    if (word === 'complete') {
        summary.bitrate = elements[0].fields[3];
        summary.variableRate = elements[0].fields[2] === 1;
        summary.programs = elements.map((element) => program(element.fields, element.comment));
    }
    return summary;
}

// The module's code, base64, into a compiled WebAssembly module.
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

// startAdifinfo(createModule, compiled) resolves to an instance of the tool:
// {run(options)}. run({args, input, terminal}) runs the tool with the command
// line args (the words after the program's name) and returns {status,
// output, errors, elements}: its exit status, the bytes it wrote to standard
// output and to standard error, and each program config element it read.
// Runs are synchronous, and so one after another.
//
// input reads the file that args[0] names, opened by the host: called once
// for each byte, it returns the next byte, null at the end of the file, and
// throws when the file cannot be read, which the tool takes as a failed read.
// Without input, the host could not open args[0], and the tool must find
// nothing of that name either: it answers "cant open" as it would on its own.
//
// terminal: the output is for a terminal (or shown on a page), and the tool
// escapes outside text as it does for one.
function startAdifinfo(createModule, compiled) {
    let current = null;
    let failed;
    const failure = new Promise((resolve, reject) => {
        failed = reject;
    });
    const ready = createModule({
        thisProgram: 'adifinfo',
        stdin: () => null,
        // A device's bytes arrive as the signed bytes of the module's memory.
        stdout: (byte) => {
            current.output.push(byte & 0xff);
        },
        stderr: (byte) => {
            current.errors.push(byte & 0xff);
        },
        print: () => {},
        printErr: () => {},
        onElement: (fields, comment) => {
            current.elements.push({fields, comment});
        },
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
    return Promise.race([ready, failure]).then((module) => {
        const fs = module.FS;
        fs.mkdir('/adifinfo');
        fs.createDevice('/adifinfo', 'input', () => current.input());
        const root = fs.stat('/').mode;
        function run(options) {
            const args = options.args.slice();
            current = {output: [], errors: [], elements: [], input: options.input};
            module.stdoutIsTerminal = Boolean(options.terminal);
            if (options.input && args.length > 0) {
                args[0] = '/adifinfo/input';
            } else if (args.length > 0) {
                // The module's own folders (/tmp, /dev, /home...) must not
                // answer for a name that the host could not open: with no
                // permission on its root, nothing of the module's opens.
                fs.chmod('/', 0);
            }
            // callMain puts the words on the stack and leaves them there.
            const stack = module.stackSave();
            try {
                const status = module.callMain(args);
                return {status, output: Uint8Array.from(current.output), errors: Uint8Array.from(current.errors),
                        elements: current.elements};
            } finally {
                module.stackRestore(stack);
                fs.chmod('/', root);
                current = null;
            }
        }
        return {run};
    });
}

// Reports one file as the page and the library show it: the tool run as on
// a terminal for what is shown, and where that escaped anything, once more for
// the report's own bytes. Escaped, the report is printable ASCII and line ends
// only, and every byte that escaping changed reads \xhh: with no "\x" in it,
// nothing was changed, and these are the report's own bytes too. input() makes
// a fresh reader of the file, or is null where the host could not open it.
function reportAdifinfo(tool, name, input) {
    const run = (terminal) => tool.run({args: [name], input: input && input(), terminal});
    const escaped = run(true);
    let shown = '';
    for (const byte of escaped.output)
        shown += String.fromCharCode(byte);
    const raw = shown.includes('\\x') ? run(false) : escaped;
    return {status: raw.status, output: raw.output, shown, ...summarize(raw.status, raw.elements)};
}

if (typeof module === 'object' && module.exports) {
    module.exports = {ADIFINFO_WORDS, textAsWritten, summarize, compileAdifinfo, startAdifinfo,
                      reportAdifinfo};
}
