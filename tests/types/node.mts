// SPDX-License-Identifier: MIT
// The package's types as a program in TypeScript's strict mode uses them,
// with neither Node.js's types nor a browser's: what must compile, and,
// each under @ts-expect-error, what must not (tsc fails where one compiles).
import library, {inspect, words, type NodeInput, type Options, type Result} from 'adifinfo';

const result: Result = await inspect('surround-5.1.adif');
const status: 0 | 1 | 2 = result.status;
const report: Uint8Array = result.report;
const hertz: number | null = result.programs[0].hertz;
const speakers: string[] | null = result.programs[0].speakers;
const duration: string | null = result.inWords.duration;
const code: string | undefined = result.error === null ? undefined : result.error.code;
const contents: NodeInput[] = [new Uint8Array(8), new ArrayBuffer(8), {path: new Uint8Array([0x78, 0xff])}];
const options: Options = {size: 100};
await inspect(contents[0], options);
await inspect('surround-5.1.adif', null);
const same: typeof inspect = library.inspect;
const meaning: string = words[0].meaning;

// @ts-expect-error: a number is not a file
await inspect(42);
// @ts-expect-error: a name's bytes are {path: bytes}, not {path: string}
await inspect({path: 'surround-5.1.adif'});
// @ts-expect-error: no such option
await inspect('surround-5.1.adif', {signl: 1});
// @ts-expect-error: a signal is an AbortSignal
await inspect('surround-5.1.adif', {signal: 'x'});
// @ts-expect-error: a size is a number
await inspect('surround-5.1.adif', {size: '100'});
// @ts-expect-error: the status is a number
const text: string = result.status;
// @ts-expect-error: the words are read only
words.push(words[0]);
// @ts-expect-error: no such field
result.bitRate;
// @ts-expect-error: a word is one of four
const word: Result['word'] = 'done';

export {status, report, hertz, speakers, duration, code, same, meaning, text, word};
