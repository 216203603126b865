// SPDX-License-Identifier: MIT
// Text: which bytes are UTF-8 characters, when the start of a file is text,
// and text from outside (a name, a comment) shown as written, so that
// nothing in it can mislead where it is shown as text.
//
// A file is text when its first TEXT_SPAN bytes (all of it, where it is
// shorter, and at least TEXT_LEAST) are UTF-8 with no control character but
// tab, CR and LF (DEL and U+0080 to U+009F are controls). A character that
// the span's end cuts is allowed: the file goes on past it; one that the
// file's end cuts is not.
//
// As written: each UTF-8 character as itself; a control character below
// 0x80 (DEL too) as \xhh; a C1 control, and a character that turns the
// direction of what follows or hides itself, as \uhhhh; each byte that is
// not part of a UTF-8 character (a stray byte, an overlong form, a
// surrogate, past U+10FFFF, a character cut short) as \xhh. What is written
// is UTF-8, whatever was given.
#ifndef ADIFINFO_TEXT_H
#define ADIFINFO_TEXT_H

#include "out.h"

#include <stddef.h>

enum { TEXT_SPAN = 1024, TEXT_LEAST = 16 };

// The most bytes that n bytes take as written: four for a byte shown as \xhh.
enum { AS_WRITTEN_PER_BYTE = 4 };

// The UTF-8 character at s, with n bytes to it: its length (1 to 4), and its
// code in *code; 0 where no character starts there; -1 where n ends before
// the character does.
int utf8_char(const unsigned char *s, size_t n, unsigned long *code);

// Nonzero when the first count bytes of a file of size bytes (-1: not known)
// are text, as above.
int is_text(const unsigned char *start, size_t count, long long size);

// The n bytes at s, as written, after what o holds.
void put_as_written(Out *o, const unsigned char *s, size_t n);

#endif
