/* SPDX-License-Identifier: MIT */
/* The floor for the tool's cost: a C program that opens the file, reads four
 * bytes with getc and prints as many label-value lines as a one-element
 * report holds. */
#include <stdio.h>

int main(int argc, char **argv) {
    FILE *f;
    int i, sum = 0;

    if (argc < 2 || (f = fopen(argv[1], "rb")) == NULL)
        return 2;
    for (i = 0; i < 4; i++)
        sum += getc(f);
    for (i = 0; i < 26; i++)
        printf("%-25s %d\n", "p->label", sum + i);
    return 0;
}
