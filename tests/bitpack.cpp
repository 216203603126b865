// SPDX-License-Identifier: MIT
// bitpack: turns a field-by-field description of a bit stream into the bytes
// of a file, so that test inputs can be written and read as the syntax tables
// lay them out. One field a line, with an optional comment after '#':
//
//   4 3        # a 4-bit field holding 3 (values may be decimal or 0x hex)
//   8 0x61 x5  # the same 8-bit field five times
//   "ADIF"     # each byte of the text as an 8-bit field
//
// The last byte is padded with zero bits.
#include "bitwriter.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int fail(const char *path, int line, const char *what) {
    fprintf(stderr, "%s:%d: %s\n", path, line, what);
    return 1;
}

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s <description> <output>\n", argv[0]);
        return 2;
    }
    FILE *in = fopen(argv[1], "r");
    if (in == NULL) {
        perror(argv[1]);
        return 2;
    }

    BitWriter w;
    char buf[1024];
    for (int line = 1; fgets(buf, sizeof buf, in) != NULL; line++) {
        char *s = buf + strspn(buf, " \t");
        if (*s == '"') {
            char *end = strchr(s + 1, '"');
            if (end == NULL)
                return fail(argv[1], line, "unterminated text");
            for (char *c = s + 1; c < end; c++)
                put_bits(&w, 8, (unsigned char)*c);
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
        if (width < 1 || width > 32 || p[strspn(p, " \t")] != '\0' || repeat < 1)
            return fail(argv[1], line, "expected: <width 1-32> <value> [x<count>]");
        if (value >> width != 0)
            return fail(argv[1], line, "value does not fit its width");
        while (repeat-- > 0)
            put_bits(&w, (int)width, (uint32_t)value);
    }
    fclose(in);

    FILE *out = fopen(argv[2], "wb");
    // An empty file is a valid result; fwrite must not get its null data().
    if (out == NULL ||
        (!w.bytes.empty() && fwrite(w.bytes.data(), 1, w.bytes.size(), out) != w.bytes.size()) ||
        fclose(out) != 0) {
        perror(argv[2]);
        return 2;
    }
    return 0;
}
