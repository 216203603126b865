// SPDX-License-Identifier: MIT
// The one place the tool meets the system beyond ISO C stdio: whether standard
// output is a terminal, and putting it in binary mode. Nothing else in the
// tool tests a platform macro.
#ifndef ADIFINFO_PLATFORM_H
#define ADIFINFO_PLATFORM_H

// Nonzero when standard output is a terminal (on Windows, a console) that a
// byte from the input could drive. Zero where the system cannot tell.
int stdout_is_terminal(void);

// Makes standard output write "\n" as the one byte it is, so the report is the
// same bytes on every system. Does nothing where that is already so.
void stdout_binary(void);

#endif
