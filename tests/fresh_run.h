// Shared by the tests and the fuzz target: the tool's process-wide state put
// back as a new run finds it, and input bytes read straight from memory.
#ifndef ADIFINFO_TESTS_FRESH_RUN_H
#define ADIFINFO_TESTS_FRESH_RUN_H

#include "adif.h"
#include "bits.h"

#include <stddef.h>
#include <stdio.h>

// A fresh reader on `in` and zeroed records.
inline void start_over(FILE *in) {
    bin = in;
    cword = 0;
    nbits = 0;
    nzeros = 0;
    adif_header = ADIF_Header();
    prog_config = ProgConfig();
    escape_text = 0;
}

// A stream reading size bytes at data (none at all when size is 0), or NULL.
// The bytes must outlive the stream.
inline FILE *memory_file(const void *data, size_t size) {
    static unsigned char none[1];
    return fmemopen(size > 0 ? const_cast<void *>(data) : none, size, "rb");
}

#endif
