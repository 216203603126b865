// SPDX-License-Identifier: MIT
// A test-only bit writer: the inverse of the tool's reader, for building
// ADIF streams field by field.
#ifndef ADIFINFO_TESTS_BITWRITER_H
#define ADIFINFO_TESTS_BITWRITER_H

#include <stddef.h>
#include <stdint.h>
#include <vector>

struct BitWriter {
    std::vector<unsigned char> bytes; // the last byte is padded with zero bits
    size_t nbits = 0;                 // bits written
};

// Appends the low `width` bits of value (1 to 32), most significant first.
inline void put_bits(BitWriter *w, int width, uint32_t value) {
    for (int i = width - 1; i >= 0; i--) {
        if (w->nbits % 8 == 0)
            w->bytes.push_back(0);
        if ((value >> i) & 1)
            w->bytes.back() |= (unsigned char)(0x80 >> (w->nbits % 8));
        w->nbits++;
    }
}

#endif
