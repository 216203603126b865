// SPDX-License-Identifier: MIT
#include "text.h"

int utf8_char(const unsigned char *s, size_t n, unsigned long *code) {
    unsigned char first = s[0];
    int length;
    unsigned char low = 0x80, high = 0xbf; // the second byte's range
    if (first < 0x80) {
        *code = first;
        return 1;
    } else if (first >= 0xc2 && first <= 0xdf) {
        length = 2;
    } else if (first >= 0xe0 && first <= 0xef) {
        length = 3;
        low = first == 0xe0 ? 0xa0 : 0x80;  // not overlong
        high = first == 0xed ? 0x9f : 0xbf; // not a surrogate
    } else if (first >= 0xf0 && first <= 0xf4) {
        length = 4;
        low = first == 0xf0 ? 0x90 : 0x80;  // not overlong
        high = first == 0xf4 ? 0x8f : 0xbf; // not past U+10FFFF
    } else {
        return 0; // a continuation byte, 0xc0 and 0xc1 (overlong), past 0xf4
    }
    unsigned long value = first & (0x7f >> length);
    for (int i = 1; i < length; i++) {
        if ((size_t)i >= n)
            return -1;
        unsigned char next = s[i];
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xbf))
            return 0;
        value = value << 6 | (next & 0x3f);
    }
    *code = value;
    return length;
}

// The control characters: C0 (but tab, LF and CR, which text is made of),
// DEL and C1.
static int is_control(unsigned long code) {
    return (code < 0x20 && code != '\t' && code != '\n' && code != '\r') ||
           (code >= 0x7f && code <= 0x9f);
}

int is_text(const unsigned char *start, size_t count, long long size) {
    size_t n = count < (size_t)TEXT_SPAN ? count : (size_t)TEXT_SPAN;
    // Fewer bytes than the span only where they are the whole file.
    if (n < TEXT_LEAST || (n < TEXT_SPAN && (long long)n != size))
        return 0;
    for (size_t i = 0; i < n;) {
        unsigned long code = 0;
        int length = utf8_char(start + i, n - i, &code);
        if (length < 0)
            return size < 0 || size > (long long)n; // cut by the span, not by the file's end
        if (length == 0 || is_control(code))
            return 0;
        i += (size_t)length;
    }
    return 1;
}

// Characters that mislead where text is shown as text: every control (tab,
// LF and CR too: a name or a comment is one line), and the marks that turn
// the direction of what follows or hide themselves.
static int misleads(unsigned long code) {
    return code < 0x20 || (code >= 0x7f && code <= 0x9f) || code == 0x61c || code == 0x200b ||
           code == 0x200e || code == 0x200f || (code >= 0x2028 && code <= 0x202e) ||
           (code >= 0x2060 && code <= 0x2069) || code == 0xfeff;
}

static void put_hex(Out *o, const char *prefix, unsigned long value, int digits) {
    static const char hex[] = "0123456789abcdef";
    put_text(o, prefix);
    while (digits-- > 0)
        put_char(o, hex[(value >> (4 * digits)) & 0x0f]);
}

void put_as_written(Out *o, const unsigned char *s, size_t n) {
    for (size_t i = 0; i < n;) {
        size_t plain = i; // printable ASCII, the most of most text, as it is
        while (plain < n && s[plain] >= 0x20 && s[plain] < 0x7f)
            plain++;
        if (plain > i) {
            put_bytes(o, (const char *)s + i, plain - i);
            i = plain;
            continue;
        }
        unsigned long code = 0;
        int length = utf8_char(s + i, n - i, &code);
        if (length <= 0) {
            put_hex(o, "\\x", s[i], 2);
            i++;
            continue;
        }
        if (!misleads(code))
            put_bytes(o, (const char *)s + i, (size_t)length);
        else if (code < 0x80)
            put_hex(o, "\\x", code, 2);
        else
            put_hex(o, "\\u", code, 4);
        i += (size_t)length;
    }
}
