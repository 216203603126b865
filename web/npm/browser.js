// SPDX-License-Identifier: MIT
// The library in a browser, as a bundler takes it: inspect (library.js) on
// the contents of a file (a File, a Blob, a Uint8Array or an ArrayBuffer).
// A browser opens no paths: a string or a URL is a TypeError.
import {makeInspect, words} from './library.js';

function noPaths() {
    throw new TypeError('inspect: a browser opens no paths: give the contents of the file (a File or a Blob, ' +
                        'a Uint8Array or an ArrayBuffer)');
}

export const inspect = makeInspect({readPath: noPaths, pathOf: noPaths, report: (bytes) => bytes});
export {words};
export default {inspect, words};
