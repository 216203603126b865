// SPDX-License-Identifier: MIT
#include "kinds.h"

#include "text.h"

#include <string.h>

// Each kind's key, name and phrase, in the order of the kinds.
static const struct {
    const char *key;
    const char *name;
    const char *phrase;
} kinds[KIND_COUNT] = {
    {NULL, "", ""},
    {"adif", "ADIF", "ADIF: MPEG-2 AAC audio with one header at its start."},
    {"empty", "empty", "An empty file: no bytes at all."},
    {"adts", "ADTS",
     "ADTS: AAC audio with a short header before every frame, the usual .aac file."},
    {"mp4", "MP4", "MP4: a container (.m4a, .mp4, .3gp), most often of AAC audio."},
    {"mp3", "MP3", "MP3: MPEG audio."},
    {"wav", "WAV", "WAV: a RIFF audio file, most often not compressed."},
    {"aiff", "AIFF", "AIFF: Apple's audio file, most often not compressed."},
    {"flac", "FLAC", "FLAC: audio compressed without loss."},
    {"ogg", "Ogg", "Ogg: a container, most often of Vorbis or Opus audio."},
    {"id3", "ID3 tag", "An ID3v2 tag."},
    {"text", "text", "A text file, not audio."},
    {"unknown", "unknown", "Not a kind of file that this tool knows."},
};

const char *kind_key(int kind) {
    return kind > KIND_NONE && kind < KIND_COUNT ? kinds[kind].key : NULL;
}

const char *kind_name(int kind) {
    return kind > KIND_NONE && kind < KIND_COUNT ? kinds[kind].name : "";
}

const char *kind_phrase(int kind) {
    return kind > KIND_NONE && kind < KIND_COUNT ? kinds[kind].phrase : "";
}

size_t id3_tag_length(const unsigned char *start, size_t count) {
    if (count < ID3_HEADER_BYTES || memcmp(start, "ID3", 3) != 0 ||
        start[ID3_VERSION_AT] == ID3_VERSION_NONE || start[ID3_VERSION_AT + 1] == ID3_VERSION_NONE)
        return 0;
    size_t size = 0;
    for (int i = ID3_SIZE_AT; i < ID3_HEADER_BYTES; i++) {
        if (start[i] >> ID3_SIZE_BITS != 0)
            return 0;
        size = size << ID3_SIZE_BITS | start[i];
    }
    int footer =
        start[ID3_VERSION_AT] == ID3_VERSION_FOOTER && (start[ID3_FLAGS_AT] & ID3_FLAG_FOOTER) != 0;
    return ID3_HEADER_BYTES + size + (footer ? ID3_FOOTER_BYTES : 0);
}

// An MPEG audio frame header, past its eleven bits of sync: its version
// (bits 4-3 of the second byte), its layer (bits 2-1; 00 is ADTS's), its
// bitrate index (the third byte's high four bits) and its sampling rate (the
// next two), each with the value that is reserved.
enum {
    MPEG_VERSION_MASK = 0x18,
    MPEG_VERSION_RESERVED = 0x08,
    MPEG_LAYER_MASK = 0x06,
    MPEG_LAYER_RESERVED = 0x00,
    MPEG_BITRATE_MASK = 0xf0,
    MPEG_BITRATE_RESERVED = 0xf0,
    MPEG_RATE_MASK = 0x0c,
    MPEG_RATE_RESERVED = 0x0c,
    MPEG_HEADER_BYTES_TOLD = 3, // as many as these fields take
};

static int mpeg_audio_frame(const unsigned char *bytes, size_t count) {
    return count >= MPEG_HEADER_BYTES_TOLD &&
           (bytes[1] & MPEG_VERSION_MASK) != MPEG_VERSION_RESERVED &&
           (bytes[1] & MPEG_LAYER_MASK) != MPEG_LAYER_RESERVED &&
           (bytes[2] & MPEG_BITRATE_MASK) != MPEG_BITRATE_RESERVED &&
           (bytes[2] & MPEG_RATE_MASK) != MPEG_RATE_RESERVED;
}

static int id3_header(const unsigned char *bytes, size_t count) {
    return id3_tag_length(bytes, count) > 0;
}

// The signatures, in the order they are tried: each row, a kind and the
// bytes it starts with, at up to two places (under a mask, where not every
// bit counts), and what else the bytes must say, where bytes cannot say it.
// ADTS's sync is twelve bits set and its layer 00 (ff f0 under ff f6: its
// version and its checksum bit may be either); MPEG audio's sync is eleven.
static const struct {
    int kind;
    struct {
        size_t at;
        const char *bytes;
        const char *mask; // NULL: every bit
    } parts[2];           // a second one, where the first's bytes is NULL
    int (*also)(const unsigned char *bytes, size_t count);
} signatures[] = {
    {KIND_ADIF, {{0, "ADIF", NULL}, {0, NULL, NULL}}, NULL},
    {KIND_ID3, {{0, "ID3", NULL}, {0, NULL, NULL}}, id3_header},
    {KIND_ADTS, {{0, "\xff\xf0", "\xff\xf6"}, {0, NULL, NULL}}, NULL},
    {KIND_MP3, {{0, "\xff\xe0", "\xff\xe0"}, {0, NULL, NULL}}, mpeg_audio_frame},
    {KIND_MP4, {{4, "ftyp", NULL}, {0, NULL, NULL}}, NULL},
    {KIND_WAV, {{0, "RIFF", NULL}, {8, "WAVE", NULL}}, NULL},
    {KIND_WAV, {{0, "RF64", NULL}, {8, "WAVE", NULL}}, NULL},
    {KIND_AIFF, {{0, "FORM", NULL}, {8, "AIFF", NULL}}, NULL},
    {KIND_AIFF, {{0, "FORM", NULL}, {8, "AIFC", NULL}}, NULL},
    {KIND_FLAC, {{0, "fLaC", NULL}, {0, NULL, NULL}}, NULL},
    {KIND_OGG, {{0, "OggS", NULL}, {0, NULL, NULL}}, NULL},
};

// The kind whose signature the count bytes at bytes start with, or
// KIND_UNKNOWN.
static int signature(const unsigned char *bytes, size_t count) {
    for (const auto &row : signatures) {
        int matches = 1;
        for (const auto &part : row.parts) {
            if (part.bytes == NULL)
                continue;
            size_t length = strlen(part.bytes);
            matches = matches && count >= part.at + length;
            for (size_t i = 0; matches && i < length; i++) {
                unsigned char mask = part.mask != NULL ? (unsigned char)part.mask[i] : 0xff;
                matches = (bytes[part.at + i] & mask) == (unsigned char)part.bytes[i];
            }
        }
        if (matches && (row.also == NULL || row.also(bytes, count)))
            return row.kind;
    }
    return KIND_UNKNOWN;
}

int file_kind(const unsigned char *start, size_t count, const unsigned char *next,
              size_t next_count, long long size, int *after) {
    *after = KIND_NONE;
    if (count == 0)
        return size <= 0 ? KIND_EMPTY : KIND_UNKNOWN;
    if (is_text(start, count, size))
        return KIND_TEXT;
    int kind = signature(start, count);
    if (kind == KIND_ID3) {
        size_t tag = id3_tag_length(start, count);
        int following = tag < count    ? signature(start + tag, count - tag)
                        : next != NULL ? signature(next, next_count)
                                       : KIND_UNKNOWN;
        // A second tag after the first is not followed further.
        *after = following == KIND_ID3 ? KIND_UNKNOWN : following;
    }
    return kind;
}

int is_radio_log(const unsigned char *text, size_t count) {
    static const char tag[] = "<eoh>";
    const size_t length = sizeof tag - 1;
    for (size_t i = 0; i + length <= count; i++) {
        size_t k = 0;
        while (k < length &&
               (text[i + k] | (text[i + k] >= 'A' && text[i + k] <= 'Z' ? 0x20 : 0)) ==
                   (unsigned char)tag[k])
            k++;
        if (k == length)
            return 1;
    }
    return 0;
}
