// SPDX-License-Identifier: MIT
// Shared by the tests and the fuzz targets: what a host of the summary does
// (the page, the library): it reads what the intake wants of a file, here
// from bytes in memory, then runs the tool with its elements noted and makes
// the summary; and a reader of the JSON it hands over.
#ifndef ADIFINFO_TESTS_HOST_H
#define ADIFINFO_TESTS_HOST_H

#include "cli.h"
#include "intake.h"
#include "memory_file.h"
#include "summary.h"

#include <stddef.h>
#include <string.h>

// The intake of a file whose first count bytes are at data: the whole file
// (size -1), or only its start, of a file of size bytes.
inline void intake_from(const unsigned char *data, size_t count, long long size) {
    intake_begin(size >= 0 ? size : (long long)count);
    for (Want w = intake_want(); w.count > 0; w = intake_want()) {
        size_t at = w.offset < (long long)count ? (size_t)w.offset : count;
        size_t got = count - at < w.count ? count - at : w.count;
        if (got > 0)
            memcpy(intake_buffer(), data + at, got);
        int ended = size < 0 ? at + got == count : (long long)(at + got) >= size;
        intake_took(got, ended);
        if (got < w.count && !ended)
            break; // the host has no more of the file
    }
}

// The tool run on the open file in, as the module runs it for a summary,
// with its report printed (escaped where escape is nonzero), and the summary
// made: the run's outcome.
inline ToolRun summarized_run(FILE *in, int escape) {
    reset_tool(in, escape, note_program);
    ToolRun run;
    run.reading = inspect(in);
    run.status = exit_status(run.reading);
    summarize(run);
    return run;
}

// A reader of JSON as the summary writes it: each value, in order, given to
// visit(path, type, text), where path names it ("inWords.programs[0].note"),
// type is one of "{[\"ntfu" ('u' for a number), and text is a string's
// decoded bytes or a number's as written (empty otherwise); visit may be
// NULL. Returns the length of the value at s, or 0 where it is not JSON.
struct JsonReader {
    const char *s;
    size_t n;
    size_t at;
    void (*visit)(void *context, const char *path, char type, const char *text, size_t length);
    void *context;
    char path[512];
    char text[8192];
};

inline void json_space(JsonReader *r) {
    while (r->at < r->n && (r->s[r->at] == ' ' || r->s[r->at] == '\n' || r->s[r->at] == '\t' ||
                            r->s[r->at] == '\r'))
        r->at++;
}

inline int json_put_utf8(char *out, size_t *length, size_t size, unsigned long code) {
    unsigned char bytes[4];
    int count = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    static const unsigned char lead[] = {0, 0, 0xc0, 0xe0, 0xf0};
    for (int i = count - 1; i > 0; i--) {
        bytes[i] = (unsigned char)(0x80 | (code & 0x3f));
        code >>= 6;
    }
    bytes[0] = (unsigned char)(lead[count] | code);
    for (int i = 0; i < count; i++) {
        if (*length + 1 >= size)
            return 0;
        out[(*length)++] = (char)bytes[i];
    }
    return 1;
}

// A string at r->at, its bytes decoded into r->text (NUL-terminated) where
// keep is nonzero.
inline int json_read_string(JsonReader *r, size_t *length, int keep = 1) {
    *length = 0;
    if (r->at >= r->n || r->s[r->at] != '"')
        return 0;
    for (r->at++; r->at < r->n; r->at++) {
        unsigned char c = (unsigned char)r->s[r->at];
        if (c == '"') {
            r->at++;
            r->text[keep ? *length : 0] = '\0';
            return 1;
        }
        if (c < 0x20)
            return 0;
        if (!keep && c != '\\')
            continue;
        if (c == '\\') {
            if (++r->at >= r->n)
                return 0;
            char e = r->s[r->at];
            const char *simple = strchr("\"\\/bfnrt", e);
            if (e != '\0' && simple != NULL) {
                static const char decoded[] = "\"\\/\b\f\n\r\t";
                c = (unsigned char)decoded[simple - "\"\\/bfnrt"];
            } else if (e == 'u' && r->at + 4 < r->n) {
                unsigned long code = 0;
                for (int i = 1; i <= 4; i++) {
                    char h = r->s[r->at + i];
                    int v = h >= '0' && h <= '9'   ? h - '0'
                            : h >= 'a' && h <= 'f' ? h - 'a' + 10
                            : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                   : -1;
                    if (v < 0)
                        return 0;
                    code = code << 4 | (unsigned long)v;
                }
                r->at += 4;
                if (keep && !json_put_utf8(r->text, length, sizeof r->text, code))
                    return 0;
                continue;
            } else {
                return 0;
            }
        }
        if (!keep)
            continue;
        if (*length + 1 >= sizeof r->text)
            return 0;
        r->text[(*length)++] = (char)c;
    }
    return 0;
}

inline int json_read_value(JsonReader *r, size_t path_length);

inline int json_visit(JsonReader *r, char type, size_t length) {
    if (r->visit != NULL)
        r->visit(r->context, r->path, type, r->text, length);
    return 1;
}

inline int json_read_value(JsonReader *r, size_t path_length) {
    json_space(r);
    if (r->at >= r->n)
        return 0;
    char c = r->s[r->at];
    size_t length = 0;
    r->text[0] = '\0';
    if (c == '"')
        return json_read_string(r, &length, r->visit != NULL) && json_visit(r, '"', length);
    const char *words[] = {"null", "true", "false"};
    for (const char *word : words) {
        size_t k = strlen(word);
        if (r->n - r->at >= k && memcmp(r->s + r->at, word, k) == 0) {
            r->at += k;
            return json_visit(r, word[0], 0);
        }
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
        // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
        size_t begin = r->at;
        auto digits = [&] {
            size_t first = r->at;
            while (r->at < r->n && r->s[r->at] >= '0' && r->s[r->at] <= '9')
                r->at++;
            return r->at - first;
        };
        if (r->s[r->at] == '-')
            r->at++;
        size_t whole = digits();
        if (whole == 0 || (whole > 1 && r->s[r->at - whole] == '0'))
            return 0;
        if (r->at < r->n && r->s[r->at] == '.' && (r->at++, digits() == 0))
            return 0;
        if (r->at < r->n && (r->s[r->at] == 'e' || r->s[r->at] == 'E')) {
            r->at++;
            if (r->at < r->n && (r->s[r->at] == '+' || r->s[r->at] == '-'))
                r->at++;
            if (digits() == 0)
                return 0;
        }
        length = r->at - begin < sizeof r->text - 1 ? r->at - begin : sizeof r->text - 1;
        memcpy(r->text, r->s + begin, length);
        r->text[length] = '\0';
        return json_visit(r, 'u', length);
    }
    if (c != '{' && c != '[')
        return 0;
    json_visit(r, c, 0);
    char close = c == '{' ? '}' : ']';
    r->at++;
    json_space(r);
    if (r->at < r->n && r->s[r->at] == close) {
        r->at++;
        return 1;
    }
    for (int index = 0;; index++) {
        json_space(r);
        char key[256];
        if (c == '{') {
            size_t key_length;
            if (!json_read_string(r, &key_length) || key_length >= sizeof key)
                return 0;
            memcpy(key, r->text, key_length + 1);
            json_space(r);
            if (r->at >= r->n || r->s[r->at++] != ':')
                return 0;
        }
        // Paths only where they are looked at: the fuzz target reads many
        // a document only to know it is one.
        int wrote = 0;
        if (r->visit != NULL) {
            if (c == '[')
                snprintf(key, sizeof key, "[%d]", index);
            wrote = snprintf(r->path + path_length, sizeof r->path - path_length, "%s%s",
                             c == '{' && path_length > 0 ? "." : "", key);
            if (wrote < 0 || (size_t)wrote >= sizeof r->path - path_length)
                return 0;
        }
        if (!json_read_value(r, path_length + (size_t)wrote))
            return 0;
        r->path[path_length] = '\0';
        json_space(r);
        if (r->at < r->n && r->s[r->at] == ',') {
            r->at++;
            continue;
        }
        if (r->at < r->n && r->s[r->at] == close) {
            r->at++;
            return 1;
        }
        return 0;
    }
}

// Reads the JSON document of n bytes at s; nonzero where it is one whole
// value and nothing after it.
inline int read_json(JsonReader *r, const char *s, size_t n) {
    r->s = s;
    r->n = n;
    r->at = 0;
    r->path[0] = '\0';
    if (!json_read_value(r, 0))
        return 0;
    json_space(r);
    return r->at == n;
}

#endif
