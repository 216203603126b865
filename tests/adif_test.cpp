// SPDX-License-Identifier: MIT
// The ADIF header and program config element readers: what lands in the
// records (much of it never printed), the exit status for whole, cut and
// foreign files, and comments shown on a terminal.
#include "cli.h"
#include "helpers.h"

#include <string.h>

namespace {

// Packs fields written as strings of '0' and '1', in stream order, into
// bytes; the last byte is padded with zeros.
Bytes bytes_of_bits(std::initializer_list<const char *> fields) {
    Bytes bytes;
    size_t n = 0;
    for (const char *field : fields)
        for (const char *b = field; *b; b++, n++) {
            if (n % 8 == 0)
                bytes.push_back(0);
            if (*b == '1')
                bytes.back() |= (unsigned char)(0x80 >> (n % 8));
        }
    return bytes;
}

// Built by hand from the syntax tables, one field a line, so that no writer
// shares a misreading with the reader.
const Bytes every_list = bytes_of_bits({
    "01000001",
    "01000100",
    "01001001",
    "01000110", // "ADIF"
    "1",        // copy_id_present
    "01100001",
    "01100100",
    "01101001",
    "01100110", // copy_id "adif
    "01101001",
    "01101110",
    "01100110",
    "01101111",                //          info
    "00100001",                //          !"
    "0",                       // original_copy
    "1",                       // home
    "0",                       // bitstream_type: constant rate
    "00000101110111000000000", // bitrate 192000
    "0000",                    // one PCE
    "01011010010110100101",    // buffer fullness 0x5a5a5
    "0110",                    // element instance tag 6
    "10",                      // profile 2
    "0111",                    // sampling rate index 7
    "0001",                    // front elements: 1
    "0010",                    // side elements: 2
    "0001",                    // back elements: 1
    "10",                      // lfe elements: 2
    "011",                     // data elements: 3
    "0010",                    // coupling elements: 2
    "1",
    "1001", // mono mixdown, tag 9
    "1",
    "0101", // stereo mixdown, tag 5
    "1",
    "10",
    "0", // matrix mixdown, index 2, no pseudo surround
    "1",
    "1100", // front 0: channel pair, tag 12
    "0",
    "0011", // side 0: single, tag 3
    "1",
    "0100", // side 1: channel pair, tag 4
    "1",
    "1111", // back 0: channel pair, tag 15
    "0101",
    "0110", // lfe tags 5, 6
    "0111",
    "1000",
    "1001", // data tags 7, 8, 9
    "0",
    "1010", // coupling 0: not switched, tag 10
    "1",
    "1011",     // coupling 1: switched, tag 11
    "000000",   // alignment: the lists end at bit 250
    "00000011", // comment bytes: 3
    "01111000",
    "00001001",
    "01111001", // "x\ty"
});

TEST(Records, HoldEveryFieldOfAHandBuiltHeader) {
    FILE *f = file_of(every_list);
    reset_tool(f, 0, nullptr);
    std::string report = capture_stdout([] { EXPECT_EQ(get_adif_header(), 1); });
    EXPECT_FALSE(overran());
    fclose(f);

    const ADIF_Header &h = adif_header;
    EXPECT_STREQ(h.adif_id, "ADIF");
    EXPECT_EQ(h.copy_id_present, 1);
    EXPECT_STREQ(h.copy_id, "adifinfo!");
    EXPECT_EQ(h.original_copy, 0);
    EXPECT_EQ(h.home, 1);
    EXPECT_EQ(h.bitstream_type, 0);
    EXPECT_EQ(h.bitrate, 192000);

    const ProgConfig &p = prog_config;
    EXPECT_EQ(p.buffer_fullness, 0x5a5a5);
    EXPECT_EQ(p.profile, 2);
    EXPECT_EQ(p.sampling_rate_idx, 7);

    struct ListCase {
        const char *name;
        const EleList &list;
        std::vector<int> cpe; // empty for lists without flags
        std::vector<int> tags;
    } lists[] = {
        {"front", p.front, {1}, {12}},   {"side", p.side, {0, 1}, {3, 4}},
        {"back", p.back, {1}, {15}},     {"lfe", p.lfe, {}, {5, 6}},
        {"data", p.data, {}, {7, 8, 9}}, {"coupling", p.coupling, {0, 1}, {10, 11}},
    };
    for (const ListCase &c : lists) {
        ASSERT_EQ(c.list.num_ele, (int)c.tags.size()) << c.name;
        for (size_t i = 0; i < c.tags.size(); i++) {
            EXPECT_EQ(c.list.ele_tag[i], c.tags[i]) << c.name << " " << i;
            if (!c.cpe.empty()) {
                EXPECT_EQ(c.list.ele_is_cpe[i], c.cpe[i]) << c.name << " " << i;
            }
        }
    }

    EXPECT_EQ(p.mono_mix.present, 1);
    EXPECT_EQ(p.mono_mix.ele_tag, 9);
    EXPECT_EQ(p.stereo_mix.present, 1);
    EXPECT_EQ(p.stereo_mix.ele_tag, 5);
    EXPECT_EQ(p.matrix_mix.present, 1);
    EXPECT_EQ(p.matrix_mix.ele_tag, 2);
    EXPECT_EQ(p.matrix_mix.pseudo_enab, 0);
    EXPECT_STREQ(p.comments, "x\ty");

    EXPECT_EQ(report, "\nADIF header:\n"
                      "p->copy_id_present        1\n"
                      "p->original_copy          0\n"
                      "p->home                   1\n"
                      "p->bitstream_type         0\n"
                      "p->bitrate                192000\n"
                      "number of PCE 1\n"
                      "\n"
                      "PCE number                1\n"
                      "tag                       6\n"
                      "p->profile                2\n"
                      "p->sampling_rate_idx      7\n"
                      "p->front.num_ele          1\n"
                      "p->side.num_ele           2\n"
                      "p->back.num_ele           1\n"
                      "p->lfe.num_ele            2\n"
                      "p->data.num_ele           3\n"
                      "p->coupling.num_ele       2\n"
                      "p->mono_mix.present       1\n"
                      "p->stereo_mix.present     1\n"
                      "p->matrix_mix.present     1\n"
                      "Comment: x\ty\n");
}

Bytes cut(const Bytes &b, size_t n) {
    return Bytes(b.begin(), b.begin() + (long)n);
}

Bytes plus(Bytes b, std::initializer_list<unsigned char> more) {
    b.insert(b.end(), more);
    return b;
}

// A stream whose every read fails, as a read from a failing disk does: on
// Windows, one for reading over a descriptor open for writing only (the C
// library there takes it, and the system refuses each read); elsewhere, one
// open for writing only, which the C library itself refuses to read.
FILE *unreadable(const Bytes &) {
#if defined(_WIN32)
    FILE *f = _fdopen(_open("NUL", _O_WRONLY | _O_BINARY), "rb");
#else
    FILE *f = fopen("/dev/null", "wb");
#endif
    EXPECT_NE(f, nullptr);
    return f;
}

struct ReadingCase {
    const char *name;
    Bytes bytes;
    int reading;
    int status; // the exit status that README.md gives it
    FILE *(*open)(const Bytes &) = file_of;
};

TEST(Reading, SaysHowItEndedAndTheStatusFollows) {
    const ReadingCase cases[] = {
        {"whole header, nothing after it", worked_example, READING_WHOLE, 0},
        {"whole header, audio after it", plus(worked_example, {0x21, 0x10, 0x05}), READING_WHOLE,
         0},
        {"last comment byte missing", cut(worked_example, 30), READING_CUT_SHORT, 1},
        {"cut inside the comment count", cut(worked_example, 28), READING_CUT_SHORT, 1},
        {"cut inside the copyright identifier", cut(worked_example, 9), READING_CUT_SHORT, 1},
        {"an empty file", {}, READING_NOT_ADIF, 1},
        {"another magic", {'A', 'D', 'I', 'X', 0x80, 0, 0, 0}, READING_NOT_ADIF, 1},
        // Reported as no bytes are, but not taken for a file without the magic.
        {"a stream that cannot be read", {}, READING_UNREADABLE, 2, unreadable},
    };
    for (const ReadingCase &c : cases) {
        FILE *f = c.open(c.bytes);
        reset_tool(nullptr, 0, nullptr);
        int reading = -1;
        std::string report = capture_stdout([&] { reading = inspect(f); });
        EXPECT_EQ(reading, c.reading) << c.name;
        EXPECT_EQ(exit_status(reading), c.status) << c.name;
        if (c.bytes.empty()) {
            EXPECT_EQ(report, "Bad ADIF header ID\n") << c.name;
        }
        fclose(f);
    }
}

struct EscapeCase {
    std::string text;
    const char *shown;
};

// One routine escapes comments, file names and the program name alike; each
// row goes through it directly and through a comment line.
TEST(Terminal, BytesThatCouldDriveItAreEscaped) {
    const EscapeCase cases[] = {
        {"plain text, as it is", "plain text, as it is"},
        {" ~", " ~"},
        {"\x1b]52;c;AAAA\x07", "\\x1b]52;c;AAAA\\x07"},
        {"\x1b[2J\r\nPCE number 9", "\\x1b[2J\\x0d\\x0aPCE number 9"},
        // The backslash is printable, and a Windows path must read as typed.
        {"a\\x41", "a\\x41"},
        {"C:\\music\\nope.adif", "C:\\music\\nope.adif"},
        {"\x1f\x7f\x80\xff", "\\x1f\\x7f\\x80\\xff"},
        // OSC as a C1 control byte, and a path whose last name is hostile.
        {"\x9d"
         "0;pwned\x9c",
         "\\x9d0;pwned\\x9c"},
        {"/tmp/a b/\x1b]0;x\x07.adif", "/tmp/a b/\\x1b]0;x\\x07.adif"},
        {"", ""},
        {std::string("ab\0\x1b", 4), "ab"},
    };
    for (const EscapeCase &c : cases) {
        reset_tool(nullptr, 1, nullptr);
        EXPECT_EQ(capture_stdout([&] { print_text(c.text.c_str()); }), c.shown) << c.shown;

        FILE *f = file_of(with_comment(c.text));
        reset_tool(f, 1, nullptr);
        std::string report = capture_stdout([] { get_adif_header(); });
        fclose(f);
        std::string last = report.substr(report.rfind("Comment: "));
        EXPECT_EQ(last, "Comment: " + std::string(c.shown) + "\n") << c.shown;
    }
}

} // namespace
