// SPDX-License-Identifier: MIT
// Shared by the tests and the fuzz target: input bytes read as a stream,
// straight from memory where the C library can, and scratch files.
#ifndef ADIFINFO_TESTS_MEMORY_FILE_H
#define ADIFINFO_TESTS_MEMORY_FILE_H

#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <string>
#include <unistd.h>
#endif

#if defined(_WIN32)
// Windows' tmpfile() numbers its files per process, so two test programs
// running at once can end up sharing one. This one names its file by the
// process and a serial number, creates it exclusively, and has it removed on
// closing.
inline FILE *scratch_file(void) {
    static unsigned serial;
    const char *dir = getenv("TEMP") != NULL ? getenv("TEMP") : ".";
    char name[1024];
    snprintf(name, sizeof name, "%s\\adifinfo-test-%d-%u.tmp", dir, _getpid(), serial++);
    int fd =
        _open(name, _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_TEMPORARY, _S_IREAD | _S_IWRITE);
    return fd < 0 ? NULL : _fdopen(fd, "w+b");
}
#else
// tmpfile() takes no notice of TMPDIR (glibc's writes to /tmp whatever it
// says): this one makes its file there, and unlinks it at once.
inline FILE *scratch_file(void) {
    const char *dir = getenv("TMPDIR");
    std::string name = std::string(dir != NULL && *dir != '\0' ? dir : "/tmp") + "/adifinfo-XXXXXX";
    int fd = mkstemp(&name[0]);
    if (fd < 0)
        return NULL;
    unlink(name.c_str());
    FILE *f = fdopen(fd, "w+b");
    if (f == NULL)
        close(fd);
    return f;
}
#endif

// An unnamed temporary file holding size bytes at data, positioned at its
// start, or NULL.
inline FILE *temp_file_of(const void *data, size_t size) {
    FILE *f = scratch_file();
    if (f != NULL && size > 0 && fwrite(data, 1, size, f) != size) {
        fclose(f);
        return NULL;
    }
    if (f != NULL)
        rewind(f);
    return f;
}

// A stream reading size bytes at data, or NULL. Where the C library reads
// from memory the bytes must outlive the stream; Windows has no fmemopen, and
// FreeBSD's refuses an empty buffer, so there the bytes go to a temporary file.
inline FILE *memory_file(const void *data, size_t size) {
#if !defined(_WIN32)
    if (size > 0)
        return fmemopen(const_cast<void *>(data), size, "rb");
#endif
    return temp_file_of(data, size);
}

// The same, read through the buffer the caller gives (which must outlive the
// stream) rather than one the C library allocates: the fuzz targets open a
// stream for every input.
inline FILE *memory_file_through(const void *data, size_t size, char *buffer, size_t buffer_size) {
    FILE *f = memory_file(data, size);
    if (f != NULL)
        setvbuf(f, buffer, _IOFBF, buffer_size);
    return f;
}

// Standard output sent nowhere: what the fuzz targets print is not read.
inline void stdout_to_nowhere(void) {
#if defined(_WIN32)
    const char *nowhere = "NUL";
#else
    const char *nowhere = "/dev/null";
#endif
    if (freopen(nowhere, "w", stdout) == NULL)
        abort();
}

#endif
