// SPDX-License-Identifier: MIT
// The ADIF header and its program config elements: field widths and the
// records they are read into.
#ifndef ADIFINFO_ADIF_H
#define ADIFINFO_ADIF_H

#include <stdint.h>

// Width in bits of every syntax field of the ADIF header and the program
// config element, in stream order. LEN_ADIF_ID and LEN_COPYRT_ID count bytes.
enum {
    LEN_ADIF_ID = 4,       // identification bytes, "ADIF"
    LEN_COPYRT_PRES = 1,   // copyright identifier present
    LEN_COPYRT_ID = 9,     // copyright identifier bytes
    LEN_ORIG = 1,          // original/copy
    LEN_HOME = 1,          // home
    LEN_BS_TYPE = 1,       // bitstream type: 0 constant rate, 1 variable rate
    LEN_BIT_RATE = 23,     // bitrate, bits per second
    LEN_NUM_PCE = 4,       // number of program config elements less one
    LEN_ADIF_BF = 20,      // buffer fullness before each PCE (constant rate)
    LEN_TAG = 4,           // element instance tag
    LEN_PROFILE = 2,       // profile
    LEN_SAMP_IDX = 4,      // sampling frequency index
    LEN_NUM_ELE = 4,       // number of front, side or back elements
    LEN_NUM_LFE = 2,       // number of lfe elements
    LEN_NUM_DAT = 3,       // number of data elements
    LEN_NUM_CCE = 4,       // number of coupling elements
    LEN_MIX_PRES = 1,      // mixdown present
    LEN_MMIX_IDX = 2,      // matrix mixdown index
    LEN_PSUR_ENAB = 1,     // pseudo surround enable
    LEN_ELE_IS_CPE = 1,    // element is a channel pair (coupling: independently switched)
    LEN_COMMENT_BYTES = 8, // comment byte count
    LEN_BYTE = 8,          // one byte
};

// The most bytes an ADIF header can take: the fixed fields with a copyright
// identifier, then the most program config elements, each with the buffer
// fullness of a constant rate, every mixdown present, every list as long as
// its count allows, seven bits to align the comment, and the longest
// comment. A reader that holds this much of a file holds all of its header.
enum {
    ADIF_HEADER_BITS_FIXED = 8 * LEN_ADIF_ID + LEN_COPYRT_PRES + 8 * LEN_COPYRT_ID + LEN_ORIG +
                             LEN_HOME + LEN_BS_TYPE + LEN_BIT_RATE + LEN_NUM_PCE,
    ADIF_PCE_BITS_MOST =
        LEN_ADIF_BF + LEN_TAG + LEN_PROFILE + LEN_SAMP_IDX + 3 * LEN_NUM_ELE + LEN_NUM_LFE +
        LEN_NUM_DAT + LEN_NUM_CCE + 2 * (LEN_MIX_PRES + LEN_TAG) + LEN_MIX_PRES + LEN_MMIX_IDX +
        LEN_PSUR_ENAB +
        (3 * ((1 << LEN_NUM_ELE) - 1) + (1 << LEN_NUM_CCE) - 1) * (LEN_ELE_IS_CPE + LEN_TAG) +
        ((1 << LEN_NUM_LFE) - 1) * LEN_TAG + ((1 << LEN_NUM_DAT) - 1) * LEN_TAG + 7 +
        LEN_COMMENT_BYTES + ((1 << LEN_COMMENT_BYTES) - 1) * LEN_BYTE,
    ADIF_HEADER_MOST =
        (ADIF_HEADER_BITS_FIXED + (1 << LEN_NUM_PCE) * ADIF_PCE_BITS_MOST + 7) / 8, // bytes
};

// What the field widths allow: the most program config elements, the slots
// of an element list (its count can reach one less), the longest comment.
enum {
    PCE_MOST = 1 << LEN_NUM_PCE,
    LIST_SLOTS = 1 << LEN_NUM_ELE,
    COMMENT_MOST = (1 << LEN_COMMENT_BYTES) - 1,
};

// One list of elements of a kind. Entries beyond num_ele keep whatever an
// earlier program config element left there.
struct EleList {
    int32_t num_ele;                // number of entries, 0 to 15
    int32_t ele_is_cpe[LIST_SLOTS]; // per entry: channel pair (coupling: independent switching)
    int32_t ele_tag[LIST_SLOTS];    // per entry: element instance tag
};

// One mixdown descriptor. ele_tag and pseudo_enab are written only when
// present is 1.
struct MIXdown {
    int32_t present;     // presence flag
    int32_t ele_tag;     // mono and stereo: element tag; matrix: mixdown index
    int32_t pseudo_enab; // matrix only: pseudo surround enable
};

// One program config element and the buffer fullness before it. A single
// record serves every element of the file, overwritten one after another.
struct ProgConfig {
    int32_t profile;
    int32_t sampling_rate_idx;
    EleList front;
    EleList side;
    EleList back;
    EleList lfe;  // tags only
    EleList data; // tags only
    EleList coupling;
    MIXdown mono_mix;
    MIXdown stereo_mix;
    MIXdown matrix_mix;
    char comments[COMMENT_MOST + 2]; // up to 255 comment bytes, then a NUL
    int32_t buffer_fullness;         // 0 when the bitstream type is 1
};

// The fixed part of the ADIF header.
struct ADIF_Header {
    char adif_id[5];         // the four identification bytes, then a NUL
    int32_t copy_id_present; // 1 when a copyright identifier follows
    char copy_id[10];        // the nine identifier bytes, then a NUL; never printed
    int32_t original_copy;
    int32_t home;
    int32_t bitstream_type; // 0: a buffer fullness precedes each PCE
    int32_t bitrate;        // as read, 23 bits
};

extern ADIF_Header adif_header;
extern ProgConfig prog_config;

// What a host that shows more than the report (the page) is told after each
// program config element is read and its block printed, while adif_header
// and prog_config hold what was read: the element's tag, its place among
// them (0 for the first) and how many the header announces. It is how the
// host gets the tool's own reading of every element.
typedef void (*ElementWatch)(int tag, int index, int count);

// Zeroes both records, as a new process finds them, and has watch (NULL:
// nothing, as the tool has it) told of each element of the next reading.
void reset_records(ElementWatch watch);

// Reads the ADIF header and every program config element from the bit
// reader, printing the report as it goes. Returns -1 when the identification
// is not "ADIF" (after printing "Bad ADIF header ID"), 1 otherwise.
int get_adif_header(void);

// Reads one program config element into p, from its element instance tag to
// its last comment byte, and returns the tag.
int get_prog_config(ProgConfig *p);

#endif
