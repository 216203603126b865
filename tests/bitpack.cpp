// SPDX-License-Identifier: MIT
// bitpack: turns a field-by-field description of a bit stream (bitpack.h)
// into the bytes of a file, so that test inputs can be written and read as
// the syntax tables lay them out.
//
//   bitpack <description> <output>
#include "bitpack.h"

#include <stdio.h>

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
    const char *error = NULL;
    int line = pack_description(in, &w, &error);
    fclose(in);
    if (line != 0) {
        fprintf(stderr, "%s:%d: %s\n", argv[1], line, error);
        return 1;
    }

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
