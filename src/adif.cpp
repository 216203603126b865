// SPDX-License-Identifier: MIT
// Reading the ADIF header and its program config elements, and printing the
// report. Reading and printing alternate: each section is printed as soon as
// its fields are read.
#include "adif.h"

#include "bits.h"
#include "safe_print.h"

#include <stdio.h>
#include <string.h>

ADIF_Header adif_header;
ProgConfig prog_config;
static ElementWatch element_watch;

void reset_records(ElementWatch watch) {
    adif_header = ADIF_Header();
    prog_config = ProgConfig();
    element_watch = watch;
}

// One labelled number of the report.
static void print_value(const char *label, int32_t value) {
    printf("%-25s %d\n", label, (int)value); // int32_t need not be int
}

// The comment line: its bytes up to the first NUL.
static void print_comment(const char *comments) {
    fputs("Comment: ", stdout);
    print_text(comments);
    putchar('\n');
}

// Reads the entries of a list whose num_ele is set; with enable_cpe, each
// entry is its 1-bit flag followed by its tag, otherwise a tag alone.
static void get_ele_list(EleList *p, int enable_cpe) {
    for (int i = 0; i < p->num_ele; i++) {
        if (enable_cpe)
            p->ele_is_cpe[i] = getbits(LEN_ELE_IS_CPE);
        p->ele_tag[i] = getbits(LEN_TAG);
    }
}

int get_prog_config(ProgConfig *p) {
    int tag = getbits(LEN_TAG);

    p->profile = getbits(LEN_PROFILE);
    p->sampling_rate_idx = getbits(LEN_SAMP_IDX);
    p->front.num_ele = getbits(LEN_NUM_ELE);
    p->side.num_ele = getbits(LEN_NUM_ELE);
    p->back.num_ele = getbits(LEN_NUM_ELE);
    p->lfe.num_ele = getbits(LEN_NUM_LFE);
    p->data.num_ele = getbits(LEN_NUM_DAT);
    p->coupling.num_ele = getbits(LEN_NUM_CCE);

    if ((p->mono_mix.present = getbits(LEN_MIX_PRES)) == 1)
        p->mono_mix.ele_tag = getbits(LEN_TAG);
    if ((p->stereo_mix.present = getbits(LEN_MIX_PRES)) == 1)
        p->stereo_mix.ele_tag = getbits(LEN_TAG);
    if ((p->matrix_mix.present = getbits(LEN_MIX_PRES)) == 1) {
        p->matrix_mix.ele_tag = getbits(LEN_MMIX_IDX);
        p->matrix_mix.pseudo_enab = getbits(LEN_PSUR_ENAB);
    }

    get_ele_list(&p->front, 1);
    get_ele_list(&p->side, 1);
    get_ele_list(&p->back, 1);
    get_ele_list(&p->lfe, 0);
    get_ele_list(&p->data, 0);
    get_ele_list(&p->coupling, 1);

    // The comment starts on a byte boundary of the file, not of the element.
    byte_align();
    int count = getbits(LEN_COMMENT_BYTES);
    for (int i = 0; i < count; i++)
        p->comments[i] = (char)getbits(LEN_BYTE);
    p->comments[count] = '\0';

    return tag;
}

// One program config element, with the buffer fullness before it, and its
// block of the report. n is the number of elements in the file: the block
// shows it, not its own position (index, 0 for the first).
static void get_pce_section(int index, int n) {
    ProgConfig *p = &prog_config;

    p->buffer_fullness = adif_header.bitstream_type == 0 ? getbits(LEN_ADIF_BF) : 0;
    int tag = get_prog_config(p);

    putchar('\n');
    print_value("PCE number", n);
    print_value("tag", tag);
    print_value("p->profile", p->profile);
    print_value("p->sampling_rate_idx", p->sampling_rate_idx);
    print_value("p->front.num_ele", p->front.num_ele);
    print_value("p->side.num_ele", p->side.num_ele);
    print_value("p->back.num_ele", p->back.num_ele);
    print_value("p->lfe.num_ele", p->lfe.num_ele);
    print_value("p->data.num_ele", p->data.num_ele);
    print_value("p->coupling.num_ele", p->coupling.num_ele);
    print_value("p->mono_mix.present", p->mono_mix.present);
    print_value("p->stereo_mix.present", p->stereo_mix.present);
    print_value("p->matrix_mix.present", p->matrix_mix.present);
    print_comment(p->comments);
    if (element_watch != NULL)
        element_watch(tag, index, n);
}

int get_adif_header(void) {
    ADIF_Header *p = &adif_header;

    for (int i = 0; i < LEN_ADIF_ID; i++)
        p->adif_id[i] = (char)getbits(LEN_BYTE);
    p->adif_id[LEN_ADIF_ID] = '\0';
    if (strncmp(p->adif_id, "ADIF", LEN_ADIF_ID) != 0) {
        printf("Bad ADIF header ID\n");
        return -1;
    }

    if ((p->copy_id_present = getbits(LEN_COPYRT_PRES)) == 1) {
        for (int i = 0; i < LEN_COPYRT_ID; i++)
            p->copy_id[i] = (char)getbits(LEN_BYTE);
        p->copy_id[LEN_COPYRT_ID] = '\0';
    }
    p->original_copy = getbits(LEN_ORIG);
    p->home = getbits(LEN_HOME);
    p->bitstream_type = getbits(LEN_BS_TYPE);
    p->bitrate = getbits(LEN_BIT_RATE);

    printf("\nADIF header:\n");
    print_value("p->copy_id_present", p->copy_id_present);
    print_value("p->original_copy", p->original_copy);
    print_value("p->home", p->home);
    print_value("p->bitstream_type", p->bitstream_type);
    print_value("p->bitrate", p->bitrate);

    int n = getbits(LEN_NUM_PCE) + 1;
    printf("%s %d\n", "number of PCE", n);
    for (int i = 0; i < n; i++)
        get_pce_section(i, n);

    return 1;
}
