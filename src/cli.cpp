// SPDX-License-Identifier: MIT
#include "cli.h"

#include "adif.h"
#include "bits.h"
#include "platform.h"
#include "safe_print.h"

void reset_tool(FILE *in, int escape) {
    bin = in;
    reset_reader();
    reset_records();
    escape_text = escape;
}

int inspect(FILE *in) {
    bin = in;
    int magic = get_adif_header();
    // The reader took a failed read for the end of the file, and the report
    // shows zeros for it; but a file that could not be read (a directory, a
    // failing disk) is not one that was read and found wanting.
    if (ferror(in))
        return STATUS_FAILED;
    if (magic != 1 || overran())
        return STATUS_INCOMPLETE;
    return STATUS_COMPLETE;
}

int adifinfo_main(int argc, char **argv) {
    int status;

    stdout_binary(); // the report is the same bytes on every system
    // The program name and the file name come from outside as much as the
    // file's bytes do: on a terminal they are escaped like a comment.
    reset_tool(NULL, stdout_is_terminal());
    if (argc < 2) {
        // With no words at all (or an empty one) there is no name to echo.
        const char *self = argc > 0 && argv[0] != NULL && argv[0][0] != '\0' ? argv[0] : "adifinfo";
        fputs("usage: ", stdout);
        print_text(self);
        fputs(" <filename>\n", stdout);
        status = STATUS_FAILED;
    } else {
        FILE *in = fopen(argv[1], "rb");
        if (in == NULL) {
            fputs("cant open ", stdout);
            print_text(argv[1]);
            putchar('\n');
            status = STATUS_FAILED;
        } else {
            status = inspect(in); // the file stays open until the process exits
        }
    }

    // A report that didn't reach its reader (a full disk, a closed stream)
    // must not pass for one that did.
    if (fflush(stdout) != 0 || ferror(stdout))
        status = STATUS_FAILED;
    return status;
}
