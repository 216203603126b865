// SPDX-License-Identifier: MIT
#include "out.h"

#include <assert.h>
#include <string.h>

Out out_of(char *at, size_t size) {
    if (size > 0)
        at[0] = '\0';
    Out o = {at, size, 0, 0};
    return o;
}

void put_text(Out *o, const char *s) {
    put_bytes(o, s, strlen(s));
}

// What fits of the n bytes, at once: a phrase or a comment is mostly runs of
// bytes that need nothing done to them.
void put_bytes(Out *o, const char *s, size_t n) {
    size_t room = o->length + 1 < o->size ? o->size - 1 - o->length : 0;
    size_t fits = n < room ? n : room;
    if (fits > 0) {
        memcpy(o->at + o->length, s, fits);
        o->at[o->length + fits] = '\0';
    }
    if (fits < n)
        o->full = 1;
    o->length += n;
}

static long long power_of_ten(int places) {
    long long scale = 1;
    while (places-- > 0)
        scale *= 10;
    return scale;
}

// The quotient's whole part and its places' units, rounded: the remainder
// times twice the scale stays below 2^61.
static void quotient(long long num, long long den, int places, long long *whole, long long *units) {
    assert(num >= 0 && den > 0 && den <= QUOTIENT_DIVISOR_MOST);
    assert(places >= 0 && places <= QUOTIENT_PLACES_MOST);
    long long scale = power_of_ten(places);
    *whole = num / den;
    *units = (num % den * scale * 2 + den) / (2 * den);
    if (*units == scale) {
        ++*whole;
        *units = 0;
    }
}

long long rounded_quotient(long long num, long long den, int places) {
    long long whole, units;
    quotient(num, den, places, &whole, &units);
    return whole * power_of_ten(places) + units;
}

void put_quotient(Out *o, long long num, long long den, int places, int trim) {
    long long whole, units;
    quotient(num, den, places, &whole, &units);
    put_int(o, whole);
    char digits[QUOTIENT_PLACES_MOST];
    int count = places;
    for (int i = places - 1; i >= 0; i--, units /= 10)
        digits[i] = (char)('0' + units % 10);
    while (trim && count > 0 && digits[count - 1] == '0')
        count--;
    if (count > 0)
        put_char(o, '.');
    put_bytes(o, digits, (size_t)count);
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
