// SPDX-License-Identifier: MIT
// Printing text that comes from outside the tool (comments, file names, the
// program name) so that, on a terminal, no byte of it can drive the terminal.
#ifndef ADIFINFO_SAFE_PRINT_H
#define ADIFINFO_SAFE_PRINT_H

// Nonzero when outside text is to be printed escaped: standard output is a
// terminal. Set by the command line before anything is printed.
extern int escape_text;

// Prints s to standard output: as it is, or with escape_text set, every byte
// outside printable ASCII as \xhh, so that no input can drive the terminal.
// The backslash is printable and stays as it is: on Windows it separates the
// names of a path, which must read as the user typed it.
void print_text(const char *s);

#endif
