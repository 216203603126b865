// SPDX-License-Identifier: MIT
/** What a file is: the tool's exit status, in a word. */
export type Word = 'complete' | 'not ADIF' | 'cut short' | 'unreadable';

/** One program config element, as its header says it. */
export interface Program {
    /** The element instance tag, 0 to 15. */
    tag: number;
    /** 0 Main, 1 Low Complexity, 2 Scalable Sampling Rate, 3 reserved. */
    profile: number;
    /** "Main", "Low Complexity", "Scalable Sampling Rate" or "reserved (3)". */
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
    /** The comment as written: UTF-8 as its characters, what could mislead as \xhh or \uhhhh. */
    comment: string;
}

/** What the tool makes of one file. */
export interface Result {
    /** The command's exit status: 0 complete, 1 not ADIF or cut short, 2 unreadable. */
    status: 0 | 1 | 2;
    word: Word;
    /** The report's exact bytes, as the command writes them to a pipe or a file. */
    report: Buffer;
    /** The report as a terminal shows it: a byte of a comment or name outside printable ASCII as \xhh. */
    shown: string;
    /** The path as written, or null for bytes. */
    name: string | null;
    /** Where the header is complete, each program config element; otherwise none. */
    programs: Program[];
    /** Where the header is complete, its bitrate in bits per second (0: not given; the peak where variable). */
    bitrate: number | null;
    /** Where the header is complete, whether the bitrate is variable. */
    variableRate: boolean | null;
}

export interface Options {
    /** Gives up the call: it rejects with an AbortError. */
    signal?: AbortSignal;
}

/**
 * Reports on one file: a path (a string, a Buffer of its bytes, or a file: URL), or the file's
 * bytes. Reads no more than the first 64 KiB of a file.
 */
export function inspect(source: string | Buffer | URL | Uint8Array | ArrayBuffer, options?: Options): Promise<Result>;

/** The four words, each with its exit status and what it means. */
export const words: ReadonlyArray<{word: Word; status: 0 | 1 | 2; meaning: string}>;
