// SPDX-License-Identifier: MIT
// The library for ES modules on Node.js: the very one that require() gives
// (node.cjs, built from node.js), so that a program that has both has one
// instance of the module, not two.
import library from './node.cjs';

export const inspect = library.inspect;
export const words = library.words;
export default library;
