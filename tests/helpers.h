// SPDX-License-Identifier: MIT
// Shared by the unit tests: in-memory inputs for the reader and a captured
// standard output.
#ifndef ADIFINFO_TESTS_HELPERS_H
#define ADIFINFO_TESTS_HELPERS_H

#include "adif.h"
#include "bits.h"
#include "bitwriter.h"
#include "cli.h"
#include "memory_file.h"
#include "safe_print.h"

#include <gtest/gtest.h>
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif
#include <random>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// In a cross build, the emulator that runs the tool and the tests (qemu-user,
// wine), word by word; natively, none.
const char *const emulator[] = {ADIFINFO_EMULATOR nullptr};

// The 31-byte worked example: a copyright identifier and one element with a
// mono and a matrix mixdown and the comment "hi" (tests/golden/worked-example.bits
// spells it out field by field).
const Bytes worked_example = {0x41, 0x44, 0x49, 0x46, 0xa0, 0xa1, 0x21, 0xa2, 0x22, 0xa3, 0x23,
                              0xa4, 0x24, 0xe0, 0x00, 0x28, 0x00, 0x00, 0x00, 0x06, 0xa1, 0x00,
                              0xa0, 0x64, 0xf8, 0x04, 0x41, 0x00, 0x02, 0x68, 0x69};

// An unnamed temporary file holding bytes, positioned at its start.
inline FILE *file_of(const Bytes &bytes) {
    FILE *f = temp_file_of(bytes.data(), bytes.size());
    EXPECT_NE(f, nullptr);
    return f;
}

// The scratch file that every capture of standard output goes to, written
// from its start each time: only the bytes up to where a capture ended are
// read back. Unbuffered, so that what is read back is the file's, and no
// buffer kept from a read before (a C library may seek within its buffer).
inline FILE *capture_file() {
    static FILE *out = [] {
        FILE *f = scratch_file();
        if (f != nullptr)
            setvbuf(f, nullptr, _IONBF, 0);
        return f;
    }();
    return out;
}

// Runs fn with standard output sent to the capture file, in binary mode as the
// tool's own entry sets it; returns what it printed. The descriptor beneath
// stdout is swapped, since stdout itself need not be a variable that can be
// assigned.
template <typename Fn> std::string capture_stdout(Fn fn) {
    FILE *out = capture_file();
    if (out == nullptr) {
        ADD_FAILURE() << "no scratch file to capture standard output in";
        return "";
    }
    fflush(stdout);
    const int fd = fileno(stdout);
    const int saved = dup(fd);
    EXPECT_GE(dup2(fileno(out), fd), 0);
    EXPECT_EQ(lseek(fd, 0, SEEK_SET), 0);
#if defined(_WIN32)
    const int mode = _setmode(fd, _O_BINARY);
#endif
    fn();
    fflush(stdout);
    const long end = (long)lseek(fd, 0, SEEK_CUR);
#if defined(_WIN32)
    _setmode(fd, mode);
#endif
    dup2(saved, fd);
    close(saved);
    std::string printed(end > 0 ? (size_t)end : 0, '\0');
    rewind(out);
    if (!printed.empty()) {
        EXPECT_EQ(fread(&printed[0], 1, printed.size(), out), printed.size());
    }
    return printed;
}

// The seed of a randomised test: ADIFINFO_SEED when set, else a fresh one.
// It is printed and recorded so that any failure can be replayed.
inline unsigned test_seed() {
    const char *env = getenv("ADIFINFO_SEED");
    unsigned seed = env ? (unsigned)strtoul(env, nullptr, 10) : std::random_device{}();
    testing::Test::RecordProperty("seed", (int)seed);
    printf("ADIFINFO_SEED=%u\n", seed);
    return seed;
}

// A header with one element whose comment holds the given bytes.
inline Bytes with_comment(const std::string &comment) {
    BitWriter w;
    for (char c : std::string("ADIF"))
        put_bits(&w, LEN_BYTE, (unsigned char)c);
    put_bits(&w, 4, 0); // no copyright; original_copy, home, bitstream_type 0
    put_bits(&w, LEN_BIT_RATE, 128000);
    put_bits(&w, LEN_NUM_PCE, 0);
    put_bits(&w, LEN_ADIF_BF, 0);
    put_bits(&w, 31, 0); // tag, profile, rate index and the six counts: 0
    put_bits(&w, 3, 0);  // no mixdowns
    put_bits(&w, (int)(8 - w.nbits % 8) % 8, 0);
    put_bits(&w, LEN_COMMENT_BYTES, (uint32_t)comment.size());
    for (char c : comment)
        put_bits(&w, LEN_BYTE, (unsigned char)c);
    return w.bytes;
}

#endif
