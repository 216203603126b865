// SPDX-License-Identifier: MIT
// The reader loads the file into cword sixteen bits (two bytes) at a time and
// hands out fields from its low nbits bits, highest first. Before a read of n
// bits it tops cword up until it holds more than 16 unread bits and at least
// n, so a 23-bit read may find 22 bits and load one more unit: 38 bits at
// most are live, and a 64-bit accumulator holds them. Bits shifted out at the
// top were consumed long before, and every result is masked to its width.
//
// Units are whole byte pairs counted from the first byte of the file, so the
// read position is 16 * units - nbits and it lies on a byte boundary exactly
// when nbits is a multiple of 8. Bytes past the end of the file (or that fail
// to read) enter as zeros and are counted in nzeros; they always sit at the
// end of what has been loaded, so the reader has consumed one of them exactly
// when 8 * nzeros exceeds the unread count.
#include "bits.h"

#include <assert.h>
#include <stdint.h>

FILE *bin;
static uint64_t cword; // the most recently loaded bits; the unread ones are its low nbits
static int32_t nbits;  // bits of cword not yet consumed
static int32_t nzeros; // bytes supplied as 0 because the file had no more (or failed)
static long loaded;    // bytes loaded into cword so far, the zeros included

// One byte of the file, or 0 (counted) where the file has none.
static int getbyte(void) {
    loaded++;
    int c = getc(bin);
    if (c == EOF) {
        nzeros++;
        return 0;
    }
    return c;
}

int getshort(void) {
    int hi = getbyte();
    int lo = getbyte();
    return hi << 8 | lo;
}

int getbits(int n) {
    assert(n >= 1 && n <= 23);
    while (nbits <= 16 || nbits < n) {
        cword = cword << 16 | (uint64_t)getshort();
        nbits += 16;
    }
    nbits -= n;
    return (int)((cword >> nbits) & ((UINT64_C(1) << n) - 1));
}

void byte_align(void) {
    nbits &= ~7;
}

void reset_reader(void) {
    cword = 0;
    nbits = 0;
    nzeros = 0;
    loaded = 0;
}

int overran(void) {
    return 8 * nzeros > nbits;
}

long read_position(void) {
    return 8 * loaded - nbits;
}
