// SPDX-License-Identifier: MIT
// The two things the tool asks of its host beside the C library's system
// calls, declared to emscripten's linker, so that the module imports them by
// these names. Their bodies are run.js's, the module's host: these stand in
// emscripten's own runtime, which nothing uses.
mergeInto(LibraryManager.library, {
    // The tool's standard output is a terminal (src/platform.cpp).
    host_stdout_is_terminal: function () {
        return 0;
    },
    // A program config element, as the tool read it (web/main.cpp).
    host_element: function (fields, count, comment, length) {},
});
