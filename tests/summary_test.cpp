// SPDX-License-Identifier: MIT
// The summary that the page and the npm library show beside the report:
// every case of cases.txt, as the list says it; then its rules a row at a
// time (what a file is, text, speakers, the arrangement's name) and its
// phrases on a few rows.
#include "bitpack.h"
#include "helpers.h"
#include "summary.h"

#include <algorithm>
#include <string.h>

namespace {

struct ListedProgram {
    int profile;
    const char *hertz; // "48000", or "index-N"
    int front, side, back, lfe;
    const char *layout;   // "-" for none
    const char *speakers; // "" for no channels, "-" where not named
    const char *comment;  // as written
};

struct ListedCase {
    const char *name;
    const char *input; // relative to the source folder; "" for none
    const char *how;
    const char *word;
    const char *kind;
    const char *bitrate;
    const char *duration;
    long long size; // a sparse case's, or -1: the input's own
    int status;
    int count;
    ListedProgram programs[16];
};

const ListedCase listed[] = {
#include "cases.inc"
};

// The bytes of a case's input: read, or packed from its description.
Bytes input_of(const char *path) {
    Bytes bytes;
    FILE *f = fopen(path, "rb");
    EXPECT_NE(f, nullptr) << path;
    if (f == nullptr)
        return bytes;
    size_t length = strlen(path);
    if (length > 5 && strcmp(path + length - 5, ".bits") == 0) {
        BitWriter w;
        const char *error = "";
        int line = pack_description(f, &w, &error);
        EXPECT_EQ(line, 0) << path << ":" << line << ": " << error;
        bytes = w.bytes;
    } else {
        int c;
        while ((c = getc(f)) != EOF)
            bytes.push_back((unsigned char)c);
    }
    fclose(f);
    return bytes;
}

// Text as the page and the library show it (written independently of
// theirs): UTF-8 as its characters; a control character as \xhh, and the
// C1 controls and the marks that turn the direction of text or hide
// themselves as \uhhhh; each byte that is not part of UTF-8 as \xhh.
std::string as_written(const std::string &bytes) {
    std::string shown;
    char hex[16];
    for (size_t i = 0; i < bytes.size();) {
        unsigned char c = (unsigned char)bytes[i];
        size_t length = c < 0x80             ? 1
                        : (c & 0xe0) == 0xc0 ? 2
                        : (c & 0xf0) == 0xe0 ? 3
                        : (c & 0xf8) == 0xf0 ? 4
                                             : 0;
        unsigned long code = length == 1 ? c : c & (0x7f >> length);
        bool valid = length > 0 && i + length <= bytes.size();
        for (size_t k = 1; valid && k < length; k++) {
            valid = ((unsigned char)bytes[i + k] & 0xc0) == 0x80;
            code = code << 6 | ((unsigned char)bytes[i + k] & 0x3f);
        }
        static const unsigned long least[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= least[length] && code <= 0x10ffff &&
                !(code >= 0xd800 && code <= 0xdfff);
        if (!valid) {
            snprintf(hex, sizeof hex, "\\x%02x", c);
            shown += hex;
            i++;
            continue;
        }
        bool misleads = code < 0x20 || (code >= 0x7f && code <= 0x9f) || code == 0x61c ||
                        code == 0x200b || code == 0x200e || code == 0x200f ||
                        (code >= 0x2028 && code <= 0x202e) || (code >= 0x2060 && code <= 0x2069) ||
                        code == 0xfeff;
        if (misleads) {
            snprintf(hex, sizeof hex, code < 0x80 ? "\\x%02lx" : "\\u%04lx", code);
            shown += hex;
        } else {
            shown.append(bytes, i, length);
        }
        i += length;
    }
    return shown;
}

// The list's kind: the kind, what follows a tag, and "log" for a log.
std::string kind_of(const FileSummary &f) {
    std::string kind = kind_key(f.kind) != nullptr ? kind_key(f.kind) : "";
    if (f.kind == KIND_ID3)
        kind += std::string(" ") + kind_key(f.after_tag);
    if (f.radio_log)
        kind += " log";
    return kind;
}

// A program as the list writes its line.
std::string line_of(const ProgramSummary &s) {
    char line[128];
    char hertz[32];
    if (s.hertz > 0)
        snprintf(hertz, sizeof hertz, "%d", (int)s.hertz);
    else
        snprintf(hertz, sizeof hertz, "index-%d", (int)s.sampling_rate_idx);
    snprintf(line, sizeof line, "%d %s %d+%d+%d+%d %s | %s", (int)s.profile, hertz, (int)s.front,
             (int)s.side, (int)s.back, (int)s.lfe, s.layout[0] ? s.layout : "-",
             s.named ? s.speakers : "-");
    return line;
}

std::string line_of(const ListedProgram &p) {
    return std::to_string(p.profile) + " " + p.hertz + " " + std::to_string(p.front) + "+" +
           std::to_string(p.side) + "+" + std::to_string(p.back) + "+" + std::to_string(p.lfe) +
           " " + p.layout + " | " + p.speakers;
}

// The summary of a file, as the page and the library make it: the tool run
// on it, watched; then its start (and what follows a longer ID3v2 tag), its
// size and the exit status.
const FileSummary &summary_of(const Bytes &bytes, long long size) {
    FILE *f = memory_file(bytes.data(), bytes.size());
    EXPECT_NE(f, nullptr);
    reset_tool(f, 0);
    start_summary();
    int status = -1;
    capture_stdout([&] { status = inspect(f); });
    watch_elements(nullptr);
    fclose(f);
    // As a host reads it: the start, and the bytes after a longer tag.
    size_t count = std::min(bytes.size(), (size_t)START_SPAN);
    size_t tag = id3_tag_length(bytes.data(), count);
    const unsigned char *next = tag >= count && tag < bytes.size() ? bytes.data() + tag : nullptr;
    size_t next_count = next ? std::min(bytes.size() - tag, (size_t)NEXT_SPAN) : 0;
    summarize(status, bytes.data(), count, next, next_count, size);
    return file_summary;
}

TEST(Summary, OfEveryCaseAsTheListSaysIt) {
    for (const ListedCase &c : listed) {
        SCOPED_TRACE(c.name);
        const FileSummary *f;
        if (c.input[0] == '\0') {
            // A name that nothing has: the tool cannot open it.
            reset_tool(nullptr, 0);
            reset_summary();
            summarize(STATUS_FAILED, nullptr, 0, nullptr, 0, -1);
            f = &file_summary;
        } else {
            Bytes bytes = input_of(c.input);
            f = &summary_of(bytes, c.size >= 0 ? c.size : (long long)bytes.size());
        }
        char text[512];
        EXPECT_STREQ(word_name(f->word), c.word);
        EXPECT_EQ(kind_of(*f), c.kind);
        EXPECT_STREQ(bitrate_phrase(f, text, sizeof text), c.bitrate);
        EXPECT_STREQ(duration_phrase(f, text, sizeof text), c.duration);
        ASSERT_EQ(f->count, c.count);
        for (int i = 0; i < c.count; i++) {
            EXPECT_EQ(line_of(f->programs[i]), line_of(c.programs[i])) << "program " << i + 1;
            EXPECT_EQ(as_written(f->programs[i].comment), c.programs[i].comment)
                << "program " << i + 1;
        }
    }
}

// No file that a real encoder wrote, or that the suite holds, is text; a
// text file is, whatever its first letters.
TEST(Summary, TextIsTextAndAudioIsNot) {
    int texts = 0;
    for (const ListedCase &c : listed) {
        if (c.input[0] == '\0')
            continue;
        Bytes bytes = input_of(c.input);
        int text = is_text(bytes.data(), bytes.size(), (long long)bytes.size());
        EXPECT_EQ(text, (int)(strncmp(c.kind, "text", 4) == 0)) << c.name;
        texts += text;
    }
    EXPECT_EQ(texts, 3);
}

struct KindCase {
    const char *name;
    std::string bytes;
    long long size; // -1: the bytes are the whole file
    int kind;
    int after;
    std::string next = ""; // the bytes after a tag that bytes does not hold
};

std::string repeat(const std::string &text, size_t length) {
    std::string all;
    while (all.size() < length)
        all += text;
    return all.substr(0, length);
}

TEST(Summary, KindFromTheFirstBytes) {
    const std::string text16 = "0123456789abcdef";
    const std::string id3 = std::string("ID3\x04\0\0\0\0\0\x02", 10) + "xy"; // a tag of 12 bytes
    const KindCase cases[] = {
        {"nothing", "", -1, KIND_EMPTY, KIND_NONE},
        {"nothing read of a file that has bytes", "", 100, KIND_UNKNOWN, KIND_NONE},
        {"ADIF", "ADIF\x80", -1, KIND_ADIF, KIND_NONE},
        {"ADTS", "\xff\xf1\x50\x80", -1, KIND_ADTS, KIND_NONE},
        {"ADTS with a checksum", "\xff\xf8\x50\x80", -1, KIND_ADTS, KIND_NONE},
        {"MP3", "\xff\xfb\x90\x64", -1, KIND_MP3, KIND_NONE},
        {"MPEG audio with a reserved version", "\xff\xeb\x90\x64", -1, KIND_UNKNOWN, KIND_NONE},
        {"MPEG audio with a reserved bitrate", "\xff\xfb\xf0\x64", -1, KIND_UNKNOWN, KIND_NONE},
        {"MP4",
         std::string("\0\0\0\x20"
                     "ftypM4A ",
                     12),
         -1, KIND_MP4, KIND_NONE},
        {"WAV", std::string("RIFF\x24\0\0\0WAVEfmt ", 16), -1, KIND_WAV, KIND_NONE},
        {"RF64", std::string("RF64\xff\xff\xff\xffWAVEds64", 16), -1, KIND_WAV, KIND_NONE},
        {"RIFF that is not WAVE", std::string("RIFF\x24\0\0\0AVI LIST", 16), -1, KIND_UNKNOWN,
         KIND_NONE},
        {"AIFF",
         std::string("FORM\0\0\0\x1e"
                     "AIFC",
                     12),
         -1, KIND_AIFF, KIND_NONE},
        {"FLAC", "fLaC\x80", -1, KIND_FLAC, KIND_NONE},
        {"Ogg", std::string("OggS\0\x02", 6), -1, KIND_OGG, KIND_NONE},
        {"ID3, then ADTS", id3 + "\xff\xf9\x50", -1, KIND_ID3, KIND_ADTS},
        {"ID3, then ADIF", id3 + "ADIF", -1, KIND_ID3, KIND_ADIF},
        {"ID3, then a second tag", id3 + id3, -1, KIND_ID3, KIND_UNKNOWN},
        {"ID3 whose audio lies past what was read", id3, 100000, KIND_ID3, KIND_UNKNOWN},
        {"ID3 whose audio lies past what was read, read apart",
         std::string("ID3\x03\0\0\0\x06\0\0", 10) + "xy", 100000, KIND_ID3, KIND_ADTS,
         "\xff\xf1\x50\x80"},
        {"ID3, then an MP4 read apart", std::string("ID3\x03\0\0\0\x06\0\0", 10), 200000, KIND_ID3,
         KIND_MP4,
         std::string("\0\0\0\x20"
                     "ftypM4A ",
                     12)},
        {"ID3, then a second tag read apart", std::string("ID3\x03\0\0\0\x06\0\0", 10), 200000,
         KIND_ID3, KIND_UNKNOWN, id3},
        {"ID3 with a footer",
         std::string("ID3\x04\0\x10\0\0\0\x02", 10) + "xy" + repeat("3DI", 10) + "\xff\xfb\x90", -1,
         KIND_ID3, KIND_MP3},
        {"ID3v2.3, whose flags have no footer",
         std::string("ID3\x03\0\x10\0\0\0\x02", 10) + "xy\xff\xfb\x90", -1, KIND_ID3, KIND_MP3},
        {"ID3 with a size byte over seven bits",
         std::string("ID3\x04\0\0\0\0\0\x82", 10) + "\xff\xf1", -1, KIND_UNKNOWN, KIND_NONE},
        {"sixteen bytes of text", text16, -1, KIND_TEXT, KIND_NONE},
        {"fifteen bytes of text", text16.substr(1), -1, KIND_UNKNOWN, KIND_NONE},
        {"text that begins with ADIF", "ADIF Export from my log\r\n", -1, KIND_TEXT, KIND_NONE},
        {"text with tabs, CR, LF and UTF-8", "caf\xc3\xa9\tna\xc3\xafve\r\n\xe2\x82\xac 5\n", -1,
         KIND_TEXT, KIND_NONE},
        {"text with a UTF-8 byte order mark", "\xef\xbb\xbfplain text, marked", -1, KIND_TEXT,
         KIND_NONE},
        {"text with a NUL", std::string("ADIF export\0 from my log", 24), -1, KIND_ADIF, KIND_NONE},
        {"text with DEL", text16 + "\x7f", -1, KIND_UNKNOWN, KIND_NONE},
        {"text with a C1 control", text16 + "\xc2\x85", -1, KIND_UNKNOWN, KIND_NONE},
        {"text with an escape", "ADIF \x1b[31mred\x1b[0m", -1, KIND_ADIF, KIND_NONE},
        {"text with an overlong /", text16 + "\xe0\x80\xaf", -1, KIND_UNKNOWN, KIND_NONE},
        {"text with a surrogate", text16 + "\xed\xa0\x80", -1, KIND_UNKNOWN, KIND_NONE},
        {"text past U+10FFFF", text16 + "\xf4\x90\x80\x80", -1, KIND_UNKNOWN, KIND_NONE},
        {"Latin-1 text", "caf\xe9 cr\xe8me br\xfbl\xe9", -1, KIND_UNKNOWN, KIND_NONE},
        {"text whose last character the file cuts", text16 + "\xe2\x82", -1, KIND_UNKNOWN,
         KIND_NONE},
        // Only the first 1,024 bytes are looked at: a character may straddle
        // the 1,024th, and what follows may be anything.
        {"text whose 1,024th byte cuts a character", repeat("a", 1023) + "\xe2\x82\xac", -1,
         KIND_TEXT, KIND_NONE},
        {"1,024 bytes of text, then binary",
         repeat("log line\n", 1024) + std::string("\0\x01\x02", 3), -1, KIND_TEXT, KIND_NONE},
        {"1,023 bytes of text, then binary", repeat("x", 1023) + std::string("\0", 1), -1,
         KIND_UNKNOWN, KIND_NONE},
        {"the start of a longer file, all text", repeat("text ", 1024), 1 << 20, KIND_TEXT,
         KIND_NONE},
        {"the start of a file, shorter than the span", repeat("text ", 100), 1 << 20, KIND_UNKNOWN,
         KIND_NONE},
    };
    for (const KindCase &c : cases) {
        const unsigned char *bytes = (const unsigned char *)c.bytes.data();
        long long size = c.size >= 0 ? c.size : (long long)c.bytes.size();
        int after = -1;
        const unsigned char *next = c.next.empty() ? nullptr : (const unsigned char *)c.next.data();
        EXPECT_EQ(file_kind(bytes, c.bytes.size(), next, c.next.size(), size, &after), c.kind)
            << c.name;
        EXPECT_EQ(after, c.after) << c.name;
    }
}

// A program config element built from its lists: each entry of front, side
// and back a single element (S) or a pair (P), and the LFE count.
ProgConfig program_of(const char *front, const char *side, const char *back, int lfe) {
    ProgConfig p{};
    EleList *lists[] = {&p.front, &p.side, &p.back};
    const char *entries[] = {front, side, back};
    for (int k = 0; k < 3; k++) {
        lists[k]->num_ele = (int32_t)strlen(entries[k]);
        for (int i = 0; entries[k][i] != '\0'; i++)
            lists[k]->ele_is_cpe[i] = entries[k][i] == 'P';
    }
    p.lfe.num_ele = lfe;
    p.sampling_rate_idx = 3;
    p.profile = 1;
    return p;
}

struct SpeakerCase {
    const char *front, *side, *back;
    int lfe;
    const char *speakers; // NULL where not named
    const char *channels;
};

TEST(Summary, SpeakersAndTheirArrangement) {
    const SpeakerCase cases[] = {
        {"", "", "", 0, "", "none"},
        {"S", "", "", 0, "C", "1 channel: 1 front (mono)"},
        {"P", "", "", 0, "L R", "2 channels: 2 front (stereo)"},
        {"P", "", "", 1, "L R LFE", "3 channels: 2 front, 1 LFE (2.1)"},
        {"SP", "", "", 0, "C L R", "3 channels: 3 front (3.0)"},
        {"SP", "", "S", 0, "C L R Cb", "4 channels: 3 front, 1 back (4.0)"},
        {"SP", "", "P", 1, "C L R Ls Rs LFE", "6 channels: 3 front, 2 back, 1 LFE (5.1)"},
        {"SP", "P", "", 1, "C L R Ls Rs LFE", "6 channels: 3 front, 2 side, 1 LFE (5.1)"},
        {"SP", "", "PP", 1, "C L R Ls Rs Lb Rb LFE", "8 channels: 3 front, 4 back, 1 LFE (7.1)"},
        {"SP", "P", "P", 1, "C L R Ls Rs Lb Rb LFE",
         "8 channels: 3 front, 2 side, 2 back, 1 LFE (7.1)"},
        {"SP", "", "PS", 1, "C L R Ls Rs Cb LFE", "7 channels: 3 front, 3 back, 1 LFE (6.1)"},
        {"SP", "P", "PS", 1, "C L R Ls Rs Lb Rb Cb LFE",
         "9 channels: 3 front, 2 side, 3 back, 1 LFE"},
        // More than the names cover: counted, not named.
        {"SPP", "", "P", 1, NULL, "8 channels: 5 front, 2 back, 1 LFE (7.1)"},
        {"SPP", "", "", 0, NULL, "5 channels: 5 front"},
        {"PS", "", "", 0, NULL, "3 channels: 3 front (3.0)"},
        {"SS", "", "", 0, NULL, "2 channels: 2 front (stereo)"},
        {"SP", "S", "", 0, NULL, "4 channels: 3 front, 1 side (4.0)"},
        {"SP", "PP", "", 0, NULL, "7 channels: 3 front, 4 side (7.0)"},
        {"SP", "P", "PP", 0, NULL, "9 channels: 3 front, 2 side, 4 back"},
        {"SP", "", "PPP", 0, NULL, "9 channels: 3 front, 6 back"},
        {"SP", "", "SS", 0, NULL, "5 channels: 3 front, 2 back (5.0)"},
        {"SP", "", "P", 2, NULL, "7 channels: 3 front, 2 back, 2 LFE"},
        {"", "", "", 1, "LFE", "1 channel: 1 LFE"},
        {"S", "", "", 1, "C LFE", "2 channels: 1 front, 1 LFE"},
    };
    for (const SpeakerCase &c : cases) {
        ProgConfig p = program_of(c.front, c.side, c.back, c.lfe);
        ProgramSummary s;
        summarize_program(&p, 0, &s);
        std::string row =
            std::string(c.front) + "/" + c.side + "/" + c.back + "/" + std::to_string(c.lfe);
        EXPECT_EQ(s.named, c.speakers != NULL) << row;
        EXPECT_STREQ(s.speakers, c.speakers != NULL ? c.speakers : "") << row;
        char text[128];
        EXPECT_STREQ(channels_phrase(&s, text, sizeof text), c.channels) << row;
    }
}

struct SecondsCase {
    double seconds;
    const char *phrase;
};

TEST(Summary, PhrasesOfTime) {
    const SecondsCase cases[] = {
        {0.8795, "0.88 s"},
        {0.004, "0.00 s"},
        {9.994, "9.99 s"},
        {9.996, "10.0 s"},
        {59.94, "59.9 s"},
        {59.96, "1 min 0 s"},
        {192.2, "3 min 12 s"},
        {3599.4, "59 min 59 s"},
        {3599.6, "1 h 0 min"},
        {67108.86, "18 h 38 min"},
        {3629.9, "1 h 0 min"},
        {3630.0, "1 h 1 min"},
        {7.2e16, "20000000000000 h 0 min"},
        {5429.0, "1 h 30 min"},
    };
    char text[64];
    for (const SecondsCase &c : cases)
        EXPECT_STREQ(seconds_phrase(c.seconds, text, sizeof text), c.phrase) << c.seconds;
}

struct FilePhraseCase {
    int32_t bitrate;
    int32_t variable;
    long long size;
    const char *bitrate_phrase;
    const char *duration_phrase;
};

// The header here is 17 bytes (FileSummary's header_bytes, as summarize
// takes it from the reader).
TEST(Summary, PhrasesOfRateAndDuration) {
    const FilePhraseCase cases[] = {
        {16000, 0, 1776, "16 kb/s, constant", "about 0.88 s"},
        {320000, 1, 20865, "at most 320 kb/s, variable", "at least 0.52 s"},
        {320, 0, 17 + 7680, "0.32 kb/s, constant", "about 3 min 12 s"},
        {128500, 0, 17, "128.5 kb/s, constant", "none: nothing follows the header"},
        {0, 0, 100000, "not given, constant", "not given"},
        {0, 1, 100000, "not given, variable", "not given"},
        {8388607, 0, -1, "8388.607 kb/s, constant", "not given"},
    };
    char text[128];
    for (const FilePhraseCase &c : cases) {
        FileSummary f{};
        f.complete = 1;
        f.bitrate = c.bitrate;
        f.variable = c.variable;
        f.header_bytes = 17;
        f.timed = c.bitrate > 0 && c.size >= 17;
        f.seconds = f.timed ? (double)(c.size - 17) * 8 / c.bitrate : 0;
        EXPECT_STREQ(bitrate_phrase(&f, text, sizeof text), c.bitrate_phrase) << c.bitrate;
        EXPECT_STREQ(duration_phrase(&f, text, sizeof text), c.duration_phrase) << c.bitrate;
    }
}

struct NoteCase {
    int profile;
    int rate_index;
    const char *name;
    const char *note; // its start; "" for none
};

TEST(Summary, ProfilesAndTheirNotes) {
    const NoteCase cases[] = {
        {0, 4, "Main", ""},
        {1, 4, "Low Complexity", ""},
        {1, 6, "Low Complexity",
         "An HE-AAC file stores half its output rate here: if this is one, it plays at "
         "48000 Hz. The header cannot say whether it is"},
        {1, 11, "Low Complexity",
         "An HE-AAC file stores half its output rate here: if this is one, it plays "
         "at 16000 Hz."},
        {1, 12, "Low Complexity", ""}, // reserved: no rate to double
        {2, 8, "Scalable Sampling Rate", ""},
        {3, 3, "LTP (Long Term Prediction, MPEG-4)", "MPEG-2 reserves profile 3"},
        {3, 7, "LTP (Long Term Prediction, MPEG-4)", "MPEG-2 reserves profile 3"},
    };
    char text[256];
    for (const NoteCase &c : cases) {
        ProgConfig p = program_of("P", "", "", 0);
        p.profile = c.profile;
        p.sampling_rate_idx = c.rate_index;
        ProgramSummary s;
        summarize_program(&p, 0, &s);
        EXPECT_STREQ(profile_name(s.profile), c.name);
        const char *note = program_note(&s, text, sizeof text);
        EXPECT_EQ(strncmp(note, c.note, strlen(c.note)), 0) << note;
        EXPECT_EQ(note[0] == '\0', c.note[0] == '\0') << note;
    }
}

struct NameCase {
    const char *bytes;
    const char *name;
    const char *phrase; // its start
};

TEST(Summary, WhatAFileIsInWords) {
    const NameCase cases[] = {
        {"\xff\xf1\x50\x80", "ADTS",
         "ADTS: AAC audio with a short header before every frame, the usual .aac"},
        {"ID3\x04\x01\x01\x01\x01\x01\x01", "ID3 tag, then unknown",
         "An ID3v2 tag (a tagger's), then something"},
        {"text, not audio: <eoh>", "amateur-radio log",
         "A text file, not audio: an amateur-radio log"},
        {"text, not audio: <EOH>", "amateur-radio log",
         "A text file, not audio: an amateur-radio log"},
        {"text, not audio, and no end of header", "text", "A text file, not audio"},
        {"\x01\x02\x03\x04", "unknown", "Not a kind of file"},
    };
    char text[256];
    for (const NameCase &c : cases) {
        const unsigned char *bytes = (const unsigned char *)c.bytes;
        reset_tool(nullptr, 0);
        reset_summary();
        summarize(STATUS_INCOMPLETE, bytes, strlen(c.bytes), nullptr, 0,
                  (long long)strlen(c.bytes));
        EXPECT_STREQ(kind_name(&file_summary, text, sizeof text), c.name);
        const char *phrase = kind_phrase(&file_summary, text, sizeof text);
        EXPECT_EQ(strncmp(phrase, c.phrase, strlen(c.phrase)), 0) << phrase;
        EXPECT_EQ(file_summary.word, WORD_NOT_ADIF);
    }
}

// The hand-over to a host: every field by name, a comment's bytes one
// character each, and nothing cut short.
TEST(Summary, AsJson) {
    Bytes bytes = with_comment(std::string("q\"b\\\x01\xff", 6));
    summary_of(bytes, (long long)bytes.size() + 16000);
    static char json[65536];
    size_t length = summary_json(json, sizeof json);
    ASSERT_GT(length, 0u);
    std::string text(json, length);
    for (const char *field :
         {"\"word\":\"complete\"", "\"kind\":\"adif\"", "\"afterTag\":null", "\"bitrate\":128000",
          "\"variableRate\":false", "\"durationSeconds\":1,", "\"durationIsMinimum\":false",
          "\"durationText\":\"about 1.00 s\"", "\"speakers\":[]", "\"hertz\":96000",
          "\"comment\":\"q\\\"b\\\\\\u0001\\u00ff\""})
        EXPECT_NE(text.find(field), std::string::npos) << field << " in " << text;
    EXPECT_EQ(summary_json(json, length), 0u); // no room for its end
}

} // namespace
