// SPDX-License-Identifier: MIT
#include "programs.h"

#include <string.h>

int32_t hertz_of_index(int32_t index) {
    static const int32_t hertz[RATES_NAMED] = {96000, 88200, 64000, 48000, 44100, 32000,
                                               24000, 22050, 16000, 12000, 11025, 8000};
    return index >= 0 && index < RATES_NAMED ? hertz[index] : 0;
}

// The channels of a list: one for each entry, two for a channel pair.
static int32_t channels_of(const EleList *list) {
    int32_t count = 0;
    for (int i = 0; i < list->num_ele && i < LIST_SLOTS; i++)
        count += list->ele_is_cpe[i] == 1 ? 2 : 1;
    return count;
}

// One more speaker, or two; 0 where the lists name more than there is room
// for (no arrangement of named speakers does).
static int speak(ProgramSummary *s, int first, int second = -1) {
    const int codes[] = {first, second};
    for (int code : codes) {
        if (code < 0)
            continue;
        if (s->speaker_count == SPEAKER_COUNT)
            return 0;
        s->speakers[s->speaker_count++] = (unsigned char)code;
    }
    return 1;
}

// The speakers, as the rules above name them: 1 where every channel has its
// name, else 0, and none named.
static int name_speakers(const ProgConfig *p, ProgramSummary *s) {
    int named = 1;
    int front_pair = 0;
    for (int i = 0; named && i < p->front.num_ele; i++) {
        if (p->front.ele_is_cpe[i] != 1 && i == 0) {
            named = speak(s, SPEAKER_C);
        } else if (p->front.ele_is_cpe[i] == 1 && !front_pair) {
            named = speak(s, SPEAKER_L, SPEAKER_R);
            front_pair = 1;
        } else {
            named = 0;
        }
    }
    int side_pair = 0;
    for (int i = 0; named && i < p->side.num_ele; i++) {
        named = p->side.ele_is_cpe[i] == 1 && !side_pair && speak(s, SPEAKER_LS, SPEAKER_RS);
        side_pair = 1;
    }
    // Ls Rs is taken where a side pair has it.
    static const int back_pairs[][2] = {{SPEAKER_LS, SPEAKER_RS}, {SPEAKER_LB, SPEAKER_RB}};
    int next_pair = side_pair;
    int back_single = 0;
    for (int i = 0; named && i < p->back.num_ele; i++) {
        if (p->back.ele_is_cpe[i] == 1 && next_pair < 2) {
            named = speak(s, back_pairs[next_pair][0], back_pairs[next_pair][1]);
            next_pair++;
        } else if (p->back.ele_is_cpe[i] != 1 && !back_single) {
            named = speak(s, SPEAKER_CB);
            back_single = 1;
        } else {
            named = 0;
        }
    }
    named = named && p->lfe.num_ele <= 1 && (p->lfe.num_ele == 0 || speak(s, SPEAKER_LFE));
    if (!named)
        s->speaker_count = 0;
    return named;
}

// The arrangement, from the channels in front, behind and LFE (see above).
static void name_layout(ProgramSummary *s) {
    int32_t behind = s->side + s->back;
    int usual = (s->lfe == 0 && behind == 0 && (s->front == 1 || s->front == 2)) ||
                (s->lfe <= 1 && (((s->front == 2 || s->front == 3) && behind <= 4) ||
                                 (s->front == 5 && behind == 2)));
    s->layout_main = usual ? s->front + behind : 0;
    s->layout_lfe = usual ? s->lfe : 0;
}

void summarize_program(const ProgConfig *p, int32_t tag, ProgramSummary *s) {
    memset(s, 0, sizeof *s);
    s->tag = tag;
    s->profile = p->profile;
    s->sampling_rate_idx = p->sampling_rate_idx;
    s->hertz = hertz_of_index(p->sampling_rate_idx);
    s->front = channels_of(&p->front);
    s->side = channels_of(&p->side);
    s->back = channels_of(&p->back);
    s->lfe = p->lfe.num_ele;
    s->channels = s->front + s->side + s->back + s->lfe;
    s->named = name_speakers(p, s);
    name_layout(s);
    memcpy(s->comment, p->comments, sizeof s->comment - 1);
    s->comment[sizeof s->comment - 1] = '\0';
}
