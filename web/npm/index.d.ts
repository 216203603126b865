// SPDX-License-Identifier: MIT
/**
 * What a file is, in a word: complete (the whole header read), not ADIF (another kind of file,
 * or text), cut short (a header that runs past the end of the file) or unreadable. It follows
 * from the exit status, but for text, which is "not ADIF" whatever the status.
 */
export type Word = 'complete' | 'not ADIF' | 'cut short' | 'unreadable';

/**
 * What a file is, from its first bytes: ADIF, empty, ADTS (the usual .aac), MP4 (.m4a, .mp4,
 * .3gp), MP3, WAV, AIFF, FLAC, Ogg, an ID3v2 tag (and then afterTag), text, or none of these.
 */
export type Kind = 'adif' | 'empty' | 'adts' | 'mp4' | 'mp3' | 'wav' | 'aiff' | 'flac' | 'ogg' | 'id3' | 'text' |
                   'unknown';

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
}

/** The file in plain words, as the page shows it. */
export interface InWords {
    /** What the file is, in a word or two ("ADIF", "ADTS", "ID3 tag, then MP3", "amateur-radio log"); null where it could not be read. */
    kind: string | null;
    /** What the file is, in a sentence; null where it could not be read. */
    about: string | null;
    /** "384 kb/s, constant", "at most 320 kb/s, variable"; null but for a complete header. */
    bitrate: string | null;
    /** "about 0.88 s", "at least 3 min 12 s", "not given"; null but for a complete header. */
    duration: string | null;
    programs: ProgramInWords[];
}

/** What the tool makes of one file. */
export interface Result {
    /** The command's exit status: 0 complete, 1 not ADIF or cut short, 2 unreadable. */
    status: 0 | 1 | 2;
    word: Word;
    /** The report's exact bytes, as the command writes them to a pipe or a file (on Node.js, a Buffer). */
    report: Uint8Array;
    /** The report as a terminal shows it: a byte of a comment or name outside printable ASCII as \xhh. */
    shown: string;
    /** The path as written, or null for bytes. */
    name: string | null;
    /** What the file is, from its first bytes; null where it could not be read. */
    kind: Kind | null;
    /** For kind "id3", what follows the tag: "adts", "mp3", "adif"... ("unknown" where nothing known, or not read). */
    afterTag: Kind | null;
    /** For kind "text", whether it is an amateur-radio log (it holds an <EOH> tag). */
    radioLog: boolean;
    /** Where the header is complete, its bitrate in bits per second (0: not given; the peak where variable). */
    bitrate: number | null;
    /** Where the header is complete, whether the bitrate is variable. */
    variableRate: boolean | null;
    /**
     * Where the header is complete and gives a bitrate, how long the audio after it lasts: its bits
     * over the bitrate. Otherwise null.
     */
    durationSeconds: number | null;
    /** Where durationSeconds is given, whether it is the least the audio lasts (a variable rate's bitrate is its peak). */
    durationIsMinimum: boolean | null;
    /** Where the header is complete, each program config element; otherwise none. */
    programs: Program[];
    /** The same in plain words, as the page shows it. */
    inWords: InWords;
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

/** The contents of a file as a Blob or a File (the host's Blob). */
export interface BlobLike {
    readonly size: number;
    slice(start?: number, end?: number, contentType?: string): BlobLike;
    arrayBuffer(): Promise<ArrayBuffer>;
    stream(): unknown;
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
 * What inspect takes: a path (a string, a file: URL, or {path: bytes}), or the file's contents
 * (a Uint8Array, which a Buffer is, an ArrayBuffer, a Blob or a File). A browser takes contents only.
 */
export type Input = string | FileURL | PathBytes | Uint8Array | ArrayBuffer | BlobLike;

export interface Options {
    /** Gives up the call: it rejects with an AbortError (code ABORT_ERR, the signal's reason its cause). */
    signal?: AbortSignalLike;
    /** The whole file's size in bytes, where the bytes given are only its start (for the duration). */
    size?: number;
}

/**
 * Reports on one file. Reads no more of it than the largest ADIF header and telling its kind need
 * (its first 4,937 bytes, and past a long ID3v2 tag, 16 bytes after it). Rejects with a TypeError
 * for what it does not take.
 */
export function inspect(input: Input, options?: Options | null): Promise<Result>;

/** The four words, each with the exit statuses it goes with and what it means. */
export const words: ReadonlyArray<{word: Word; statuses: ReadonlyArray<0 | 1 | 2>; meaning: string}>;

/** inspect and words, as one object: what require('adifinfo') gives. */
declare const library: {inspect: typeof inspect; words: typeof words};
export default library;
