// SPDX-License-Identifier: MIT
// The fuzz target of the summary and its JSON: each input is the start of a
// file, read as the page and the library read it (what the intake wants),
// the tool run on it with every element noted, and the summary made and
// handed over as JSON, which must fit the module's buffer and be JSON whose
// strings are UTF-8. The input's first byte makes the file longer than the
// input by up to 15 GB, or not (0), so that sizes both known and beyond
// what was read are tried.
#include "host.h"
#include "text.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    stdout_to_nowhere();
    return 0;
}

// Nonzero when the n bytes at s are UTF-8 throughout.
static int json_utf8(const char *s, size_t n) {
    for (size_t i = 0; i < n;) {
        if ((unsigned char)s[i] < 0x80) { // most of it
            i++;
            continue;
        }
        unsigned long code;
        int length = utf8_char((const unsigned char *)s + i, n - i, &code);
        if (length <= 0)
            return 0;
        i += (size_t)length;
    }
    return 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static char buffer[BUFSIZ];
    FILE *in = memory_file_through(data, size, buffer, sizeof buffer);
    if (in == NULL)
        abort();
    long long more = size > 0 ? (long long)(data[0] & 0x0f) * 1000000007 : 0;
    intake_from(data, size, more > 0 ? (long long)size + more : -1);
    summarized_run(in, 0);
    fclose(in);

    static char json[SUMMARY_JSON_MOST];
    size_t length = summary_json(json, sizeof json);
    if (length == 0)
        abort(); // the module's buffer holds any summary
    static JsonReader reader;
    if (!read_json(&reader, json, length) || !json_utf8(json, length))
        abort();
    return 0;
}
