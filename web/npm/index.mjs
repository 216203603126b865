// SPDX-License-Identifier: MIT
// The library for ES modules: the same as index.js, which it loads.
import {createRequire} from 'module';

const library = createRequire(import.meta.url)('./index.js');

export const inspect = library.inspect;
export const words = library.words;
export default library;
