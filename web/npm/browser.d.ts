// SPDX-License-Identifier: MIT
// The library in a browser: the contents of a file, never a path.
import type {Contents, Options, Result, WordInfo} from './types.cjs';
export type {AbortSignalLike, BlobLike, Contents, InWords, Kind, Options, Program, ProgramInWords, ReadError,
             ReadableStreamLike, ResponseLike, Result, Word, WordInfo} from './types.cjs';

/**
 * Reports on one file, given its contents (a browser opens no paths). Reads no more of it than the largest
 * ADIF header and telling its kind need (its first @START_SPAN@ bytes, and past a long ID3v2 tag,
 * @NEXT_SPAN@ bytes after it). Rejects with a TypeError for what it does not take.
 */
export declare function inspect(input: Contents, options?: Options | null): Promise<Result>;

/** The four words, each with the exit statuses it goes with and what it means. */
export declare const words: ReadonlyArray<WordInfo>;

/** inspect and words, as one object. */
declare const library: {inspect: typeof inspect; words: typeof words};
export default library;
