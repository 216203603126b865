// SPDX-License-Identifier: MIT
#include "cli.h"

#include "adif.h"
#include "bits.h"
#include "platform.h"
#include "safe_print.h"

int exit_status(int reading) {
    static const int statuses[READING_COUNT] = {STATUS_COMPLETE, STATUS_INCOMPLETE,
                                                STATUS_INCOMPLETE, STATUS_FAILED};
    return reading >= 0 && reading < READING_COUNT ? statuses[reading] : STATUS_FAILED;
}

void reset_tool(FILE *in, int escape, ElementWatch watch) {
    bin = in;
    reset_reader();
    reset_records(watch);
    escape_text = escape;
}

int inspect(FILE *in) {
    bin = in;
    int magic = get_adif_header();
    // The reader took a failed read for the end of the file, and the report
    // shows zeros for it; but a file that could not be read (a directory, a
    // failing disk) is not one that was read and found wanting.
    if (ferror(in))
        return READING_UNREADABLE;
    if (magic != 1)
        return READING_NOT_ADIF;
    return overran() ? READING_CUT_SHORT : READING_WHOLE;
}

ToolRun adifinfo_run(int argc, char **argv, ElementWatch watch) {
    ToolRun run = {READING_UNREADABLE, STATUS_FAILED};

    stdout_binary(); // the report is the same bytes on every system
    // The program name and the file name come from outside as much as the
    // file's bytes do: on a terminal they are escaped like a comment.
    reset_tool(NULL, stdout_is_terminal(), watch);
    if (argc < 2) {
        // With no words at all (or an empty one) there is no name to echo.
        const char *self = argc > 0 && argv[0] != NULL && argv[0][0] != '\0' ? argv[0] : "adifinfo";
        fputs("usage: ", stdout);
        print_text(self);
        fputs(" <filename>\n", stdout);
    } else {
        FILE *in = fopen(argv[1], "rb");
        if (in == NULL) {
            fputs("cant open ", stdout);
            print_text(argv[1]);
            putchar('\n');
        } else {
            run.reading = inspect(in); // the file stays open until the process exits
        }
    }
    run.status = exit_status(run.reading);

    // A report that didn't reach its reader (a full disk, a closed stream)
    // must not pass for one that did.
    if (fflush(stdout) != 0 || ferror(stdout))
        run.status = STATUS_FAILED;
    return run;
}

int adifinfo_main(int argc, char **argv) {
    return adifinfo_run(argc, argv, NULL).status;
}
