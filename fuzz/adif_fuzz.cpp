// The fuzz target: each input is a whole file handed to the tool's entry, with
// the report going to /dev/null. The reader and the records are process-wide,
// so they are put back as a fresh run of the tool finds them before each input.
#include "adif.h"
#include "bits.h"
#include "cli.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    if (freopen("/dev/null", "w", stdout) == NULL)
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static unsigned char none[1];
    FILE *in = fmemopen(size > 0 ? (void *)data : none, size, "rb");
    if (in == NULL)
        abort();

    cword = 0;
    nbits = 0;
    nzeros = 0;
    adif_header = ADIF_Header();
    prog_config = ProgConfig();

    inspect(in);
    fclose(in);
    return 0;
}
