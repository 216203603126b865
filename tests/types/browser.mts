// SPDX-License-Identifier: MIT
// The package's types as a bundler takes them (its browser build), named
// "adifinfo-browser" here (the test maps it to the package's
// lib/browser.d.ts): the contents of a file, never a path.
import library, {inspect, type BlobLike, type Contents, type Result} from 'adifinfo-browser';

declare const file: BlobLike;
const result: Result = await inspect(file);
const contents: Contents[] = [new Uint8Array(8), new ArrayBuffer(8), file];
await inspect(contents[0], {size: 100});
const same: typeof inspect = library.inspect;

// @ts-expect-error: a browser opens no paths
await inspect('surround-5.1.adif');
// @ts-expect-error: nor a URL
await inspect({href: 'file:///tmp/surround-5.1.adif', protocol: 'file:', pathname: '/tmp/surround-5.1.adif'});
// @ts-expect-error: nor a name's bytes
await inspect({path: new Uint8Array([0x78])});

export {result, same};
