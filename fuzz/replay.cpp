// SPDX-License-Identifier: MIT
// Runs the fuzz target once on every file named, or in a folder named, without
// libFuzzer: how ordinary builds replay the corpus. Exits 1 when it finds no
// input at all, so a corpus that went missing cannot pass for a clean one.
#include <dirent.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static bool replay(const std::string &path) {
    FILE *f = fopen(path.c_str(), "rb");
    if (f == NULL)
        return false;
    std::vector<uint8_t> bytes;
    for (int c; (c = getc(f)) != EOF;)
        bytes.push_back((uint8_t)c);
    fclose(f);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

int main(int argc, char **argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    int count = 0;
    for (int i = 1; i < argc; i++) {
        DIR *dir = opendir(argv[i]);
        if (dir == NULL) {
            if (!replay(argv[i])) {
                fprintf(stderr, "replay: cannot read %s\n", argv[i]);
                return 1;
            }
            count++;
            continue;
        }
        for (dirent *e; (e = readdir(dir)) != NULL;)
            if (e->d_name[0] != '.' && replay(std::string(argv[i]) + "/" + e->d_name))
                count++;
        closedir(dir);
    }
    fprintf(stderr, "replay: %d inputs\n", count);
    return count > 0 ? 0 : 1;
}
