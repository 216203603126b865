// SPDX-License-Identifier: MIT
// What the package's entries share, in one module (built once for import
// and once for require): the module's host, the reader, the library's
// inspect and its words.
export {makeInspect, words} from './library.js';
export {abortError, checkAborted, streamSource} from '../reader.js';
export {startAdifinfo} from '../host.js';
