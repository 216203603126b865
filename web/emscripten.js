// SPDX-License-Identifier: MIT
// The one thing the tool asks of its host beside the C library's system
// calls, declared to emscripten's linker, so that the module imports it by
// this name. Its body is host.js's, the module's host: this stands in
// emscripten's own runtime, which nothing uses.
mergeInto(LibraryManager.library, {
    // The tool's standard output is a terminal (src/platform.cpp).
    host_stdout_is_terminal: function () {
        return 0;
    },
});
