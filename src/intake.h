// SPDX-License-Identifier: MIT
// How much of a file a host reads to summarize it, decided here once, for
// every host and every source (a path, a device, a Blob, bytes, a stream):
// the host asks what is wanted next (intake_want), reads it, forward only,
// into intake_buffer(), and says how many bytes it got and whether the file
// ends there (intake_took), until nothing more is wanted. What is wanted:
//
//   the start     the first START_SPAN bytes: the largest header and the
//                 span that tells text from the rest (fewer where the file
//                 ends first)
//   after a tag   where an ID3v2 tag runs to the end of the start or past
//                 it, and the file goes on past the tag, the NEXT_SPAN bytes
//                 where the tag ends: what follows it
//
// Each piece is read whole unless the file ends first, which gives its size,
// or the host has no more of it (it was given only the file's start), which
// ends the intake.
#ifndef ADIFINFO_INTAKE_H
#define ADIFINFO_INTAKE_H

#include "adif.h"
#include "text.h"

#include <stddef.h>

enum {
    START_SPAN = (int)ADIF_HEADER_MOST > (int)TEXT_SPAN ? (int)ADIF_HEADER_MOST : (int)TEXT_SPAN,
    NEXT_SPAN = 16,
};

struct Intake {
    long long size; // the file's size in bytes; -1 while not known
    unsigned char start[START_SPAN];
    size_t start_count;
    unsigned char next[NEXT_SPAN]; // what follows a long tag
    size_t next_count;
    int next_read; // nonzero once next was read
    int stage;     // what is wanted now
};

extern Intake intake;

// Starts the intake of a file of size bytes (-1 where not known).
void intake_begin(long long size);

// What to read next: count bytes at offset; count 0 when nothing more.
struct Want {
    long long offset;
    size_t count;
};
Want intake_want(void);

// Where the host writes what it reads (intake_want's count bytes at most).
unsigned char *intake_buffer(void);

// The host wrote count bytes of what was wanted there; ended: the file ends
// right after them. Fewer than wanted, and not at the end, and the host has
// no more to give.
void intake_took(size_t count, int ended);

#endif
