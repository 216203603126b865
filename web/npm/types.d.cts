// SPDX-License-Identifier: MIT
// The library's types, shared by its entries for Node.js and for browsers,
// each as an ES module and as CommonJS. They name only what inspect uses of
// the host's own URL, Blob, stream and AbortSignal, so that they stand
// alone: without Node.js's types or a browser's (lib "dom"), and with
// either. (Made from web/npm/types.d.cts by the build: the words and the
// kinds are the module's.)
/**
 * What a file is, in a word: complete (the whole header read), not ADIF (another kind of file,
 * or text), cut short (a header that runs past the end of the file) or unreadable. It follows
 * from the exit status, but for text, which is "not ADIF" whatever the status.
 */
export type Word = @WORD_TYPE@;

/**
 * What a file is, from its first bytes: ADIF, empty, ADTS (the usual .aac), MP4 (.m4a, .mp4,
 * .3gp), MP3, WAV, AIFF, FLAC, Ogg, an ID3v2 tag (and then afterTag), text, or none of these.
 */
export type Kind = @KIND_TYPE@;

/** One program config element, as its header says it. */
export interface Program {
    /** The element instance tag, 0 to 15. */
    tag: number;
    /** 0 Main, 1 Low Complexity, 2 Scalable Sampling Rate, 3 (reserved by MPEG-2) Long Term Prediction. */
    profile: number;
    /** "Main", "Low Complexity", "Scalable Sampling Rate" or "LTP (Long Term Prediction, MPEG-4)". */
    profileName: string;
    /** The sampling rate index, 0 to 15. */
    samplingRateIndex: number;
    /** The sampling rate in Hz, or null where the index is reserved (12 to 15). */
    hertz: number | null;
    /** Every channel: each channel pair's two counted. */
    channels: number;
    front: number;
    side: number;
    back: number;
    /** Low frequency channels. */
    lfe: number;
    /** "mono", "stereo", "5.1", "7.1"...: the arrangement's usual name, where it has one. */
    layout: string | null;
    /**
     * The speakers in their usual short names, in order ("C", "L", "R", "Ls", "Rs", "Lb", "Rb", "Cb",
     * "LFE"): empty for no channels, null where the header holds more than those names cover.
     */
    speakers: string[] | null;
    /** The comment as written: UTF-8 as its characters, what could mislead as \xhh or \uhhhh. */
    comment: string;
}

/** A program in plain words, as the page shows it. */
export interface ProgramInWords {
    /** The profile's name. */
    profile: string;
    /** "48000 Hz", or "reserved index 12". */
    samplingRate: string;
    /** "6 channels: 3 front, 2 back, 1 LFE (5.1)", or "none". */
    channels: string;
    /** "C L R Ls Rs LFE", "none", or why they are not named. */
    speakers: string;
    /** What to know of the profile or the rate (LTP, or the rate an HE-AAC file would play at); "" for nothing. */
    note: string;
    /** The comment as written, or "none" where it is empty. */
    comment: string;
}

/** The file in plain words, as the page shows it. */
export interface InWords {
    /** What the file is, in a word or two ("ADIF", "ADTS", "ID3 tag, then MP3", "amateur-radio log"); null where it could not be read. */
    kind: string | null;
    /** What the file is, in a sentence; null where it could not be read. */
    about: string | null;
    /** For text that the tool read as a header, what its report then shows; otherwise null. */
    report: string | null;
    /** "384 kb/s, constant", "at most 320 kb/s, variable"; null but for a complete header. */
    bitrate: string | null;
    /** "about 0.88 s", "at least 3 min 12 s", "not given"; null but for a complete header. */
    duration: string | null;
    programs: ProgramInWords[];
}

/** The error that stopped the reading of a file: the host's own (Node.js's, with its code). */
export interface ReadError extends Error {
    /** Node.js's code for it ("ENOENT", "EISDIR", "ENAMETOOLONG"...), where it gives one. */
    code?: string;
    /** The system call that failed ("open", "read"), where Node.js gives it. */
    syscall?: string;
    /** The path it was of, where there is one. */
    path?: string;
    errno?: number;
}

/** What the tool makes of one file. */
export interface Result {
    /** The command's exit status: 0 complete, 1 not ADIF or cut short, 2 unreadable. */
    status: 0 | 1 | 2;
    /** What the file is, in a word (see words). */
    word: Word;
    /** The report's exact bytes, as the command writes them to a pipe or a file (on Node.js, a Buffer). */
    report: Uint8Array;
    /** The report as a terminal shows it: a byte of a comment or name outside printable ASCII as \xhh. */
    shown: string;
    /** The path as written, or null for contents. */
    name: string | null;
    /**
     * Why the file could not be opened or read, where it could not (with status 2, where the tool's own
     * reading failed): the host's own error, or the error that a Blob or a stream gave. Otherwise null.
     */
    error: ReadError | null;
    /** What the file is, from its first bytes; null where it could not be read. */
    kind: Kind | null;
    /** For kind "id3", what follows the tag: "adts", "mp3", "adif"... ("unknown" where nothing known, or not read). */
    afterTag: Kind | null;
    /** For kind "text", whether it is an amateur-radio log (it holds an <EOH> tag). */
    radioLog: boolean;
    /** Whether the tool found "ADIF" and read on, so that its report shows a header (of text, too). */
    headerRead: boolean;
    /** Where the header is complete, its bitrate in bits per second (0: not given; the peak where variable). */
    bitrate: number | null;
    /** Where the header is complete, whether the bitrate is variable. */
    variableRate: boolean | null;
    /**
     * Where the header is complete, gives a bitrate, and the file's size is known, how long the audio after it
     * lasts: its bits over the bitrate. Otherwise null.
     */
    durationSeconds: number | null;
    /** Where durationSeconds is given, whether it is the least the audio lasts (a variable rate's bitrate is its peak). */
    durationIsMinimum: boolean | null;
    /** Where the header is complete, each program config element; otherwise none. */
    programs: Program[];
    /** The same in plain words, as the page shows it. */
    inWords: InWords;
}

/** One of the four words, with the exit statuses it goes with and what it means. */
export interface WordInfo {
    readonly word: Word;
    readonly statuses: ReadonlyArray<0 | 1 | 2>;
    readonly meaning: string;
}

/**
 * The types below name only what inspect uses of the host's own URL, Blob and AbortSignal, so
 * that they stand alone: without Node.js's types or a browser's (lib "dom"), and with either.
 */

/** A file: URL (the host's URL). */
export interface FileURL {
    readonly href: string;
    readonly protocol: string;
    readonly pathname: string;
}

/** The contents of a file as a Blob or a File (the host's Blob), or anything shaped like one. */
export interface BlobLike {
    readonly size: number;
    slice(start?: number, end?: number, contentType?: string): BlobLike;
    arrayBuffer?(): Promise<ArrayBuffer>;
    stream?(): unknown;
}

/** A web ReadableStream of bytes (the host's). */
export interface ReadableStreamLike {
    getReader(): unknown;
}

/** A Response of fetch (the host's): its body is read. */
export interface ResponseLike {
    readonly body: ReadableStreamLike | null;
    readonly status: number;
    readonly headers: unknown;
    arrayBuffer(): Promise<ArrayBuffer>;
}

/** An AbortSignal (the host's). */
export interface AbortSignalLike {
    readonly aborted: boolean;
    readonly reason?: unknown;
    addEventListener(type: 'abort', listener: () => void, options?: {once?: boolean}): void;
    removeEventListener(type: 'abort', listener: () => void): void;
}

/** A path given as the bytes of its name, for a name that is not UTF-8. */
export interface PathBytes {
    path: Uint8Array;
}

/**
 * The contents of a file: bytes (a Uint8Array, which a Buffer is, any view of an ArrayBuffer, an ArrayBuffer),
 * a Blob or a File, a web ReadableStream, a Response, or a Node.js Readable (any async iterable of bytes).
 */
export type Contents = ArrayBufferView | ArrayBuffer | BlobLike | ReadableStreamLike | ResponseLike |
                       AsyncIterable<Uint8Array>;

/** What inspect takes on Node.js: a path (a string, a file: URL, or {path: bytes}), or the contents of a file. */
export type NodeInput = string | FileURL | PathBytes | Contents;

export interface Options {
    /** Gives up the call: it rejects with an AbortError (code ABORT_ERR, the signal's reason its cause). */
    signal?: AbortSignalLike;
    /**
     * The whole file's size in bytes, where the contents given are only its start (for the duration), or
     * where a stream does not tell it. No less than the bytes, Blob or File given.
     */
    size?: number;
}
