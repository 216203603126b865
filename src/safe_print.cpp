// SPDX-License-Identifier: MIT
#include "safe_print.h"

#include <stdio.h>

int escape_text;

void print_text(const char *s) {
    if (!escape_text) {
        fputs(s, stdout);
        return;
    }
    for (; *s != '\0'; s++) {
        unsigned char c = (unsigned char)*s;
        if (c < 0x20 || c > 0x7e)
            printf("\\x%02x", c);
        else
            putchar(c);
    }
}
