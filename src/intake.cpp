// SPDX-License-Identifier: MIT
#include "intake.h"

#include "kinds.h"

Intake intake;

enum { STAGE_START, STAGE_NEXT, STAGE_DONE };

void intake_begin(long long size) {
    intake.size = size >= 0 ? size : -1;
    intake.start_count = 0;
    intake.next_count = 0;
    intake.next_read = 0;
    intake.stage = STAGE_START;
}

// Where the bytes after the start go on: the end of the ID3v2 tag that runs
// to the end of the start or past it, and ends before the file does; or -1.
static long long after_the_tag(void) {
    size_t tag = id3_tag_length(intake.start, intake.start_count);
    if (tag == 0 || tag < intake.start_count || intake.start_count < START_SPAN)
        return -1;
    return intake.size < 0 || (long long)tag < intake.size ? (long long)tag : -1;
}

Want intake_want(void) {
    Want want = {0, 0};
    if (intake.stage == STAGE_START) {
        want.count = START_SPAN;
    } else if (intake.stage == STAGE_NEXT) {
        want.offset = after_the_tag();
        want.count = NEXT_SPAN;
    }
    return want;
}

unsigned char *intake_buffer(void) {
    return intake.stage == STAGE_NEXT ? intake.next : intake.start;
}

void intake_took(size_t count, int ended) {
    Want want = intake_want();
    if (want.count == 0)
        return;
    if (count > want.count)
        count = want.count;
    // The end gives the size; bytes past a size that was given prove the
    // file longer.
    long long end = want.offset + (long long)count;
    if (ended || (intake.size >= 0 && intake.size < end))
        intake.size = end;
    if (intake.stage == STAGE_START) {
        intake.start_count = count;
        intake.stage = after_the_tag() >= 0 ? STAGE_NEXT : STAGE_DONE;
    } else {
        intake.next_count = count;
        intake.next_read = 1;
        intake.stage = STAGE_DONE;
    }
}
