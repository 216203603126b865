// SPDX-License-Identifier: MIT
// Reading a file for the tool, whatever it comes from. Each host adapts its
// source (bytes, a Blob, a stream; a path, on Node.js) to one shape, and
// readFile reads from it what the module's intake wants (src/intake.h:
// how much is read is decided there, once), forward only:
//
//   source.size                 its size in bytes, or -1 where not known
//   source.learnSize()          where size is -1, its size (or -1), asked for
//                               only where the start does not end the file
//                               (optional: a Blob's costs a round trip to
//                               the browser)
//   source.read(offset, count)  a promise of {bytes, ended}: the count bytes
//                               at offset (fewer only at the end, which ended
//                               says), offset at or past where the last read
//                               ended; it rejects where the file cannot be
//                               read
//   source.close()              lets go of the file, read to its end or not
//
// What was read then serves as the tool's own reading of the file
// (readerOf): the tool never reads past the start, which holds the largest
// header.

// Chunks of bytes, as one array.
export function joined(chunks, length) {
    if (chunks.length === 1 && chunks[0].length === length)
        return chunks[0];
    const all = new Uint8Array(length);
    let at = 0;
    for (const chunk of chunks) {
        all.set(chunk.subarray(0, Math.min(chunk.length, length - at)), at);
        at += chunk.length;
        if (at >= length)
            break;
    }
    return all;
}

// Reads what tool's intake wants of source: {size, pieces, start, ended,
// exhausted, failure}: the size the source gave; the pieces read, each
// {bytes, ended}; the file's first bytes, whether it ends there, whether the
// source had no more to give (it was given only the file's start), and the
// error that stopped the reading (null where none did). The source is
// closed after.
//
// The intake is the module's, and the module has one: reads of other files
// go on at once (the page reads ahead, the library takes calls at once), so
// the intake is fed afresh with what was read (intake, below) each time it
// is asked what is wanted next, and once more right before the run that
// makes the summary, with nothing awaited between.
export async function readFile(tool, source, signal) {
    const read = {size: source.size, pieces: [], start: new Uint8Array(0), ended: false, exhausted: false,
                  failure: null};
    try {
        for (let want = intake(tool, read); want.count > 0; want = intake(tool, read)) {
            checkAborted(signal);
            const piece = await source.read(want.offset, want.count);
            read.pieces.push(piece);
            if (read.pieces.length === 1) {
                read.start = piece.bytes;
                read.ended = piece.ended;
                if (!piece.ended && read.size < 0 && source.learnSize)
                    read.size = source.learnSize();
            }
            if (piece.bytes.length < want.count && !piece.ended) {
                read.exhausted = true; // the source has no more to give: only a file's start was given
                break;
            }
        }
    } catch (error) {
        if (error && error.name === 'AbortError' && signal && signal.aborted)
            throw error;
        read.failure = error;
    } finally {
        source.close();
    }
    return read;
}

// The module's intake fed with what was read of a file (readFile's read):
// what it wants next.
export function intake(tool, read) {
    tool.intake.begin(read.size);
    for (const piece of read.pieces)
        tool.intake.took(piece.bytes, piece.ended);
    return tool.intake.want();
}

// The tool's reader (host.js: run's input) over what readFile read of a
// file: its start, then the end of the file where it ends there, or where
// only that much of it was given, and a failed read where reading it failed,
// or past the start of a longer file (no header gets so far).
export function readerOf({start, ended, exhausted, failure}) {
    let at = 0;
    return (into) => {
        if (at === start.length && (failure || !(ended || exhausted)))
            throw failure || new Error('past the part of the file that was read');
        const count = Math.min(into.length, start.length - at);
        into.set(start.subarray(at, at + count));
        at += count;
        return count;
    };
}

// The error an aborted call rejects with, as the host's own functions make it.
export function abortError(signal) {
    const error = new Error('The operation was aborted', {cause: signal.reason});
    error.name = 'AbortError';
    error.code = 'ABORT_ERR';
    return error;
}

export function checkAborted(signal) {
    if (signal !== undefined && signal !== null && signal.aborted)
        throw abortError(signal);
}

// The contents of a file, held as bytes: all of it, or, where size says
// the file is longer, its start.
export function bytesSource(bytes, size) {
    const whole = size === undefined || size === bytes.length;
    return {
        size: whole ? bytes.length : size,
        read: async (offset, count) => {
            const piece = bytes.subarray(Math.min(offset, bytes.length), Math.min(offset + count, bytes.length));
            return {bytes: piece, ended: whole && offset + count >= bytes.length};
        },
        close() {},
    };
}

// A stream read forward: next() gives the next chunk (a Uint8Array, or
// null at the end), cancel() lets go. Bytes before an offset asked for are
// passed over as they come. Where size is given, the file ends there, and a
// stream that ends before is only its start. delivered counts the bytes the
// stream handed over.
export function streamSource(next, cancel, size = -1) {
    let position = 0; // of the first byte of held
    let held = new Uint8Array(0);
    let done = false;
    const source = {
        size,
        delivered: 0,
        async read(offset, count) {
            const chunks = [];
            let length = 0;
            while (length < count) {
                if (held.length === 0) {
                    if (done)
                        break;
                    const chunk = await next();
                    if (chunk === null) {
                        done = true;
                        break;
                    }
                    held = chunk;
                    source.delivered += chunk.length;
                }
                if (position + held.length <= offset) { // before what is asked for
                    position += held.length;
                    held = new Uint8Array(0);
                    continue;
                }
                const from = Math.max(0, offset - position);
                const piece = held.subarray(from, from + count - length);
                chunks.push(piece);
                length += piece.length;
                position += from + piece.length;
                held = held.subarray(from + piece.length);
            }
            const at = offset + length;
            return {bytes: joined(chunks, length), ended: size >= 0 ? at >= size : done};
        },
        close() {
            if (!done)
                cancel();
            done = true;
        },
    };
    return source;
}

// A web ReadableStream of bytes (a Response's body too).
export function webStreamSource(stream, size = -1) {
    const reader = stream.getReader();
    return streamSource(async () => {
        const {done, value} = await reader.read();
        return done ? null : value instanceof Uint8Array ? value : new Uint8Array(value);
    }, () => reader.cancel().catch(() => {}), size);
}

// A Blob, a File, or anything shaped like one: its start streamed where it
// can be (the fastest way a browser reads many files: no slice of each to
// make, no size to ask, which costs a round trip to the browser; and one
// that fails, rather than reads nothing, for a file that went away or
// changed after it was chosen). The browser hands a file over in chunks of
// its own making, up to a few MiB of a large file that it has at hand: what
// follows a long tag is read on from the stream where that is near, and by
// a slice where it is far. Only what is wanted is kept. Its size is asked
// for only where the start does not end it. Where size is given, the Blob
// is that file's start (or all of it, where the sizes agree).
const STREAM_ON_MOST = 1 << 22; // bytes of a stream passed over rather than sliced past
export function blobSource(blob, size) {
    let stream = null;
    let streamed = 0; // where the stream is
    const whole = () => size === undefined || size === blob.size;
    const slice = async (offset, count) => {
        const part = blob.slice(offset, offset + count);
        const bytes = new Uint8Array(typeof part.arrayBuffer === 'function' ? await part.arrayBuffer()
                                                                            : await bufferOf(part));
        return {bytes, ended: whole() && offset + bytes.length >= blob.size};
    };
    const source = {
        size: size === undefined ? -1 : size,
        delivered: 0,
        learnSize: () => blob.size,
        async read(offset, count) {
            const onStream = offset === 0 ? typeof blob.stream === 'function'
                                          : stream !== null && offset - streamed <= STREAM_ON_MOST;
            if (!onStream) {
                const piece = await slice(offset, count);
                source.delivered += piece.bytes.length;
                return piece;
            }
            if (stream === null)
                stream = webStreamSource(blob.stream());
            const piece = await stream.read(offset, count);
            streamed = offset + piece.bytes.length;
            source.delivered = stream.delivered;
            // The stream's end is the file's, where the Blob is all of it.
            return {bytes: piece.bytes, ended: piece.ended && (size === undefined || whole())};
        },
        close() {
            if (stream !== null)
                stream.close();
        },
    };
    return source;
}

// A Blob's bytes where it has no arrayBuffer (an older DOM's), through a
// FileReader.
function bufferOf(blob) {
    return new Promise((resolve, reject) => {
        const reader = new FileReader();
        reader.onload = () => resolve(reader.result);
        reader.onerror = () => reject(reader.error);
        reader.readAsArrayBuffer(blob);
    });
}
