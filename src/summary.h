// SPDX-License-Identifier: MIT
// What a file is, in plain words: the summary that the page and the npm
// library show beside the report. It is made from the tool's own reading of
// the header (the records, handed over element by element through
// watch_elements), the header's length, the file's size and its first bytes.
// Nothing here prints, and the command line never calls it: its report is
// the same bytes with or without it.
#ifndef ADIFINFO_SUMMARY_H
#define ADIFINFO_SUMMARY_H

#include "adif.h"

#include <stddef.h>
#include <stdint.h>

// What a file is, from its first bytes.
enum {
    KIND_NONE,    // not known: the file could not be opened or read
    KIND_ADIF,    // "ADIF" at its start
    KIND_EMPTY,   // no bytes at all
    KIND_ADTS,    // AAC with a short header before every frame: the usual .aac
    KIND_MP4,     // "ftyp" at byte 4: .m4a, .mp4, .3gp
    KIND_MP3,     // an MPEG audio frame (layer I, II or III)
    KIND_WAV,     // RIFF (or RF64) WAVE
    KIND_AIFF,    // FORM AIFF (or AIFC)
    KIND_FLAC,    // "fLaC"
    KIND_OGG,     // "OggS"
    KIND_ID3,     // an ID3v2 tag, then something else (after_tag)
    KIND_TEXT,    // text, whatever its first letters
    KIND_UNKNOWN, // none of the above
};

// What the page and the library call a file, in a word or two.
enum {
    WORD_COMPLETE,   // the whole header was read from the file's own bytes
    WORD_NOT_ADIF,   // not an ADIF file: another kind, or text
    WORD_CUT_SHORT,  // an ADIF header that runs past the end of the file
    WORD_UNREADABLE, // the file could not be opened or read
};

// The bytes of a file that tell text from the rest, and the fewest that can.
enum { TEXT_SPAN = 1024, TEXT_LEAST = 16 };

// What a host reads of a file to summarize it: its start, as much as holds
// the largest header and tells text from the rest; and, where an ID3v2 tag
// runs past that, the few bytes after the tag that tell what follows it.
enum {
    START_SPAN = (int)ADIF_HEADER_MOST > (int)TEXT_SPAN ? (int)ADIF_HEADER_MOST : (int)TEXT_SPAN,
    NEXT_SPAN = 16,
};

// One program config element in plain terms. Channels are counted at each
// place with both channels of a pair.
struct ProgramSummary {
    int32_t tag;
    int32_t profile;
    int32_t sampling_rate_idx;
    int32_t hertz; // 0 where the index is reserved
    int32_t front;
    int32_t side;
    int32_t back;
    int32_t lfe;
    int32_t channels;  // all of the above
    int32_t named;     // 1 when speakers names every channel
    char speakers[48]; // short names in order, one space apart; "" for none
    char layout[8];    // the arrangement's usual name ("stereo", "5.1"), or ""
    char comment[257]; // the comment bytes, up to the first NUL
};

// A whole file in plain terms.
struct FileSummary {
    int32_t word;
    int32_t kind;
    int32_t after_tag;      // KIND_ID3: the kind of what follows the tag
    int32_t radio_log;      // KIND_TEXT: an amateur-radio log (it holds an <EOH> tag)
    int32_t read_as_header; // the tool found "ADIF" and read on: its report shows what it read
    int32_t complete;       // the fields below are a whole header's
    int32_t bitrate;        // bits per second; 0: not given
    int32_t variable;       // the bitrate is a peak, not a constant rate
    int32_t timed;          // seconds is known
    double seconds;         // the audio after the header, at the bitrate
    long header_bytes;      // the header's length
    int32_t count;          // programs
    ProgramSummary programs[16];
};

extern FileSummary file_summary;

// Empties file_summary, as a new process finds it.
void reset_summary(void);

// The watch (watch_elements) that notes each program config element into
// file_summary as the tool reads it.
void note_program(int tag, int n);

// Starts the summary of the next run of the tool: file_summary emptied, and
// note_program watching. A host that shows summaries calls it before each
// run; the command never does, and so never carries any of this.
void start_summary(void);

// Completes file_summary once the tool has read the file: status is its exit
// status (cli.h), start the file's first count bytes (as many as were read
// of it: START_SPAN serve), next the first next_count bytes after an ID3v2
// tag that start does not hold whole (NULL and 0 where there are none, or
// none were read), size its size in bytes (-1 where not known). The reader's
// position gives the header's length. Only a complete header of a file that
// is not text keeps its programs.
void summarize(int status, const unsigned char *start, size_t count, const unsigned char *next,
               size_t next_count, long long size);

// What the first count bytes of a file of size bytes (-1: not known) are;
// for KIND_ID3, *after is what follows the tag, told from next where the tag
// runs past start (see summarize).
int file_kind(const unsigned char *start, size_t count, const unsigned char *next,
              size_t next_count, long long size, int *after);

// The length of the ID3v2 tag that the first count bytes of a file start
// (its whole length, footer included), or 0 where they start none. Where it
// is count or more, what follows is read apart, at this offset.
size_t id3_tag_length(const unsigned char *start, size_t count);

// Nonzero when the file is text: its first TEXT_SPAN bytes (all of it where
// shorter, and at least TEXT_LEAST) are UTF-8 with no control character but
// tab, CR and LF. A character cut by the end of the span is allowed.
int is_text(const unsigned char *start, size_t count, long long size);

// p's program in plain terms.
void summarize_program(const ProgConfig *p, int tag, ProgramSummary *s);

// The words: each a constant string, or written into out (size bytes) and
// returned.
const char *word_name(int word);
const char *kind_key(int kind); // "adif", "adts"... as the library has it; NULL for KIND_NONE
const char *kind_name(const FileSummary *f, char *out, size_t size); // "ADTS", "ID3 tag, then MP3"
const char *kind_phrase(const FileSummary *f, char *out, size_t size);
const char *profile_name(int profile);
const char *hertz_phrase(const ProgramSummary *s, char *out, size_t size);
const char *channels_phrase(const ProgramSummary *s, char *out, size_t size);
const char *speakers_phrase(const ProgramSummary *s);
const char *program_note(const ProgramSummary *s, char *out, size_t size); // "" for none
const char *bitrate_phrase(const FileSummary *f, char *out, size_t size);
const char *duration_phrase(const FileSummary *f, char *out, size_t size);
const char *seconds_phrase(double seconds, char *out, size_t size); // "0.88 s", "3 min 12 s"

// file_summary as one JSON object, by name, for a host: its length, or 0
// where out (size bytes) cannot hold it. Comments are strings of one
// character a byte (U+0000 to U+00FF).
size_t summary_json(char *out, size_t size);

#endif
