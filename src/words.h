// SPDX-License-Identifier: MIT
// Every phrase that the page and the library say of a file: the four words
// for what it is, with the exit statuses each goes with and what it means;
// the names of profiles, speakers and arrangements; and the phrases of a
// program's rate, channels and speakers, of a file's kind, bitrate and
// duration. Each is written after what an Out holds (out.h), from plain
// values; nothing here decides what a file is.
#ifndef ADIFINFO_WORDS_H
#define ADIFINFO_WORDS_H

#include "out.h"
#include "programs.h"

#include <stdint.h>

// The four words are the readings' (cli.h: READING_WHOLE is "complete"),
// each with the exit statuses it goes with: text is "not ADIF" whatever the
// tool made of it, so that word goes with a complete reading's status too.
enum { WORD_STATUSES_MOST = 2 };

const char *word_name(int reading);
const char *word_meaning(int reading);
// The statuses, in *statuses, and how many.
int word_statuses(int reading, const int **statuses);

const char *profile_name(int32_t profile);
const char *speaker_name(int code);

// The heart-of-the-summary phrases, after what o holds.
void put_layout(Out *o, const ProgramSummary *s);   // "stereo", "5.1"; nothing for none
void put_hertz(Out *o, const ProgramSummary *s);    // "48000 Hz", "reserved index 12"
void put_channels(Out *o, const ProgramSummary *s); // "6 channels: 3 front, 2 back, 1 LFE (5.1)"
void put_speakers(Out *o, const ProgramSummary *s); // "C L R", "none", or why not named
void put_note(Out *o, const ProgramSummary *s);     // of LTP or HE-AAC; nothing for none

// The kind (kinds.h), with what follows a tag and whether text is a log.
void put_kind_name(Out *o, int kind, int after_tag, int radio_log);   // "ID3 tag, then MP3"
void put_kind_phrase(Out *o, int kind, int after_tag, int radio_log); // a sentence

// What a report of text that starts with "ADIF" shows: the tool's reading of it.
extern const char TEXT_READ_AS_HEADER[];

// A bitrate (bits per second, 0 where not given) and whether it varies:
// "384 kb/s, constant", "at most 320 kb/s, variable".
void put_bitrate(Out *o, int32_t bitrate, int variable);
// The time that bits of audio take at bitrate (above 0): "0.88 s", "3 min
// 12 s", "1 h 2 min".
void put_seconds(Out *o, long long bits, int32_t bitrate);
// How long the audio lasts: timed where it is known, the time bits take at
// bitrate, the least it lasts where variable. "about 0.88 s", "at least 3
// min 12 s", "not given".
void put_duration(Out *o, int timed, long long bits, int32_t bitrate, int variable);

#endif
