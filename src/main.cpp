// SPDX-License-Identifier: MIT
#include "cli.h"

int main(int argc, char **argv) {
    return adifinfo_main(argc, argv);
}
