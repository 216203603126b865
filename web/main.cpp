// SPDX-License-Identifier: MIT
// The module's entry, in place of the tool's own main: one instance of the
// module runs the tool on file after file, as a process a file would. Each
// run is the tool's whole run (adifinfo_main puts all of its state back
// first), and the file it opened is closed after it, as a process's end
// would close it. Each program config element, as the tool reads it, is
// handed to the host (web/run.js) for the summary that the page and the
// package show beside the report.
#include "adif.h"
#include "bits.h"
#include "cli.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

// The host's: fields, the element's numbers (see hand_over); comment, its
// comment bytes up to the first NUL, as the report shows them.
extern "C" void host_element(const int32_t *fields, int count, const char *comment, int length);

// How many of the list's entries are channel pairs.
static int32_t pairs(const EleList *list) {
    int32_t count = 0;
    for (int i = 0; i < list->num_ele; i++)
        count += list->ele_is_cpe[i] == 1;
    return count;
}

// In the order that web/run.js reads them.
static void hand_over(int tag, int n) {
    const ProgConfig *p = &prog_config;
    const int32_t fields[] = {
        tag,
        n,
        adif_header.bitstream_type,
        adif_header.bitrate,
        p->profile,
        p->sampling_rate_idx,
        p->front.num_ele,
        pairs(&p->front),
        p->side.num_ele,
        pairs(&p->side),
        p->back.num_ele,
        pairs(&p->back),
        p->lfe.num_ele,
        p->data.num_ele,
        p->coupling.num_ele,
        p->mono_mix.present,
        p->stereo_mix.present,
        p->matrix_mix.present,
    };
    host_element(fields, (int)(sizeof fields / sizeof *fields), p->comments,
                 (int)strlen(p->comments));
}

int main(int argc, char **argv) {
    watch_elements(hand_over);
    int status = adifinfo_main(argc, argv);
    if (bin != NULL)
        fclose(bin); // the next run starts with none open (reset_tool)
    return status;
}
