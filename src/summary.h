// SPDX-License-Identifier: MIT
// What a file is, in plain words: the summary that the page and the npm
// library show beside the report, made from how the tool's reading of the
// file ended (cli.h), the tool's own reading of each program config element
// (told to note_program as it reads them), the header's length (the
// reader's position after it), and what the host read of the file for it
// (intake.h). The word is the reading's, but for text, which is "not ADIF"
// whatever the tool made of it; only a complete header has programs, a
// bitrate and a duration. Nothing here prints, and the command never calls
// it: its report is the same bytes with or without it.
//
// The host takes the summary as one JSON object (summary_json), field for
// field the library's result, by the same names.
#ifndef ADIFINFO_SUMMARY_H
#define ADIFINFO_SUMMARY_H

#include "adif.h"
#include "cli.h"
#include "programs.h"
#include "text.h"

#include <stddef.h>
#include <stdint.h>

struct FileSummary {
    int32_t status;         // the tool's exit status
    int32_t reading;        // how its reading ended (READING_)
    int32_t word;           // what the page calls the file: the reading, but for text
    int32_t kind;           // kinds.h
    int32_t after_tag;      // KIND_ID3: the kind of what follows the tag
    int32_t radio_log;      // KIND_TEXT: an amateur-radio log
    int32_t header_read;    // the tool found "ADIF" and read on: its report shows what it read
    int32_t complete;       // the fields below are a whole header's
    int32_t bitrate;        // bits per second; 0: not given
    int32_t variable;       // the bitrate is a peak, not a constant rate
    int32_t timed;          // how long the audio lasts is known:
    long long audio_bits;   // the bits after the header, which last audio_bits / bitrate seconds
    long long header_bytes; // the header's length
    int32_t count;          // programs
    ProgramSummary programs[PCE_MOST];
    int32_t noted; // elements noted in the last reading
};

extern FileSummary file_summary;

// The watch (reset_tool) that notes each program config element into
// file_summary as the tool reads it.
void note_program(int tag, int index, int count);

// Completes file_summary once the tool has run (run, with note_program
// watching) on a file of which the host read what intake wanted.
void summarize(ToolRun run);

// The most bytes the JSON of any summary takes, its NUL included: a fixed
// part, and each program's, whose comment is written twice (as written, at
// most AS_WRITTEN_PER_BYTE characters a byte, each of which JSON may double
// by a backslash, and one more for the quote: five).
enum {
    SUMMARY_FIXED_MOST = 2048,
    SUMMARY_PROGRAM_MOST = 1024 + 2 * COMMENT_MOST * (AS_WRITTEN_PER_BYTE + 1),
    SUMMARY_JSON_MOST = SUMMARY_FIXED_MOST + PCE_MOST * SUMMARY_PROGRAM_MOST,
};

// file_summary as one JSON object, in the size bytes at out, NUL-terminated:
// its length, or 0 where out cannot hold it.
size_t summary_json(char *out, size_t size);

// The four words, each {word, statuses, meaning}, the kinds' keys, and how
// much of a file the intake reads, as JSON: {words, kinds, startSpan,
// nextSpan}. What the build gives the library, the page and the types.
size_t words_json(char *out, size_t size);

#endif
