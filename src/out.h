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

// One byte more: most of what is written is bytes one at a time.
inline void put_char(Out *o, char c) {
    if (o->length + 1 < o->size) {
        o->at[o->length] = c;
        o->at[o->length + 1] = '\0';
    } else {
        o->full = 1;
    }
    o->length++;
}

void put_text(Out *o, const char *s); // up to its NUL
void put_bytes(Out *o, const char *s, size_t n);
void put_int(Out *o, long long value); // in decimal

// The most decimal places of a quotient (put_quotient), and the largest
// divisor it takes, for which its arithmetic fits 64 bits.
enum { QUOTIENT_PLACES_MOST = 9 };
const long long QUOTIENT_DIVISOR_MOST = 1LL << 30;

// num / den (num >= 0, 0 < den <= QUOTIENT_DIVISOR_MOST) to the nearest
// 10^-places (a half up), for places from 0 to QUOTIENT_PLACES_MOST: the
// count of those units.
long long rounded_quotient(long long num, long long den, int places);

// The same in decimal, with its places; trim: without the zeros that end
// them (and without the point where all are).
void put_quotient(Out *o, long long num, long long den, int places, int trim);

#endif
