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

// An unnamed temporary file holding size bytes at data, positioned at its
// start, or NULL.
inline FILE *temp_file_of(const void *data, size_t size) {
    FILE *f = tmpfile();
    if (f != NULL && size > 0 && fwrite(data, 1, size, f) != size) {
        fclose(f);
        return NULL;
    }
    if (f != NULL)
        rewind(f);
    return f;
}

// A stream reading size bytes at data, or NULL. Where the C library reads
// from memory the bytes must outlive the stream; Windows has no fmemopen, and
// FreeBSD's refuses an empty buffer, so there the bytes go to a temporary file.
inline FILE *memory_file(const void *data, size_t size) {
#if !defined(_WIN32)
    if (size > 0)
        return fmemopen(const_cast<void *>(data), size, "rb");
#endif
    return temp_file_of(data, size);
}

#endif
