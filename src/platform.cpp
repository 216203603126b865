// SPDX-License-Identifier: MIT
// fileno and isatty are POSIX, not ISO C: a C library in its strict mode (as
// -std=c++17 asks for) declares them only when POSIX is asked for. macOS
// declares them as it is, and asked, hides names its own headers use: it is
// not asked.
#if !defined(_WIN32) && !defined(__APPLE__) && !defined(_POSIX_C_SOURCE)
#define _POSIX_C_SOURCE 200112L
#endif

#include "platform.h"

#include <stdio.h>

#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>

// Any character device: a console, and also the NUL device, where the escaping
// harms nobody.
int stdout_is_terminal(void) {
    return _isatty(_fileno(stdout));
}

// Text mode would write every "\n" as "\r\n", inside a comment too.
void stdout_binary(void) {
    fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

#elif defined(__EMSCRIPTEN__)

// WebAssembly, in a browser or under Node.js: standard output is whatever
// the host (the page, or the npm package) made of it, and the host says
// whether that is a terminal: the command when its own standard output is
// one, the page for the report it shows.
extern "C" int host_stdout_is_terminal(void);

int stdout_is_terminal(void) {
    return host_stdout_is_terminal();
}

void stdout_binary(void) {}

#elif defined(__unix__) || defined(__APPLE__)

#include <unistd.h>

int stdout_is_terminal(void) {
    return isatty(fileno(stdout));
}

void stdout_binary(void) {}

#else

// Neither POSIX nor Windows: no way to ask, so nothing is escaped.
int stdout_is_terminal(void) {
    return 0;
}

void stdout_binary(void) {}

#endif
