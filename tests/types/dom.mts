// SPDX-License-Identifier: MIT
// The package's types beside a browser's (lib "dom"): its File, Blob, URL
// and AbortSignal are what inspect takes.
import {inspect} from 'adifinfo';

declare const file: File;
const controller = new AbortController();
await inspect(file, {signal: controller.signal});
await inspect(new Blob([new Uint8Array(4)]));
await inspect(new URL('file:///tmp/surround-5.1.adif'));
// @ts-expect-error: a Response is not a file
await inspect(new Response('ADIF'));
