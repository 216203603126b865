// SPDX-License-Identifier: MIT
// The package's types beside a browser's (lib "dom"): its File, Blob, URL,
// ReadableStream, Response and AbortSignal are what inspect takes.
import {inspect} from 'adifinfo';

declare const file: File;
const controller = new AbortController();
await inspect(file, {signal: controller.signal});
await inspect(new Blob([new Uint8Array(4)]));
await inspect(new Blob([new Uint8Array(4)]).stream());
await inspect(new Response('ADIF'));
// @ts-expect-error: an Image is not a file
await inspect(new Image());
