// SPDX-License-Identifier: MIT
// Text written into a buffer of a fixed size, piece by piece: what does not
// fit is left out, and remembered (full), so that a writer checks once, at
// the end, rather than at every piece. The text so far always ends in a NUL
// where the buffer has room for it; length counts what was written and what
// was left out alike.
#ifndef ADIFINFO_OUT_H
#define ADIFINFO_OUT_H

#include <stddef.h>

struct Out {
    char *at;
    size_t size;
    size_t length;
    int full;
};

// An empty text in the size bytes at at.
Out out_of(char *at, size_t size);

void put_char(Out *o, char c);
void put_text(Out *o, const char *s); // up to its NUL
void put_bytes(Out *o, const char *s, size_t n);
void put_int(Out *o, long long value); // in decimal

#endif
