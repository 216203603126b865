// SPDX-License-Identifier: MIT
// The summary that the page and the npm library show beside the report, as
// the module hands it over (JSON): every case of cases.txt, as the list says
// it, in facts and in words; then its parts a row at a time: how much of a
// file is read, what a file is, text as written, speakers, the phrases, the
// four words and the JSON writer.
#include "bitpack.h"
#include "helpers.h"
#include "host.h"
#include "json.h"
#include "kinds.h"
#include "summary.h"
#include "words.h"

#include <algorithm>
#include <map>
#include <string.h>

namespace {

struct ListedProgram {
    int profile;
    const char *hertz; // "48000", or "index-N"
    int front, side, back, lfe;
    const char *layout;   // "-" for none
    const char *speakers; // "" for no channels, "-" where not named
    const char *comment;  // as written
    // What the page and the library say of it in words.
    const char *profile_name, *rate, *channels, *speakers_words, *note, *comment_words;
};

struct ListedCase {
    const char *name;
    const char *input; // relative to the source folder; "" for none
    const char *how;
    const char *word;
    const char *kind;
    const char *bitrate;
    const char *duration;
    double seconds;                                // -1: none
    int header_read;                               // the report is of a header
    const char *kind_words, *about, *report_words; // NULL for none
    long long size;                                // a sparse case's, or -1: the input's own
    int status;
    int count;
    ListedProgram programs[PCE_MOST];
};

const ListedCase listed[] = {
#include "cases.inc"
};

struct ListedWord {
    const char *word;
    int statuses[WORD_STATUSES_MOST];
    int count;
    const char *meaning;
};

const ListedWord listed_words[] = {
#include "cases.inc-words"
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

// The summary's JSON, value by value: its path, then a type letter and the
// value ("s" and a string's text, "u" and a number as written, "n" for null,
// "t" and "f", "{" and "[" for the start of each).
using Values = std::map<std::string, std::string>;

Values values_of(const char *json, size_t length) {
    static Values found;
    static JsonReader reader;
    found.clear();
    reader.context = &found;
    reader.visit = [](void *context, const char *path, char type, const char *text, size_t n) {
        (*(Values *)context)[path] =
            std::string(1, type == '"' ? 's' : type) + std::string(text, n);
    };
    EXPECT_TRUE(read_json(&reader, json, length)) << std::string(json, length);
    return found;
}

// The summary of a file as the page and the library make it, as JSON: the
// intake of its bytes (the start of a file of size bytes, or the whole file
// where size is -1), the tool run on them, and the hand-over.
std::string summary_of(const Bytes &bytes, long long size) {
    FILE *f = memory_file(bytes.data(), bytes.size());
    EXPECT_NE(f, nullptr);
    intake_from(bytes.data(), bytes.size(), size);
    capture_stdout([&] { summarized_run(f, 0); });
    fclose(f);
    static char json[SUMMARY_JSON_MOST];
    size_t length = summary_json(json, sizeof json);
    EXPECT_GT(length, 0u);
    return std::string(json, length);
}

// The summary of a name that nothing has.
std::string summary_of_missing(const char *name) {
    intake_begin(-1);
    char self[] = "adifinfo";
    std::string path = std::string("/nonexistent-adifinfo/") + name;
    char *argv[] = {self, &path[0], nullptr};
    ToolRun run;
    capture_stdout([&] { run = adifinfo_run(2, argv, note_program); });
    summarize(run);
    static char json[SUMMARY_JSON_MOST];
    return std::string(json, summary_json(json, sizeof json));
}

std::string string_or_null(const char *s) {
    return s != nullptr ? std::string("s") + s : "n";
}

TEST(Summary, OfEveryCaseAsTheListSaysIt) {
    for (const ListedCase &c : listed) {
        SCOPED_TRACE(c.name);
        std::string json;
        if (c.input[0] == '\0') {
            json = summary_of_missing(c.name);
        } else {
            Bytes bytes = input_of(c.input);
            json = summary_of(bytes, c.size);
        }
        Values v = values_of(json.data(), json.size());
        EXPECT_EQ(v["status"], "u" + std::to_string(c.status));
        EXPECT_EQ(v["word"], std::string("s") + c.word);
        // The list's kind: the kind, what follows a tag, and "log" for a log.
        std::string kind = v["kind"] == "n" ? "" : v["kind"].substr(1);
        if (v["afterTag"] != "n")
            kind += " " + v["afterTag"].substr(1);
        if (v["radioLog"] == "t")
            kind += " log";
        EXPECT_EQ(kind, c.kind);
        EXPECT_EQ(v["headerRead"], c.header_read ? "t" : "f");
        EXPECT_EQ(v["inWords.kind"], string_or_null(c.kind_words));
        EXPECT_EQ(v["inWords.about"], string_or_null(c.about));
        EXPECT_EQ(v["inWords.report"], string_or_null(c.report_words));
        EXPECT_EQ(v["inWords.bitrate"], c.bitrate[0] ? std::string("s") + c.bitrate : "n");
        EXPECT_EQ(v["inWords.duration"], c.duration[0] ? std::string("s") + c.duration : "n");
        if (c.seconds < 0) {
            EXPECT_EQ(v["durationSeconds"], "n");
        } else {
            ASSERT_EQ(v["durationSeconds"].substr(0, 1), "u");
            EXPECT_NEAR(atof(v["durationSeconds"].c_str() + 1), c.seconds, 1e-9 * (1 + c.seconds));
        }
        ASSERT_EQ(v.count("programs[" + std::to_string(c.count) + "]"), 0u);
        ASSERT_EQ(v.count("programs[" + std::to_string(c.count - 1) + "]"), c.count > 0 ? 1u : 0u);
        for (int i = 0; i < c.count; i++) {
            SCOPED_TRACE("program " + std::to_string(i + 1));
            const ListedProgram &p = c.programs[i];
            std::string at = "programs[" + std::to_string(i) + "].";
            std::string words = "inWords.programs[" + std::to_string(i) + "].";
            EXPECT_EQ(v[at + "profile"], "u" + std::to_string(p.profile));
            bool reserved = strncmp(p.hertz, "index-", 6) == 0;
            EXPECT_EQ(v[at + "hertz"], reserved ? "n" : std::string("u") + p.hertz);
            if (reserved) {
                EXPECT_EQ(v[at + "samplingRateIndex"], std::string("u") + (p.hertz + 6));
            }
            EXPECT_EQ(v[at + "front"], "u" + std::to_string(p.front));
            EXPECT_EQ(v[at + "side"], "u" + std::to_string(p.side));
            EXPECT_EQ(v[at + "back"], "u" + std::to_string(p.back));
            EXPECT_EQ(v[at + "lfe"], "u" + std::to_string(p.lfe));
            EXPECT_EQ(v[at + "channels"], "u" + std::to_string(p.front + p.side + p.back + p.lfe));
            EXPECT_EQ(v[at + "layout"],
                      strcmp(p.layout, "-") == 0 ? "n" : std::string("s") + p.layout);
            std::string speakers = v[at + "speakers"] == "n" ? "-" : "";
            for (int k = 0; v.count(at + "speakers[" + std::to_string(k) + "]"); k++)
                speakers +=
                    (k > 0 ? " " : "") + v[at + "speakers[" + std::to_string(k) + "]"].substr(1);
            EXPECT_EQ(speakers, p.speakers);
            EXPECT_EQ(v[at + "comment"], std::string("s") + p.comment);
            EXPECT_EQ(v[at + "profileName"], std::string("s") + p.profile_name);
            EXPECT_EQ(v[words + "profile"], std::string("s") + p.profile_name);
            EXPECT_EQ(v[words + "samplingRate"], std::string("s") + p.rate);
            EXPECT_EQ(v[words + "channels"], std::string("s") + p.channels);
            EXPECT_EQ(v[words + "speakers"], std::string("s") + p.speakers_words);
            EXPECT_EQ(v[words + "note"], std::string("s") + p.note);
            EXPECT_EQ(v[words + "comment"], std::string("s") + p.comment_words);
        }
    }
}

// The four words, as the list has them, and each reading's exit status
// among its word's.
TEST(Summary, TheFourWords) {
    ASSERT_EQ(sizeof listed_words / sizeof listed_words[0], (size_t)READING_COUNT);
    for (int reading = 0; reading < READING_COUNT; reading++) {
        const ListedWord &w = listed_words[reading];
        EXPECT_STREQ(word_name(reading), w.word);
        EXPECT_STREQ(word_meaning(reading), w.meaning);
        const int *statuses = nullptr;
        int count = word_statuses(reading, &statuses);
        ASSERT_EQ(count, w.count) << w.word;
        for (int i = 0; i < count; i++)
            EXPECT_EQ(statuses[i], w.statuses[i]) << w.word;
        EXPECT_EQ(statuses[0], exit_status(reading)) << w.word;
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

// What a host is asked to read, piece by piece, of files of each shape.
struct IntakeCase {
    const char *name;
    std::string bytes; // what the host has of the file
    long long size;    // the size the host gives (-1: not known)
    bool whole;        // the bytes are all of the file; else its start
    std::vector<std::pair<long long, size_t>> wants; // each offset and count asked for
    long long size_after;                            // what the intake takes the size for then
};

std::string id3_of(size_t size) {
    std::string tag("ID3\x03\0\0", 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        tag += (char)((size >> shift) & 0x7f);
    return tag + std::string(size, '\0');
}

TEST(Intake, ReadsTheStartAndWhatFollowsALongTag) {
    const std::string adts("\xff\xf1\x50\x80", 4);
    const size_t span = START_SPAN;
    const long long tag_at_span = (long long)span + 4;
    const IntakeCase cases[] = {
        {"a short file", "ADIF", 4, true, {{0, span}}, 4},
        {"an empty file", "", 0, true, {{0, span}}, 0},
        {"a short stream, of no size given", "ADIF", -1, true, {{0, span}}, 4},
        {"a long file", std::string(9000, 'x'), 9000, true, {{0, span}}, 9000},
        {"a long stream, of no size given", std::string(9000, 'x'), -1, true, {{0, span}}, -1},
        {"a tag inside the start",
         id3_of(100) + adts + std::string(6000, 'x'),
         -1,
         true,
         {{0, span}},
         -1},
        {"a tag that ends where the start does",
         id3_of(span - 10) + adts,
         tag_at_span,
         true,
         {{0, span}, {span, NEXT_SPAN}},
         tag_at_span},
        {"the same, of no size given",
         id3_of(span - 10) + adts,
         -1,
         true,
         {{0, span}, {span, NEXT_SPAN}},
         tag_at_span},
        {"a tag that ends a byte before the start does",
         id3_of(span - 11) + adts,
         -1,
         true,
         {{0, span}},
         -1},
        {"a tag past the start",
         id3_of(70000) + adts,
         70014,
         true,
         {{0, span}, {70010, NEXT_SPAN}},
         70014},
        {"a tag of 2 MiB",
         id3_of(1 << 21) + adts,
         -1,
         true,
         {{0, span}, {(1 << 21) + 10, NEXT_SPAN}},
         (1 << 21) + 14},
        {"a tag that the file ends inside",
         id3_of(70000).substr(0, 6000),
         6000,
         true,
         {{0, span}},
         6000},
        {"a tag that ends with the file", id3_of(70000), 70010, true, {{0, span}}, 70010},
        {"the start of a longer file, given alone",
         std::string(100, 'x'),
         1 << 20,
         false,
         {{0, span}},
         1 << 20},
        {"the start of a tag past it, given alone",
         id3_of(70000).substr(0, span),
         100000,
         false,
         {{0, span}, {70010, NEXT_SPAN}},
         100000},
        {"bytes past the size given", std::string(200, 'x'), 50, true, {{0, span}}, 200},
    };
    for (const IntakeCase &c : cases) {
        const unsigned char *bytes = (const unsigned char *)c.bytes.data();
        intake_begin(c.size);
        std::vector<std::pair<long long, size_t>> wants;
        for (Want w = intake_want(); w.count > 0 && wants.size() < 5; w = intake_want()) {
            wants.push_back({w.offset, w.count});
            size_t at = std::min((size_t)w.offset, c.bytes.size());
            size_t got = std::min(w.count, c.bytes.size() - at);
            memcpy(intake_buffer(), bytes + at, got);
            intake_took(got, c.whole && at + got == c.bytes.size());
        }
        EXPECT_EQ(wants, c.wants) << c.name;
        EXPECT_EQ(intake.size, c.size_after) << c.name;
    }
}

struct KindCase {
    const char *name;
    std::string bytes;
    long long size; // kWhole: the bytes are the whole file; -1: not known
    int kind;
    int after;
    std::string next = ""; // the bytes after a tag that bytes does not hold
};

const long long kWhole = -2;

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
        {"nothing", "", kWhole, KIND_EMPTY, KIND_NONE},
        {"nothing read of a file that has bytes", "", 100, KIND_UNKNOWN, KIND_NONE},
        {"ADIF", "ADIF\x80", kWhole, KIND_ADIF, KIND_NONE},
        {"ADTS", "\xff\xf1\x50\x80", kWhole, KIND_ADTS, KIND_NONE},
        {"ADTS with a checksum", "\xff\xf8\x50\x80", kWhole, KIND_ADTS, KIND_NONE},
        {"MP3", "\xff\xfb\x90\x64", kWhole, KIND_MP3, KIND_NONE},
        {"MPEG-2.5 audio, layer III", "\xff\xe3\x90\x64", kWhole, KIND_MP3, KIND_NONE},
        {"MPEG audio with a reserved version", "\xff\xeb\x90\x64", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"MPEG audio with the reserved layer 0", "\xff\xe1\x90\x64", kWhole, KIND_UNKNOWN,
         KIND_NONE},
        {"MPEG audio with a reserved bitrate", "\xff\xfb\xf0\x64", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"MPEG audio with a reserved rate", "\xff\xfb\x9c\x64", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"a sync of eleven bits, no more", "\xff\xc0\x90\x64", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"MP4",
         std::string("\0\0\0\x20"
                     "ftypM4A ",
                     12),
         kWhole, KIND_MP4, KIND_NONE},
        {"WAV", std::string("RIFF\x24\0\0\0WAVEfmt ", 16), kWhole, KIND_WAV, KIND_NONE},
        {"RF64", std::string("RF64\xff\xff\xff\xffWAVEds64", 16), kWhole, KIND_WAV, KIND_NONE},
        {"RIFF that is not WAVE", std::string("RIFF\x24\0\0\0AVI LIST", 16), kWhole, KIND_UNKNOWN,
         KIND_NONE},
        {"AIFF",
         std::string("FORM\0\0\0\x1e"
                     "AIFC",
                     12),
         kWhole, KIND_AIFF, KIND_NONE},
        {"FORM that is not AIFF", std::string("FORM\0\0\0\x1eILBM", 12), kWhole, KIND_UNKNOWN,
         KIND_NONE},
        {"FLAC", "fLaC\x80", kWhole, KIND_FLAC, KIND_NONE},
        {"Ogg", std::string("OggS\0\x02", 6), kWhole, KIND_OGG, KIND_NONE},
        {"ID3, then ADTS", id3 + "\xff\xf9\x50", kWhole, KIND_ID3, KIND_ADTS},
        {"ID3, then ADIF", id3 + "ADIF", kWhole, KIND_ID3, KIND_ADIF},
        {"ID3, then a second tag", id3 + id3, kWhole, KIND_ID3, KIND_UNKNOWN},
        {"ID3 whose audio lies past what was read", id3, 100000, KIND_ID3, KIND_UNKNOWN},
        {"ID3 whose audio lies past what was read, read apart",
         std::string("ID3\x03\0\0\0\x06\0\0", 10) + "xy", 100000, KIND_ID3, KIND_ADTS,
         "\xff\xf1\x50\x80"},
        {"ID3 of 2 MiB, then ADTS read apart", std::string("ID3\x03\0\0\x01\0\0\0", 10), 3 << 20,
         KIND_ID3, KIND_ADTS, "\xff\xf1\x50\x80"},
        {"ID3, then an MP4 read apart", std::string("ID3\x03\0\0\0\x06\0\0", 10), 200000, KIND_ID3,
         KIND_MP4,
         std::string("\0\0\0\x20"
                     "ftypM4A ",
                     12)},
        {"ID3, then a second tag read apart", std::string("ID3\x03\0\0\0\x06\0\0", 10), 200000,
         KIND_ID3, KIND_UNKNOWN, id3},
        {"ID3 with a footer",
         std::string("ID3\x04\0\x10\0\0\0\x02", 10) + "xy" + repeat("3DI", 10) + "\xff\xfb\x90",
         kWhole, KIND_ID3, KIND_MP3},
        {"ID3v2.3, whose flags have no footer",
         std::string("ID3\x03\0\x10\0\0\0\x02", 10) + "xy\xff\xfb\x90", kWhole, KIND_ID3, KIND_MP3},
        {"ID3 with a size byte over seven bits",
         std::string("ID3\x04\0\0\0\0\0\x82", 10) + "\xff\xf1", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"ID3 with version 0xFF", std::string("ID3\xff\0\0\0\0\0\x02xy", 12), kWhole, KIND_UNKNOWN,
         KIND_NONE},
        {"ID3 with revision 0xFF", std::string("ID3\x04\xff\0\0\0\0\x02xy", 12), kWhole,
         KIND_UNKNOWN, KIND_NONE},
        {"sixteen bytes of text", text16, kWhole, KIND_TEXT, KIND_NONE},
        {"fifteen bytes of text", text16.substr(1), kWhole, KIND_UNKNOWN, KIND_NONE},
        {"text that begins with ADIF", "ADIF Export from my log\r\n", kWhole, KIND_TEXT, KIND_NONE},
        {"text with tabs, CR, LF and UTF-8", "caf\xc3\xa9\tna\xc3\xafve\r\n\xe2\x82\xac 5\n",
         kWhole, KIND_TEXT, KIND_NONE},
        {"text with a UTF-8 byte order mark", "\xef\xbb\xbfplain text, marked", kWhole, KIND_TEXT,
         KIND_NONE},
        {"text with U+00A0, just past the C1 controls", text16 + "\xc2\xa0", kWhole, KIND_TEXT,
         KIND_NONE},
        {"text with a NUL", std::string("ADIF export\0 from my log", 24), kWhole, KIND_ADIF,
         KIND_NONE},
        {"text with DEL", text16 + "\x7f", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"text with the first C1 control", text16 + "\xc2\x80", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"text with the last C1 control", text16 + "\xc2\x9f", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"text with an escape", "ADIF \x1b[31mred\x1b[0m", kWhole, KIND_ADIF, KIND_NONE},
        {"text with a unit separator", text16 + "\x1f", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"text with an overlong /, two bytes", text16 + "\xc0\xaf", kWhole, KIND_UNKNOWN,
         KIND_NONE},
        {"text with an overlong /, three bytes", text16 + "\xe0\x80\xaf", kWhole, KIND_UNKNOWN,
         KIND_NONE},
        {"text with a surrogate", text16 + "\xed\xa0\x80", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"text past U+10FFFF", text16 + "\xf4\x90\x80\x80", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"text with U+10FFFF", text16 + "\xf4\x8f\xbf\xbf", kWhole, KIND_TEXT, KIND_NONE},
        {"Latin-1 text", "caf\xe9 cr\xe8me br\xfbl\xe9", kWhole, KIND_UNKNOWN, KIND_NONE},
        {"text whose last character the file cuts", text16 + "\xe2\x82", kWhole, KIND_UNKNOWN,
         KIND_NONE},
        // Only the first 1,024 bytes are looked at: a character may straddle
        // the 1,024th, and what follows may be anything.
        {"text whose 1,024th byte cuts a character", repeat("a", 1023) + "\xe2\x82\xac", kWhole,
         KIND_TEXT, KIND_NONE},
        {"the same, the size not known", repeat("a", 1023) + "\xe2\x82\xac", -1, KIND_TEXT,
         KIND_NONE},
        {"the same, only the start read of a longer file", repeat("a", 1023) + "\xe2", 5000,
         KIND_TEXT, KIND_NONE},
        {"text whose file ends at a cut character", repeat("a", 1023) + "\xe2", kWhole,
         KIND_UNKNOWN, KIND_NONE},
        {"1,024 bytes of text, then binary",
         repeat("log line\n", 1024) + std::string("\0\x01\x02", 3), kWhole, KIND_TEXT, KIND_NONE},
        {"1,024 bytes of text, the size not known", repeat("log line\n", 1024), -1, KIND_TEXT,
         KIND_NONE},
        {"1,023 bytes of text, then binary", repeat("x", 1023) + std::string("\0", 1), kWhole,
         KIND_UNKNOWN, KIND_NONE},
        {"the start of a longer file, all text", repeat("text ", 1024), 1 << 20, KIND_TEXT,
         KIND_NONE},
        {"the start of a file, shorter than the span", repeat("text ", 100), 1 << 20, KIND_UNKNOWN,
         KIND_NONE},
        {"the start of a file of unknown size, shorter than the span", repeat("text ", 100), -1,
         KIND_UNKNOWN, KIND_NONE},
    };
    for (const KindCase &c : cases) {
        const unsigned char *bytes = (const unsigned char *)c.bytes.data();
        long long size = c.size == kWhole ? (long long)c.bytes.size() : c.size;
        int after = -1;
        const unsigned char *next = c.next.empty() ? nullptr : (const unsigned char *)c.next.data();
        EXPECT_EQ(file_kind(bytes, c.bytes.size(), next, c.next.size(), size, &after), c.kind)
            << c.name;
        EXPECT_EQ(after, c.after) << c.name;
    }
}

struct AsWrittenCase {
    std::string bytes;
    const char *shown;
};

// Names and comments as written; one rule for both (the page and the
// library show a name so too).
TEST(Summary, TextAsWritten) {
    const AsWrittenCase cases[] = {
        {"plain, as it is", "plain, as it is"},
        {"caf\xc3\xa9 \xe6\x97\xa5\xf0\x9f\x8e\xb5", "café 日🎵"},
        {"bad\xff.adif", "bad\\xff.adif"},
        {"tab\there, a line\nbreak, a\rreturn", "tab\\x09here, a line\\x0abreak, a\\x0dreturn"},
        {"\x01\x1b[31m\x1f\x7f", "\\x01\\x1b[31m\\x1f\\x7f"},
        {"\xc2\x80 \xc2\x85 \xc2\x9f \xc2\xa0", "\\u0080 \\u0085 \\u009f \xc2\xa0"},
        {"\xe2\x80\xae gnp \xe2\x80\x8b \xe2\x81\xa6 \xd8\x9c \xef\xbb\xbf",
         "\\u202e gnp \\u200b \\u2066 \\u061c \\ufeff"},
        {"\xe2\x80\x8e\xe2\x80\x8f\xe2\x80\xa8\xe2\x81\xa9", "\\u200e\\u200f\\u2028\\u2069"},
        {"\xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80",
         "\\xc0\\xaf \\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80"},
        {"cut \xe6\x97", "cut \\xe6\\x97"},
        {"a\\b \"q\"", "a\\b \"q\""},
        {"", ""},
    };
    for (const AsWrittenCase &c : cases) {
        char text[256];
        Out o = out_of(text, sizeof text);
        put_as_written(&o, (const unsigned char *)c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(o.full);
        EXPECT_STREQ(text, c.shown);
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

template <typename Put> std::string phrase(Put put) {
    static char text[2048];
    Out o = out_of(text, sizeof text);
    put(&o);
    EXPECT_FALSE(o.full);
    return text;
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
        {"P", "", "P", 0, "L R Ls Rs", "4 channels: 2 front, 2 back (4.0)"},
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
        std::string said = phrase([&](Out *o) { put_speakers(o, &s); });
        EXPECT_EQ(said, c.speakers == NULL      ? "not named: the header holds more than the usual "
                                                  "names cover (see the channels)"
                        : c.speakers[0] == '\0' ? "none"
                                                : c.speakers)
            << row;
        EXPECT_EQ(phrase([&](Out *o) { put_channels(o, &s); }), c.channels) << row;
    }
}

struct SecondsCase {
    long long bits;
    int32_t bitrate; // the time: bits / bitrate seconds
    const char *phrase;
};

TEST(Summary, PhrasesOfTime) {
    const SecondsCase cases[] = {
        {8795, 10000, "0.88 s"},
        {4, 1000, "0.00 s"},
        {5, 1000, "0.01 s"}, // a half rounds up
        {9994, 1000, "9.99 s"},
        {9996, 1000, "10.0 s"},
        {2, 3, "0.67 s"},
        {59940, 1000, "59.9 s"},
        {59960, 1000, "1 min 0 s"},
        {1922, 10, "3 min 12 s"},
        {35994, 10, "59 min 59 s"},
        {35996, 10, "1 h 0 min"},
        {1610612717, 24000, "18 h 38 min"},
        {36299, 10, "1 h 0 min"},
        {3630, 1, "1 h 1 min"},
        {72000000000000000LL, 1, "20000000000000 h 0 min"},
        {8388607LL * 3600 * 24 * 365, 8388607, "8760 h 0 min"},
        {5429, 1, "1 h 30 min"},
    };
    for (const SecondsCase &c : cases)
        EXPECT_EQ(phrase([&](Out *o) { put_seconds(o, c.bits, c.bitrate); }), c.phrase)
            << c.bits << "/" << c.bitrate;
}

struct RateCase {
    int32_t bitrate;
    int variable;
    const char *phrase;
};

struct DurationCase {
    int timed;
    long long bits;
    int32_t bitrate;
    int variable;
    const char *phrase;
};

TEST(Summary, PhrasesOfRateAndDuration) {
    const RateCase rates[] = {
        {16000, 0, "16 kb/s, constant"},
        {320000, 1, "at most 320 kb/s, variable"},
        {320, 0, "0.32 kb/s, constant"},
        {128500, 0, "128.5 kb/s, constant"},
        {7026083, 1, "at most 7026.083 kb/s, variable"},
        {1001, 0, "1.001 kb/s, constant"},
        {8388607, 0, "8388.607 kb/s, constant"},
        {0, 0, "not given, constant"},
        {0, 1, "not given, variable"},
    };
    for (const RateCase &c : rates)
        EXPECT_EQ(phrase([&](Out *o) { put_bitrate(o, c.bitrate, c.variable); }), c.phrase);
    const DurationCase durations[] = {
        {1, 14072, 16000, 0, "about 0.88 s"},
        {1, 166792, 320000, 1, "at least 0.52 s"},
        {1, 192 * 320, 320, 0, "about 3 min 12 s"},
        {1, 0, 320, 0, "none: nothing follows the header"},
        {1, 0, 320, 1, "none: nothing follows the header"},
        {0, 0, 0, 0, "not given"},
        {1, 8000, 0, 0, "not given"},
    };
    for (const DurationCase &c : durations)
        EXPECT_EQ(phrase([&](Out *o) { put_duration(o, c.timed, c.bits, c.bitrate, c.variable); }),
                  c.phrase);
}

struct NoteCase {
    int profile;
    int rate_index;
    const char *name;
    const char *note; // "" for none
};

TEST(Summary, ProfilesAndTheirNotes) {
    const char *ltp = "MPEG-2 reserves profile 3; MPEG-4 names it Long Term Prediction, and its "
                      "players read it so.";
    const NoteCase cases[] = {
        {0, 4, "Main", ""},
        {1, 4, "Low Complexity", ""},
        {1, 5, "Low Complexity", ""}, // 32000 Hz: above what HE-AAC's core takes
        {1, 6, "Low Complexity",
         "An HE-AAC file stores half its output rate here: if this is one, it plays at "
         "48000 Hz. The header cannot say whether it is."},
        {1, 11, "Low Complexity",
         "An HE-AAC file stores half its output rate here: if this is one, it plays "
         "at 16000 Hz. The header cannot say whether it is."},
        {1, 12, "Low Complexity", ""}, // reserved: no rate to double
        {0, 6, "Main", ""},
        {2, 8, "Scalable Sampling Rate", ""},
        {3, 3, "LTP (Long Term Prediction, MPEG-4)", ltp},
        {3, 7, "LTP (Long Term Prediction, MPEG-4)", ltp},
    };
    for (const NoteCase &c : cases) {
        ProgConfig p = program_of("P", "", "", 0);
        p.profile = c.profile;
        p.sampling_rate_idx = c.rate_index;
        ProgramSummary s;
        summarize_program(&p, 0, &s);
        EXPECT_STREQ(profile_name(s.profile), c.name);
        EXPECT_EQ(phrase([&](Out *o) { put_note(o, &s); }), c.note)
            << c.profile << " " << c.rate_index;
    }
}

struct NameCase {
    int kind;
    int after;
    int log;
    const char *name;
    const char *phrase;
};

// What the list's cases do not hold: a tag before something unknown, or
// before another tag.
TEST(Summary, WhatAFileIsInWords) {
    const NameCase cases[] = {
        {KIND_ID3, KIND_UNKNOWN, 0, "ID3 tag, then unknown",
         "An ID3v2 tag (a tagger's), then something that this tool does not know, or that lies "
         "past what was read."},
        {KIND_ID3, KIND_WAV, 0, "ID3 tag, then WAV",
         "An ID3v2 tag (a tagger's), then WAV: a RIFF audio file, most often not compressed."},
        {KIND_TEXT, KIND_NONE, 0, "text", "A text file, not audio."},
    };
    for (const NameCase &c : cases) {
        EXPECT_EQ(phrase([&](Out *o) { put_kind_name(o, c.kind, c.after, c.log); }), c.name);
        EXPECT_EQ(phrase([&](Out *o) { put_kind_phrase(o, c.kind, c.after, c.log); }), c.phrase);
    }
    EXPECT_TRUE(is_radio_log((const unsigned char *)"a <eoh> b", 9));
    EXPECT_TRUE(is_radio_log((const unsigned char *)"<EoH>", 5));
    EXPECT_FALSE(is_radio_log((const unsigned char *)"<EOH", 4));
    EXPECT_FALSE(is_radio_log((const unsigned char *)"<E0H>", 5));
}

// The largest summary fits the module's buffer: sixteen programs whose
// comments take the most room as written, and the longest phrases.
TEST(Summary, TheLargestFitsTheBuffer) {
    BitWriter w;
    for (char c : std::string("ADIF"))
        put_bits(&w, LEN_BYTE, (unsigned char)c);
    put_bits(&w, 4, 0);
    put_bits(&w, LEN_BIT_RATE, 1);
    put_bits(&w, LEN_NUM_PCE, PCE_MOST - 1);
    for (int i = 0; i < PCE_MOST; i++) {
        put_bits(&w, LEN_ADIF_BF, 0);
        put_bits(&w, LEN_TAG, 15);
        put_bits(&w, LEN_PROFILE, 1);
        put_bits(&w, LEN_SAMP_IDX, 11); // 8000 Hz: the HE-AAC note
        put_bits(&w, LEN_NUM_ELE, 15);
        put_bits(&w, LEN_NUM_ELE + LEN_NUM_ELE + LEN_NUM_LFE + LEN_NUM_DAT + LEN_NUM_CCE, 0);
        put_bits(&w, 3, 0); // no mixdowns
        for (int k = 0; k < 15; k++)
            put_bits(&w, LEN_ELE_IS_CPE + LEN_TAG, 0x1f); // a pair: not named
        put_bits(&w, (int)(8 - w.nbits % 8) % 8, 0);
        put_bits(&w, LEN_COMMENT_BYTES, COMMENT_MOST);
        for (int k = 0; k < COMMENT_MOST; k++)
            put_bits(&w, LEN_BYTE, 0x1b); // \x1b, and JSON's backslash before it
    }
    Bytes file = w.bytes;
    file.resize(file.size() + 1000000, 0);
    std::string json =
        summary_of(Bytes(file.begin(), file.begin() + START_SPAN), (long long)file.size());
    Values v = values_of(json.data(), json.size());
    EXPECT_EQ(v["word"], "scomplete");
    EXPECT_EQ(v.count("programs[15]"), 1u);
    EXPECT_GT(json.size(), (size_t)SUMMARY_JSON_MOST * 3 / 4); // the bound is not loose
    static char small[SUMMARY_JSON_MOST];
    EXPECT_EQ(summary_json(small, json.size()), 0u); // no room for its NUL
}

struct JsonCase {
    const char *name;
    void (*write)(Json *);
    const char *json; // NULL: it does not fit, or is not whole
};

// The writer places the commas, and a string is JSON whatever its bytes.
TEST(Json, WritesValuesAndEscapesBytes) {
    const JsonCase cases[] = {
        {"an empty object", [](Json *j) { json_open(j, NULL, '{'), json_close(j); }, "{}"},
        {"values in an object, and in an array",
         [](Json *j) {
             json_open(j, NULL, '{');
             json_int(j, "a", -12);
             json_bool(j, "b", 1);
             json_open(j, "c", '[');
             json_null(j, NULL);
             json_bool(j, NULL, 0);
             json_open(j, NULL, '{');
             json_close(j);
             json_close(j);
             json_string(j, "d", NULL);
             json_close(j);
         },
         "{\"a\":-12,\"b\":true,\"c\":[null,false,{}],\"d\":null}"},
        {"every control byte, a quote and a backslash",
         [](Json *j) {
             char bytes[0x20];
             for (int i = 0; i < 0x20; i++)
                 bytes[i] = (char)i;
             json_open(j, NULL, '[');
             json_bytes(j, NULL, bytes, sizeof bytes);
             json_string(j, NULL, "\"\\/\x7f\xc3\xa9");
             json_close(j);
         },
         "[\"\\u0000\\u0001\\u0002\\u0003\\u0004\\u0005\\u0006\\u0007\\u0008\\u0009\\u000a"
         "\\u000b\\u000c\\u000d\\u000e\\u000f\\u0010\\u0011\\u0012\\u0013\\u0014\\u0015\\u0016"
         "\\u0017\\u0018\\u0019\\u001a\\u001b\\u001c\\u001d\\u001e\\u001f\",\"\\\"\\\\/"
         "\x7f\xc3\xa9\"]"},
        {"numbers: whole, and quotients to nine places, their zeros trimmed",
         [](Json *j) {
             json_open(j, NULL, '[');
             json_quotient(j, NULL, 14072, 16000);
             json_quotient(j, NULL, 8000, 8000);
             json_quotient(j, NULL, 0, 320);
             json_quotient(j, NULL, 1610612717, 24000);
             json_quotient(j, NULL, 2, 3);
             json_quotient(j, NULL, 1999999999, 2000000000 / 2);
             json_quotient(j, NULL, 1, 3 * 1000000000LL / 1000);
             json_int(j, NULL, 9007199254740993LL);
             json_int(j, NULL, -9223372036854775807LL - 1);
             json_close(j);
         },
         "[0.8795,1,0,67108.863208333,0.666666667,1.999999999,0.000000333,9007199254740993,"
         "-9223372036854775808]"},
        {"more than its buffer holds, and more after that",
         [](Json *j) {
             static const std::string part(300, 'a');
             json_open(j, NULL, '[');
             for (int i = 0; i < 3; i++)
                 json_string(j, NULL, part.c_str());
             json_close(j);
         },
         NULL},
        {"left open", [](Json *j) { json_open(j, NULL, '['); }, NULL},
        {"too deep",
         [](Json *j) {
             for (int i = 0; i <= JSON_DEPTH; i++)
                 json_open(j, NULL, '[');
             for (int i = 0; i <= JSON_DEPTH; i++)
                 json_close(j);
         },
         NULL},
    };
    for (const JsonCase &c : cases) {
        char text[512];
        Json j;
        json_start(&j, text, sizeof text);
        c.write(&j);
        size_t length = json_finish(&j);
        if (c.json == NULL) {
            EXPECT_EQ(length, 0u) << c.name;
            continue;
        }
        EXPECT_EQ(std::string(text, length), c.json) << c.name;
        EXPECT_EQ(strlen(text), length) << c.name;
        // Just the room for it, and the NUL after it; a byte less, and nothing.
        json_start(&j, text, length + 1);
        c.write(&j);
        EXPECT_EQ(json_finish(&j), length) << c.name;
        json_start(&j, text, length);
        c.write(&j);
        EXPECT_EQ(json_finish(&j), 0u) << c.name;
    }
}

} // namespace
