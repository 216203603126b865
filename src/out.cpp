// SPDX-License-Identifier: MIT
#include "out.h"

Out out_of(char *at, size_t size) {
    if (size > 0)
        at[0] = '\0';
    Out o = {at, size, 0, 0};
    return o;
}

void put_char(Out *o, char c) {
    if (o->length + 1 < o->size) {
        o->at[o->length] = c;
        o->at[o->length + 1] = '\0';
    } else {
        o->full = 1;
    }
    o->length++;
}

void put_text(Out *o, const char *s) {
    for (; *s != '\0'; s++)
        put_char(o, *s);
}

void put_bytes(Out *o, const char *s, size_t n) {
    for (size_t i = 0; i < n; i++)
        put_char(o, s[i]);
}

void put_int(Out *o, long long value) {
    char digits[24];
    int count = 0;
    // From the units up, each digit of a negative value taken as positive:
    // the most negative one has no positive twin.
    unsigned long long rest = value < 0 ? 0 - (unsigned long long)value : (unsigned long long)value;
    do {
        digits[count++] = (char)('0' + rest % 10);
        rest /= 10;
    } while (rest > 0);
    if (value < 0)
        put_char(o, '-');
    while (count > 0)
        put_char(o, digits[--count]);
}
