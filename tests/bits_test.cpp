// SPDX-License-Identifier: MIT
// The bit reader: fields of every width at every alignment, byte alignment,
// and the end of the file.
#include "helpers.h"

#include <random>
#include <stdlib.h>

namespace {

// One step of a script run against the reader.
struct Op {
    char kind; // 'r': getbits(n) must give want; 'a': byte_align(); 's': getshort() must give want
    int n;
    int want;
};

struct ReaderCase {
    const char *name;
    Bytes bytes;
    std::vector<Op> ops;
    int overran; // 1 when the script consumed bits past the end of the file, 0 when not,
                 // -1 where it only called getshort (which leaves the count alone)
};

const ReaderCase reader_cases[] = {
    {"empty file reads as zeros", {}, {{'r', 1, 0}, {'r', 23, 0}, {'a', 0, 0}, {'r', 20, 0}}, 1},
    {"three bytes are the units b0b1 and b2 00",
     {0x12, 0x34, 0x56},
     {{'s', 0, 0x1234}, {'s', 0, 0x5600}, {'s', 0, 0}},
     -1},
    {"three bytes by the byte",
     {0x12, 0x34, 0x56},
     {{'r', 8, 0x12}, {'r', 8, 0x34}, {'r', 8, 0x56}, {'r', 8, 0}},
     1},
    {"most significant bit first", {0x80, 0x00}, {{'r', 1, 1}, {'r', 15, 0}}, 0},
    // After 15 bits, 17 are unread: the wide read takes them and the top of
    // the next unit, and the following read goes on from there.
    {"23-bit read across a unit",
     {0xab, 0xcd, 0xef, 0x12, 0x34, 0x56},
     {{'r', 15, 0xabcdef12 >> 17}, {'r', 23, 0x7bc48d}, {'r', 10, 0x056}},
     0},
    {"20-bit read across a unit",
     {0xab, 0xcd, 0xef, 0x12, 0x34, 0x56},
     {{'r', 15, 0xabcdef12 >> 17}, {'r', 20, 0xf7891}, {'r', 13, 0x1456}},
     0},
    {"align skips to the second byte, twice changes nothing",
     {0xe0, 0x5a, 0x3c},
     {{'r', 3, 7}, {'a', 0, 0}, {'a', 0, 0}, {'r', 8, 0x5a}, {'r', 8, 0x3c}},
     0},
    {"align on a boundary skips nothing",
     {0x11, 0x22, 0x33},
     {{'r', 8, 0x11}, {'a', 0, 0}, {'r', 8, 0x22}},
     0},
    {"align inside a later unit",
     {0xff, 0xff, 0xff, 0xff, 0x81, 0x7e},
     {{'r', 23, 0x7fffff}, {'r', 10, 0x3ff}, {'a', 0, 0}, {'r', 8, 0x7e}},
     0},
    {"past a partial last unit: real bits, then zeros",
     {0xab, 0xcd, 0xef},
     {{'r', 20, 0xabcde}, {'r', 8, 0xf0}, {'r', 23, 0}},
     1},
    {"the last real bit is not past the end",
     {0xab, 0xcd, 0xef},
     {{'r', 23, 0xabcdef >> 1}, {'r', 1, 1}},
     0},
    {"one bit past the end",
     {0xab, 0xcd, 0xef},
     {{'r', 23, 0xabcdef >> 1}, {'r', 1, 1}, {'r', 1, 0}},
     1},
    {"bits loaded ahead do not count", {'A', 'D', 'I'}, {{'r', 8, 'A'}}, 0},
};

void PrintTo(const ReaderCase &c, std::ostream *os) {
    *os << c.name;
}

class ReaderTest : public testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTest, FollowsScript) {
    const ReaderCase &c = GetParam();
    FILE *f = file_of(c.bytes);
    reset_tool(f, 0, nullptr);
    for (size_t i = 0; i < c.ops.size(); i++) {
        const Op &op = c.ops[i];
        if (op.kind == 'r')
            EXPECT_EQ(getbits(op.n), op.want) << "step " << i << ": getbits(" << op.n << ")";
        else if (op.kind == 's')
            EXPECT_EQ(getshort(), op.want) << "step " << i << ": getshort()";
        else
            byte_align();
    }
    if (c.overran >= 0) {
        EXPECT_EQ(overran() != 0, c.overran == 1);
    }
    fclose(f);
}

INSTANTIATE_TEST_SUITE_P(EdgeCases, ReaderTest, testing::ValuesIn(reader_cases),
                         [](const testing::TestParamInfo<ReaderCase> &info) {
                             std::string name;
                             for (const char *s = info.param.name; *s; s++)
                                 name += isalnum((unsigned char)*s) ? *s : '_';
                             return name;
                         });

// Random reads and aligns over random bytes against a reader that indexes the
// bits one by one. Set ADIFINFO_SEED to replay a failure.
TEST(ReaderProperty, MatchesBitByBitReading) {
    unsigned seed = test_seed();
    std::mt19937 rng(seed);

    for (int round = 0; round < 2000; round++) {
        Bytes bytes(rng() % 48);
        for (auto &b : bytes)
            b = (unsigned char)rng();
        auto bit = [&](size_t pos) {
            return pos / 8 < bytes.size() ? (bytes[pos / 8] >> (7 - pos % 8)) & 1 : 0;
        };

        FILE *f = file_of(bytes);
        reset_tool(f, 0, nullptr);
        size_t pos = 0;
        for (int step = 0; step < 40; step++) {
            if (rng() % 6 == 0) {
                byte_align();
                pos = (pos + 7) / 8 * 8;
                continue;
            }
            int n = 1 + (int)(rng() % 23);
            int want = 0;
            for (int i = 0; i < n; i++)
                want = want << 1 | bit(pos++);
            ASSERT_EQ(getbits(n), want) << "seed " << seed << ", round " << round << ", step "
                                        << step << ", getbits(" << n << ") at bit " << pos - n;
            ASSERT_EQ(overran() != 0, pos > 8 * bytes.size())
                << "seed " << seed << ", round " << round << ", at bit " << pos;
        }
        fclose(f);
    }
}

} // namespace
