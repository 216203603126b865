// SPDX-License-Identifier: MIT
#include "json.h"

#include <string.h>

void json_start(Json *j, char *at, size_t size) {
    memset(j, 0, sizeof *j);
    j->out = out_of(at, size);
}

static void put_quoted(Out *o, const char *s, size_t n) {
    static const char hex[] = "0123456789abcdef";
    put_char(o, '"');
    for (size_t i = 0; i < n;) {
        size_t plain = i;
        while (plain < n && (unsigned char)s[plain] >= 0x20 && s[plain] != '"' && s[plain] != '\\')
            plain++;
        put_bytes(o, s + i, plain - i); // the run that needs no escape
        if (plain == n)
            break;
        unsigned char c = (unsigned char)s[plain];
        if (c == '"' || c == '\\') {
            put_char(o, '\\');
            put_char(o, (char)c);
        } else {
            put_text(o, "\\u00");
            put_char(o, hex[c >> 4]);
            put_char(o, hex[c & 0x0f]);
        }
        i = plain + 1;
    }
    put_char(o, '"');
}

// The comma before a value, where one came before it, and its key.
static void begin_value(Json *j, const char *key) {
    if (j->depth > 0 && j->values[j->depth - 1]++ > 0)
        put_char(&j->out, ',');
    if (key != NULL) {
        put_quoted(&j->out, key, strlen(key));
        put_char(&j->out, ':');
    }
}

void json_open(Json *j, const char *key, char bracket) {
    begin_value(j, key);
    put_char(&j->out, bracket);
    if (j->depth == JSON_DEPTH) {
        j->deep = 1;
        return;
    }
    j->closing[j->depth] = bracket == '{' ? '}' : ']';
    j->values[j->depth] = 0;
    j->depth++;
}

void json_close(Json *j) {
    if (j->depth > 0)
        put_char(&j->out, j->closing[--j->depth]);
}

void json_bytes(Json *j, const char *key, const char *s, size_t n) {
    begin_value(j, key);
    put_quoted(&j->out, s, n);
}

void json_string(Json *j, const char *key, const char *s) {
    if (s == NULL)
        json_null(j, key);
    else
        json_bytes(j, key, s, strlen(s));
}

void json_int(Json *j, const char *key, long long value) {
    begin_value(j, key);
    put_int(&j->out, value);
}

void json_quotient(Json *j, const char *key, long long num, long long den) {
    begin_value(j, key);
    put_quotient(&j->out, num, den, QUOTIENT_PLACES_MOST, 1);
}

void json_bool(Json *j, const char *key, int value) {
    begin_value(j, key);
    put_text(&j->out, value ? "true" : "false");
}

void json_null(Json *j, const char *key) {
    begin_value(j, key);
    put_text(&j->out, "null");
}

size_t json_finish(Json *j) {
    return j->out.full || j->depth != 0 || j->deep ? 0 : j->out.length;
}
