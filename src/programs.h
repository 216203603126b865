// SPDX-License-Identifier: MIT
// What a program config element says, in plain terms: its sampling rate in
// hertz, its channels at each place (a pair's two counted), its speakers by
// their usual short names, and its arrangement, from the element's lists
// and their channel-pair flags:
//
//   front  a single element first is C; the first pair is L R
//   side   a pair is Ls Rs
//   back   the pairs are Ls Rs (where no side pair has them), then Lb Rb;
//          a single element is Cb
//   lfe    LFE
//
// in the order front, side, back, LFE. Where the lists hold more than these
// names cover (a second front pair, a single element at the side, two LFE),
// no speaker is named rather than one guessed. The arrangement is mono or
// stereo, or FRONT+BEHIND.LFE where two or three channels are in front and
// at most four behind (at the sides and the back), or five in front and two
// behind, with at most one LFE; otherwise it has no usual name.
#ifndef ADIFINFO_PROGRAMS_H
#define ADIFINFO_PROGRAMS_H

#include "adif.h"

#include <stdint.h>

// The speakers that have a short name, in the order they are named.
enum {
    SPEAKER_C,
    SPEAKER_L,
    SPEAKER_R,
    SPEAKER_LS,
    SPEAKER_RS,
    SPEAKER_LB,
    SPEAKER_RB,
    SPEAKER_CB,
    SPEAKER_LFE,
    SPEAKER_COUNT
};

// The sampling rates that the 4-bit index names; the rest are reserved.
enum { RATES_NAMED = 12 };

// The rate that the sampling rate index names, in hertz; 0 where reserved.
int32_t hertz_of_index(int32_t index);

// One program config element in plain terms.
struct ProgramSummary {
    int32_t tag;
    int32_t profile;
    int32_t sampling_rate_idx;
    int32_t hertz; // 0 where the index is reserved
    int32_t front;
    int32_t side;
    int32_t back;
    int32_t lfe;
    int32_t channels;                      // all of the above
    int32_t named;                         // 1 when speakers names every channel
    int32_t speaker_count;                 // of speakers, where named
    unsigned char speakers[SPEAKER_COUNT]; // SPEAKER_ codes, in order
    int32_t layout_main;                   // the arrangement: its channels but LFE,
    int32_t layout_lfe;                    // and its LFE; layout_main 0 for none
    char comment[COMMENT_MOST + 1];        // the comment bytes, up to the first NUL
};

// p's element, whose instance tag is tag, in plain terms.
void summarize_program(const ProgConfig *p, int32_t tag, ProgramSummary *s);

#endif
