// SPDX-License-Identifier: MIT
// What kind of file a file is, from its first bytes: each kind that has a
// signature is told by rows of data (where, what bytes, under what mask,
// and what the bytes must say besides), in the order they are tried; text,
// empty and unknown are what is left. An ID3v2 tag is one kind, and what
// follows it another, told the same way from the bytes after it.
//
// Each kind has a key (the library's), a name (a word or two) and a phrase
// that says what it is.
#ifndef ADIFINFO_KINDS_H
#define ADIFINFO_KINDS_H

#include <stddef.h>

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
    KIND_ID3,     // an ID3v2 tag, then something else
    KIND_TEXT,    // text, whatever its first letters
    KIND_UNKNOWN, // none of the above
    KIND_COUNT
};

// An ID3v2 tag's header: "ID3", a version and a revision below 0xFF, flags,
// and its size in four bytes of seven bits each; then, for version 4 with
// the flag set, a footer of the same length after the tag.
enum {
    ID3_HEADER_BYTES = 10,
    ID3_VERSION_AT = 3, // then the revision
    ID3_VERSION_NONE = 0xff,
    ID3_FLAGS_AT = 5,
    ID3_SIZE_AT = 6,
    ID3_SIZE_BITS = 7, // of each byte of the size
    ID3_VERSION_FOOTER = 4,
    ID3_FLAG_FOOTER = 0x10,
    ID3_FOOTER_BYTES = 10,
};

// The length of the ID3v2 tag that the first count bytes of a file start
// (its whole length, footer included), or 0 where they start none.
size_t id3_tag_length(const unsigned char *start, size_t count);

// What the first count bytes of a file of size bytes (-1: not known) are;
// for KIND_ID3, *after is what follows the tag: told from start where it
// holds that, else from the first next_count bytes after the tag, at next
// (NULL where they were not read: KIND_UNKNOWN).
int file_kind(const unsigned char *start, size_t count, const unsigned char *next,
              size_t next_count, long long size, int *after);

// Nonzero when text is an amateur-radio log: it holds the tag that ends
// such a log's header, <EOH>, in either case.
int is_radio_log(const unsigned char *text, size_t count);

// Each kind's words: NULL and "" for KIND_NONE and out of range.
const char *kind_key(int kind);    // "adif", "adts"...
const char *kind_name(int kind);   // "ADIF", "ADTS"...
const char *kind_phrase(int kind); // what it is, in a sentence

#endif
