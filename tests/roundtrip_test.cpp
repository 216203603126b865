// SPDX-License-Identifier: MIT
// Random well-formed headers, written field by field, must read back as
// exactly what was written; and every cut of one must read as the same cut
// padded with zeros, and exit 1. The writer below and the reader could share a
// misreading of the syntax: the hand-built vectors of adif_test.cpp and the
// golden cases pin the reader to it independently. Set ADIFINFO_SEED to replay
// a failure.
#include "cli.h"
#include "helpers.h"
#include "host.h"
#include "intake.h"
#include "kinds.h"
#include "summary.h"

#include <algorithm>
#include <random>
#include <stdio.h>
#include <string.h>

namespace {

struct List {
    int cpe[15]; // used only by lists that carry the flag
    int tag[15];
    int count;
};

struct Mixdown {
    int present;
    int tag; // matrix: its index
    int pseudo;
};

struct Element {
    int buffer_fullness; // written only at bitstream type 0
    int tag, profile, rate;
    List lists[6];  // front, side, back, lfe, data, coupling
    Mixdown mix[3]; // mono, stereo, matrix
    Bytes comment;
};

struct Header {
    int copy_id_present;
    unsigned char copy_id[9];
    int original_copy, home, bitstream_type, bitrate;
    std::vector<Element> elements;
};

// Per list: the width of its count, and whether entries carry the flag.
const struct {
    int count_width;
    bool cpe;
} list_kinds[6] = {{LEN_NUM_ELE, true},  {LEN_NUM_ELE, true},  {LEN_NUM_ELE, true},
                   {LEN_NUM_LFE, false}, {LEN_NUM_DAT, false}, {LEN_NUM_CCE, true}};

// Mostly uniform, with the ends of the range drawn often.
int draw(std::mt19937 &rng, int width) {
    int max = (1 << width) - 1;
    switch (rng() % 8) {
    case 0:
        return 0;
    case 1:
        return max;
    default:
        return (int)(rng() & (unsigned)max);
    }
}

// Comment bytes: printable text, or anything at all (0 and controls included).
Bytes random_comment(std::mt19937 &rng) {
    Bytes bytes(draw(rng, LEN_COMMENT_BYTES));
    bool text = rng() % 2;
    for (auto &b : bytes)
        b = (unsigned char)(text && rng() % 16 ? 0x20 + rng() % 95 : rng() % 256);
    return bytes;
}

Header random_header(std::mt19937 &rng) {
    Header h{};
    h.copy_id_present = rng() % 2;
    for (auto &b : h.copy_id)
        b = (unsigned char)rng();
    h.original_copy = rng() % 2;
    h.home = rng() % 2;
    h.bitstream_type = rng() % 2;
    h.bitrate = draw(rng, LEN_BIT_RATE);
    h.elements.resize(1 + draw(rng, LEN_NUM_PCE));
    for (Element &e : h.elements) {
        e.buffer_fullness = h.bitstream_type == 0 ? draw(rng, LEN_ADIF_BF) : 0;
        e.tag = draw(rng, LEN_TAG);
        e.profile = draw(rng, LEN_PROFILE);
        e.rate = draw(rng, LEN_SAMP_IDX);
        for (int k = 0; k < 6; k++) {
            List &l = e.lists[k];
            l.count = draw(rng, list_kinds[k].count_width);
            for (int i = 0; i < l.count; i++) {
                l.cpe[i] = list_kinds[k].cpe ? (int)(rng() % 2) : 0;
                l.tag[i] = draw(rng, LEN_TAG);
            }
        }
        for (int k = 0; k < 3; k++) {
            Mixdown &m = e.mix[k];
            m.present = rng() % 2;
            m.tag = m.present ? draw(rng, k == 2 ? LEN_MMIX_IDX : LEN_TAG) : 0;
            m.pseudo = m.present && k == 2 ? (int)(rng() % 2) : 0;
        }
        e.comment = random_comment(rng);
    }
    return h;
}

// The header as a stream of bytes, the last one padded with zero bits.
BitWriter write_header(const Header &h) {
    BitWriter w;
    for (char c : std::string("ADIF"))
        put_bits(&w, LEN_BYTE, (unsigned char)c);
    put_bits(&w, LEN_COPYRT_PRES, h.copy_id_present);
    if (h.copy_id_present)
        for (unsigned char b : h.copy_id)
            put_bits(&w, LEN_BYTE, b);
    put_bits(&w, LEN_ORIG, h.original_copy);
    put_bits(&w, LEN_HOME, h.home);
    put_bits(&w, LEN_BS_TYPE, h.bitstream_type);
    put_bits(&w, LEN_BIT_RATE, h.bitrate);
    put_bits(&w, LEN_NUM_PCE, (uint32_t)h.elements.size() - 1);
    for (const Element &e : h.elements) {
        if (h.bitstream_type == 0)
            put_bits(&w, LEN_ADIF_BF, e.buffer_fullness);
        put_bits(&w, LEN_TAG, e.tag);
        put_bits(&w, LEN_PROFILE, e.profile);
        put_bits(&w, LEN_SAMP_IDX, e.rate);
        for (int k = 0; k < 6; k++)
            put_bits(&w, list_kinds[k].count_width, e.lists[k].count);
        for (int k = 0; k < 3; k++) {
            put_bits(&w, LEN_MIX_PRES, e.mix[k].present);
            if (e.mix[k].present && k < 2)
                put_bits(&w, LEN_TAG, e.mix[k].tag);
            if (e.mix[k].present && k == 2) {
                put_bits(&w, LEN_MMIX_IDX, e.mix[k].tag);
                put_bits(&w, LEN_PSUR_ENAB, e.mix[k].pseudo);
            }
        }
        for (int k = 0; k < 6; k++)
            for (int i = 0; i < e.lists[k].count; i++) {
                if (list_kinds[k].cpe)
                    put_bits(&w, LEN_ELE_IS_CPE, e.lists[k].cpe[i]);
                put_bits(&w, LEN_TAG, e.lists[k].tag[i]);
            }
        put_bits(&w, (int)(8 - w.nbits % 8) % 8, 0);
        put_bits(&w, LEN_COMMENT_BYTES, (uint32_t)e.comment.size());
        for (unsigned char b : e.comment)
            put_bits(&w, LEN_BYTE, b);
    }
    return w;
}

// The report the header should produce: each value as written.
std::string report_of(const Header &h) {
    std::string text;
    auto line = [&text](const char *label, int value) {
        char buf[64];
        snprintf(buf, sizeof buf, "%-25s %d\n", label, value);
        text += buf;
    };
    text += "\nADIF header:\n";
    line("p->copy_id_present", h.copy_id_present);
    line("p->original_copy", h.original_copy);
    line("p->home", h.home);
    line("p->bitstream_type", h.bitstream_type);
    line("p->bitrate", h.bitrate);
    int n = (int)h.elements.size();
    text += "number of PCE " + std::to_string(n) + "\n";
    static const char *const counts[6] = {"p->front.num_ele", "p->side.num_ele",
                                          "p->back.num_ele",  "p->lfe.num_ele",
                                          "p->data.num_ele",  "p->coupling.num_ele"};
    static const char *const mixes[3] = {"p->mono_mix.present", "p->stereo_mix.present",
                                         "p->matrix_mix.present"};
    for (const Element &e : h.elements) {
        text += "\n";
        line("PCE number", n);
        line("tag", e.tag);
        line("p->profile", e.profile);
        line("p->sampling_rate_idx", e.rate);
        for (int k = 0; k < 6; k++)
            line(counts[k], e.lists[k].count);
        for (int k = 0; k < 3; k++)
            line(mixes[k], e.mix[k].present);
        // The comment is shown up to its first 0 byte.
        text += "Comment: ";
        for (unsigned char b : e.comment) {
            if (b == 0)
                break;
            text += (char)b;
        }
        text += "\n";
    }
    return text;
}

struct Outcome {
    int reading;
    std::string report;
};

// What a test has told of each element as the tool reads it (NULL: none).
ElementWatch watched;

// The tool's entry on bytes held in memory.
Outcome run(const Bytes &bytes) {
    FILE *in = memory_file(bytes.data(), bytes.size());
    EXPECT_NE(in, nullptr);
    reset_tool(in, 0, watched);
    Outcome r;
    r.report = capture_stdout([&] { r.reading = inspect(in); });
    fclose(in);
    return r;
}

// Every field at its most: sixteen elements, every list full, every mixdown
// present, the longest comments, a constant rate's buffer fullness. It fits
// in the most a header can take, which only the alignment before each
// comment (seven bits at most, fewer here) leaves room over; and it reads
// back whole from that many bytes.
TEST(RoundTrip, TheLargestHeaderFitsTheMost) {
    Header h{};
    h.copy_id_present = 1;
    h.bitrate = (1 << LEN_BIT_RATE) - 1;
    h.elements.resize(1 << LEN_NUM_PCE);
    for (Element &e : h.elements) {
        e.buffer_fullness = (1 << LEN_ADIF_BF) - 1;
        for (int k = 0; k < 6; k++)
            e.lists[k].count = (1 << list_kinds[k].count_width) - 1;
        for (Mixdown &m : e.mix)
            m.present = 1;
        e.comment = Bytes((1 << LEN_COMMENT_BYTES) - 1, 'c');
    }
    Bytes file = write_header(h).bytes;
    EXPECT_LE(file.size(), (size_t)ADIF_HEADER_MOST);
    EXPECT_GE(file.size() + (1 << LEN_NUM_PCE) * 7 / 8, (size_t)ADIF_HEADER_MOST);
    size_t largest = file.size();
    file.resize(ADIF_HEADER_MOST, 0);
    EXPECT_EQ(run(file).reading, READING_WHOLE);

    // What the documents say of either number is the code's: each "4,9NN"
    // in them is the bound (what the page and the library read: intake.h)
    // or the largest header.
    auto thousands = [](size_t n) {
        return std::to_string(n / 1000) + "," + std::to_string(n % 1000);
    };
    const std::string known[] = {thousands(START_SPAN), thousands(largest)};
    for (const char *name : {"README.md", "CONTRIBUTING.md", "CHANGELOG.md", "web/npm/README.md"}) {
        FILE *f = fopen(name, "rb");
        ASSERT_NE(f, nullptr) << name;
        std::string text;
        for (int c; (c = getc(f)) != EOF;)
            text += (char)c;
        fclose(f);
        for (size_t at = text.find("4,9"); at != std::string::npos; at = text.find("4,9", at + 1)) {
            std::string number = text.substr(at, 5);
            EXPECT_TRUE(number == known[0] || number == known[1]) << name << ": " << number;
        }
    }
}

TEST(RoundTrip, RandomHeadersReadBackAsWritten) {
    unsigned seed = test_seed();
    std::mt19937 rng(seed);

    // Each round runs the reader a few hundred times: under an emulator, a
    // few rounds do.
    const int rounds = emulator[0] != nullptr ? 8 : 30;
    for (int round = 0; round < rounds; round++) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
        Header h = random_header(rng);
        Bytes file = write_header(h).bytes;
        size_t header_size = file.size();
        ASSERT_LE(header_size, (size_t)ADIF_HEADER_MOST); // what the page and the library read
        // Audio follows the header. At least two bytes of it: a cut can turn a
        // variable-rate header into a constant-rate one, whose buffer fullness
        // makes a zero-padded header up to that much longer than the original.
        for (int i = 2 + (int)(rng() % 30); i > 0; i--)
            file.push_back((unsigned char)rng());

        // A file that is the header and nothing more is whole too.
        Outcome bare = run(Bytes(file.begin(), file.begin() + (long)header_size));
        ASSERT_EQ(bare.reading, READING_WHOLE);
        ASSERT_EQ(bare.report, report_of(h));
        // The summary counts what was written: the header's length, and each
        // element's channels at each place, a pair's two. (A random header
        // may now and then be text, which has no programs.)
        Bytes header(file.begin(), file.begin() + (long)header_size);
        FILE *in = memory_file(header.data(), header.size());
        intake_from(header.data(), header.size(), -1);
        capture_stdout([&] { summarized_run(in, 0); });
        fclose(in);
        if (file_summary.kind != KIND_TEXT) {
            ASSERT_EQ(file_summary.header_bytes, (long long)header_size);
            ASSERT_EQ(file_summary.count, (int)h.elements.size());
            for (size_t i = 0; i < h.elements.size(); i++) {
                const ProgramSummary &p = file_summary.programs[i];
                int32_t at[3] = {0, 0, 0};
                for (int k = 0; k < 3; k++)
                    for (int j = 0; j < h.elements[i].lists[k].count; j++)
                        at[k] += 1 + h.elements[i].lists[k].cpe[j];
                EXPECT_EQ(p.tag, h.elements[i].tag) << "element " << i;
                EXPECT_EQ(p.front, at[0]) << "element " << i;
                EXPECT_EQ(p.side, at[1]) << "element " << i;
                EXPECT_EQ(p.back, at[2]) << "element " << i;
                EXPECT_EQ(p.lfe, h.elements[i].lists[3].count) << "element " << i;
                EXPECT_EQ(p.channels, at[0] + at[1] + at[2] + h.elements[i].lists[3].count);
            }
        }
        // A host watching the elements sees each one's own fields as it is
        // read, before the next overwrites the record.
        static std::vector<Element> seen;
        static std::vector<int> counts;
        static std::vector<int> places;
        seen.clear();
        counts.clear();
        places.clear();
        watched = [](int tag, int index, int n) {
            Element e{};
            e.tag = tag;
            e.profile = prog_config.profile;
            e.rate = prog_config.sampling_rate_idx;
            counts.push_back(n);
            places.push_back(index);
            const EleList *lists[3] = {&prog_config.front, &prog_config.side, &prog_config.back};
            for (int k = 0; k < 3; k++) {
                e.lists[k].count = lists[k]->num_ele;
                for (int i = 0; i < lists[k]->num_ele; i++)
                    e.lists[k].cpe[i] = lists[k]->ele_is_cpe[i];
            }
            e.comment.assign(prog_config.comments,
                             prog_config.comments + strlen(prog_config.comments));
            seen.push_back(e);
        };
        Outcome whole = run(file);
        watched = nullptr;
        ASSERT_EQ(whole.reading, READING_WHOLE);
        ASSERT_EQ(whole.report, report_of(h));
        ASSERT_EQ(seen.size(), h.elements.size());
        for (size_t i = 0; i < seen.size(); i++) {
            const Element &e = h.elements[i];
            EXPECT_EQ(seen[i].tag, e.tag) << "element " << i;
            EXPECT_EQ(seen[i].profile, e.profile) << "element " << i;
            EXPECT_EQ(seen[i].rate, e.rate) << "element " << i;
            EXPECT_EQ(counts[i], (int)h.elements.size()) << "element " << i;
            EXPECT_EQ(places[i], (int)i) << "element " << i;
            for (int k = 0; k < 3; k++) {
                ASSERT_EQ(seen[i].lists[k].count, e.lists[k].count) << "element " << i;
                for (int j = 0; j < e.lists[k].count; j++)
                    EXPECT_EQ(seen[i].lists[k].cpe[j], e.lists[k].cpe[j]) << "element " << i;
            }
            Bytes shown(e.comment.begin(), std::find(e.comment.begin(), e.comment.end(), 0));
            EXPECT_EQ(seen[i].comment, shown) << "element " << i;
        }

        // The record keeps the last element whole, unprinted fields included.
        const Element &last = h.elements.back();
        const ProgConfig &p = prog_config;
        if (h.copy_id_present) {
            EXPECT_EQ(memcmp(adif_header.copy_id, h.copy_id, sizeof h.copy_id), 0);
        }
        EXPECT_EQ(p.buffer_fullness, last.buffer_fullness);
        const EleList *lists[6] = {&p.front, &p.side, &p.back, &p.lfe, &p.data, &p.coupling};
        for (int k = 0; k < 6; k++)
            for (int i = 0; i < last.lists[k].count; i++) {
                EXPECT_EQ(lists[k]->ele_tag[i], last.lists[k].tag[i]) << "list " << k;
                if (list_kinds[k].cpe) {
                    EXPECT_EQ(lists[k]->ele_is_cpe[i], last.lists[k].cpe[i]) << "list " << k;
                }
            }
        const MIXdown *mixes[3] = {&p.mono_mix, &p.stereo_mix, &p.matrix_mix};
        for (int k = 0; k < 3; k++)
            if (last.mix[k].present) {
                EXPECT_EQ(mixes[k]->ele_tag, last.mix[k].tag) << "mixdown " << k;
                if (k == 2) {
                    EXPECT_EQ(mixes[k]->pseudo_enab, last.mix[k].pseudo);
                }
            }

        for (size_t cut = 0; cut < header_size; cut++) {
            Bytes head(file.begin(), file.begin() + (long)cut);
            Bytes padded = head;
            padded.resize(file.size(), 0);
            Outcome short_run = run(head);
            Outcome padded_run = run(padded);
            ASSERT_EQ(short_run.reading, cut >= 4 ? READING_CUT_SHORT : READING_NOT_ADIF)
                << "cut at " << cut;
            ASSERT_EQ(short_run.report, padded_run.report) << "cut at " << cut;
            ASSERT_EQ(padded_run.reading, cut >= 4 ? READING_WHOLE : READING_NOT_ADIF)
                << "cut at " << cut;
        }
    }
}

} // namespace
