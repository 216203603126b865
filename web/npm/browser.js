// SPDX-License-Identifier: MIT
// The library in a browser, as a bundler takes it: inspect (library.js) on
// the contents of a file. A browser opens no paths: a string or a URL is a
// TypeError.
import {makeInspect, words} from './core.js';
import {wasmBytes} from './bytes.js';

const TAKEN = 'the contents of a file (a File or a Blob, a Uint8Array or an ArrayBuffer, a ReadableStream or a ' +
              'Response)';

function noPaths() {
    throw new TypeError(`inspect: a browser opens no paths: give ${TAKEN}`);
}

export const inspect = makeInspect({code: wasmBytes, taken: TAKEN, openPath: noPaths, pathOf: noPaths,
                                    report: (bytes) => bytes});
export {words};
export default {inspect, words};
