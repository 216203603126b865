// SPDX-License-Identifier: MIT
// The bit reader: the input file as a stream of bit fields, most significant
// bit first. There is one reader per process.
#ifndef ADIFINFO_BITS_H
#define ADIFINFO_BITS_H

#include <stdio.h>

extern FILE *bin; // the file being read; set before the first read

// The next 16 bits of the file, big-endian; a byte the file cannot supply
// reads as 0.
int getshort(void);

// Reads 1 to 23 bits and returns them in the low bits of the result.
int getbits(int n);

// Skips to the next byte boundary of the file; does nothing at one.
void byte_align(void);

// Puts the reader back as a new process finds it: nothing loaded, nothing
// read past the end. bin is left as it is. (reset_tool in cli.h resets the
// whole tool.)
void reset_reader(void);

// Nonzero when the bits consumed so far reach past the end of the file.
// Bits only loaded ahead, and not yet consumed, do not count.
int overran(void);

// How many bits have been consumed since the first byte of the file: after
// a whole header, which ends on a byte boundary, eight times its length.
long read_position(void);

#endif
