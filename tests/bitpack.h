// SPDX-License-Identifier: MIT
// A field-by-field description of a bit stream, packed into bytes: what the
// golden cases' inputs are written in. One field a line, with an optional
// comment after '#':
//
//   4 3        # a 4-bit field holding 3 (values may be decimal or 0x hex)
//   8 0x61 x5  # the same 8-bit field five times
//   "ADIF"     # each byte of the text as an 8-bit field
//
// The last byte is padded with zero bits. bitpack.cpp makes a file of it;
// the unit tests pack in memory.
#ifndef ADIFINFO_TESTS_BITPACK_H
#define ADIFINFO_TESTS_BITPACK_H

#include "bitwriter.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// Packs the description read from in into w: 0, or the number of the line
// that is not a field, with what is wrong with it in *error.
inline int pack_description(FILE *in, BitWriter *w, const char **error) {
    char buf[1024];
    for (int line = 1; fgets(buf, sizeof buf, in) != NULL; line++) {
        char *s = buf + strspn(buf, " \t");
        if (*s == '"') {
            char *end = strchr(s + 1, '"');
            if (end == NULL) {
                *error = "unterminated text";
                return line;
            }
            for (char *c = s + 1; c < end; c++)
                put_bits(w, 8, (unsigned char)*c);
            continue;
        }
        s[strcspn(s, "#\n")] = '\0';
        if (s[strspn(s, " \t")] == '\0')
            continue;

        char *p;
        long width = strtol(s, &p, 10);
        unsigned long long value = strtoull(p, &p, 0);
        long repeat = 1;
        p += strspn(p, " \t");
        if (*p == 'x')
            repeat = strtol(p + 1, &p, 10);
        if (width < 1 || width > 32 || p[strspn(p, " \t")] != '\0' || repeat < 1) {
            *error = "expected: <width 1-32> <value> [x<count>]";
            return line;
        }
        if (value >> width != 0) {
            *error = "value does not fit its width";
            return line;
        }
        while (repeat-- > 0)
            put_bits(w, (int)width, (uint32_t)value);
    }
    return 0;
}

#endif
