// SPDX-License-Identifier: MIT
// JSON, written value after value into a buffer of a fixed size (out.h):
// the writer places the commas, and each value inside an object is given
// with its key (NULL inside an array). Strings are UTF-8: the quote, the
// backslash and every byte below 0x20 are escaped, and the rest is written
// as it is, so a string is JSON whatever bytes it holds, and the text it
// stands for whenever those bytes are UTF-8.
#ifndef ADIFINFO_JSON_H
#define ADIFINFO_JSON_H

#include "out.h"

#include <stddef.h>

enum { JSON_DEPTH = 8 }; // objects and arrays inside one another

struct Json {
    Out out;
    int depth;
    char closing[JSON_DEPTH]; // what ends each one open
    int values[JSON_DEPTH];   // the values written in each so far
    int deep;                 // nonzero once more were opened than JSON_DEPTH
};

// Starts a document in the size bytes at at.
void json_start(Json *j, char *at, size_t size);

void json_open(Json *j, const char *key, char bracket);    // '{' or '['
void json_close(Json *j);                                  // the innermost one open
void json_string(Json *j, const char *key, const char *s); // NULL: null
void json_bytes(Json *j, const char *key, const char *s, size_t n);
void json_int(Json *j, const char *key, long long value);
void json_quotient(Json *j, const char *key, long long num, long long den); // to 10^-9
void json_bool(Json *j, const char *key, int value);
void json_null(Json *j, const char *key);

// The document's length, or 0 where it did not fit, or was left open.
size_t json_finish(Json *j);

#endif
