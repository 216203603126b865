// SPDX-License-Identifier: MIT
// One file's result, as the page and the library give it: the tool's run on
// what was read of the file (reader.js), its exact report, and its summary
// as the module hands it over (src/summary.h: the library's Result, field
// for field), with what only JavaScript has beside it: the report's bytes,
// the report as a terminal shows it, the name as written, and the error
// that stopped the reading, where one did.
import {fromUtf8} from './host.js';
import {intake, readerOf} from './reader.js';

// The tool run on the file called name, of which read ({start, ended,
// failure}: readFile's) was read, or that could not be opened (read null,
// failure the reason): as on a terminal for what is shown, and where that
// escaped anything, once more for the report's own bytes. Escaped, the
// report is printable ASCII and line ends only, and every byte that escaping
// changed reads \xhh: with no "\x" in it, nothing was changed, and these are
// the report's own bytes too. shownName is the name to give as written, or
// null (for contents, which have none).
export function reportFile(tool, name, read, failure, shownName) {
    const run = (terminal, summary) =>
        tool.run({args: [name], input: read === null ? null : readerOf(read), terminal, summary});
    // The summary is made of what was read, which the intake holds again
    // for it (reader.js), with nothing awaited between.
    if (read !== null)
        intake(tool, read);
    else
        tool.intake.begin(-1);
    const escaped = run(true, true);
    const shown = fromUtf8(escaped.output); // ASCII: printable, and line ends
    const raw = shown.includes('\\x') ? run(false, false) : escaped;
    return {
        ...escaped.summary,
        report: raw.output,
        shown,
        name: shownName === null ? null : tool.asWritten(shownName),
        error: read === null ? failure : read.failure,
    };
}
