// SPDX-License-Identifier: MIT
#include "words.h"

#include "cli.h"
#include "kinds.h"

static const struct {
    const char *name;
    int statuses[WORD_STATUSES_MOST];
    int status_count;
    const char *meaning;
} words[READING_COUNT] = {
    {"complete", {STATUS_COMPLETE}, 1, "the whole header was read from the file's own bytes"},
    {"not ADIF",
     {STATUS_INCOMPLETE, STATUS_COMPLETE},
     2,
     "not an ADIF file: it does not start with \"ADIF\" (\"Bad ADIF header ID\"; most .aac files "
     "are ADTS, and .m4a and .mp4 files are MP4), or it is text, whatever its first letters and "
     "however far the tool read it (an amateur-radio log, say)"},
    {"cut short",
     {STATUS_INCOMPLETE},
     1,
     "the header runs past the end of the file: the report shows zeros for what is missing"},
    {"unreadable", {STATUS_FAILED}, 1, "the file could not be opened or read"},
};

const char *word_name(int reading) {
    return reading >= 0 && reading < READING_COUNT ? words[reading].name : "";
}

const char *word_meaning(int reading) {
    return reading >= 0 && reading < READING_COUNT ? words[reading].meaning : "";
}

int word_statuses(int reading, const int **statuses) {
    if (reading < 0 || reading >= READING_COUNT)
        return 0;
    *statuses = words[reading].statuses;
    return words[reading].status_count;
}

const char *profile_name(int32_t profile) {
    static const char *const names[] = {"Main", "Low Complexity", "Scalable Sampling Rate",
                                        "LTP (Long Term Prediction, MPEG-4)"};
    return profile >= 0 && profile < (int32_t)(sizeof names / sizeof names[0]) ? names[profile]
                                                                               : "";
}

const char *speaker_name(int code) {
    static const char *const names[SPEAKER_COUNT] = {"C",  "L",  "R",  "Ls", "Rs",
                                                     "Lb", "Rb", "Cb", "LFE"};
    return code >= 0 && code < SPEAKER_COUNT ? names[code] : "";
}

void put_layout(Out *o, const ProgramSummary *s) {
    if (s->layout_main == 1) {
        put_text(o, "mono");
    } else if (s->layout_main == 2 && s->layout_lfe == 0) {
        put_text(o, "stereo");
    } else if (s->layout_main > 0) {
        put_int(o, s->layout_main);
        put_char(o, '.');
        put_int(o, s->layout_lfe);
    }
}

void put_hertz(Out *o, const ProgramSummary *s) {
    if (s->hertz > 0) {
        put_int(o, s->hertz);
        put_text(o, " Hz");
    } else {
        put_text(o, "reserved index ");
        put_int(o, s->sampling_rate_idx);
    }
}

void put_channels(Out *o, const ProgramSummary *s) {
    if (s->channels == 0) {
        put_text(o, "none");
        return;
    }
    put_int(o, s->channels);
    put_text(o, s->channels == 1 ? " channel:" : " channels:");
    const struct {
        int32_t count;
        const char *place;
    } places[] = {{s->front, "front"}, {s->side, "side"}, {s->back, "back"}, {s->lfe, "LFE"}};
    const char *sep = " ";
    for (const auto &place : places) {
        if (place.count > 0) {
            put_text(o, sep);
            put_int(o, place.count);
            put_char(o, ' ');
            put_text(o, place.place);
            sep = ", ";
        }
    }
    if (s->layout_main > 0) {
        put_text(o, " (");
        put_layout(o, s);
        put_char(o, ')');
    }
}

void put_speakers(Out *o, const ProgramSummary *s) {
    if (s->channels == 0) {
        put_text(o, "none");
    } else if (!s->named) {
        put_text(o, "not named: the header holds more than the usual names cover (see the "
                    "channels)");
    } else {
        for (int i = 0; i < s->speaker_count; i++) {
            if (i > 0)
                put_char(o, ' ');
            put_text(o, speaker_name(s->speakers[i]));
        }
    }
}

// The rate at and below which a Low Complexity core could be HE-AAC's, which
// plays at twice its core's rate: the half of 48000 Hz.
enum { HE_CORE_MOST = 24000 };

void put_note(Out *o, const ProgramSummary *s) {
    if (s->profile == 3) {
        put_text(o, "MPEG-2 reserves profile 3; MPEG-4 names it Long Term Prediction, and its "
                    "players read it so.");
    } else if (s->profile == 1 && s->hertz > 0 && s->hertz <= HE_CORE_MOST) {
        // HE-AAC signals its extension only inside the audio: its header
        // gives the rate of its core, half the rate it plays at.
        put_text(o,
                 "An HE-AAC file stores half its output rate here: if this is one, it plays at ");
        put_int(o, 2 * s->hertz);
        put_text(o, " Hz. The header cannot say whether it is.");
    }
}

void put_kind_name(Out *o, int kind, int after_tag, int radio_log) {
    if (kind == KIND_ID3 && after_tag > KIND_NONE && after_tag < KIND_COUNT) {
        put_text(o, "ID3 tag, then ");
        put_text(o, kind_name(after_tag));
    } else if (kind == KIND_TEXT && radio_log) {
        put_text(o, "amateur-radio log");
    } else {
        put_text(o, kind_name(kind));
    }
}

void put_kind_phrase(Out *o, int kind, int after_tag, int radio_log) {
    if (kind == KIND_ID3) {
        // What a tagger puts before the audio: the audio is what follows.
        put_text(o, "An ID3v2 tag (a tagger's), then ");
        if (after_tag == KIND_ADIF)
            put_text(o, "an ADIF header, which this tool reads only at the start of a file.");
        else if (after_tag > KIND_NONE && after_tag < KIND_COUNT && after_tag != KIND_UNKNOWN)
            put_text(o, kind_phrase(after_tag));
        else
            put_text(o, "something that this tool does not know, or that lies past what was read.");
    } else if (kind == KIND_TEXT && radio_log) {
        put_text(o, "A text file, not audio: an amateur-radio log (the Amateur Data Interchange "
                    "Format, also called ADIF).");
    } else {
        put_text(o, kind_phrase(kind));
    }
}

const char TEXT_READ_AS_HEADER[] = "The tool read this text as an ADIF header, and its report "
                                   "shows what it found: numbers that mean nothing here.";

// Kilobits a second: 384000 is "384", 320 is "0.32", 128500 is "128.5".
static void put_kilobits(Out *o, int32_t bits) {
    put_int(o, bits / 1000);
    int rest = (int)(bits % 1000);
    if (rest != 0) {
        put_char(o, '.');
        for (int unit = 100; rest != 0; unit /= 10) {
            put_char(o, (char)('0' + rest / unit));
            rest %= unit;
        }
    }
}

void put_bitrate(Out *o, int32_t bitrate, int variable) {
    const char *kind = variable ? ", variable" : ", constant";
    if (bitrate == 0) {
        put_text(o, "not given");
    } else {
        if (variable)
            put_text(o, "at most ");
        put_kilobits(o, bitrate);
        put_text(o, " kb/s");
    }
    put_text(o, kind);
}

void put_seconds(Out *o, long long bits, int32_t bitrate) {
    // Rounded first, so that 59.96 s reads as 1 min 0 s, not 60.0 s; and
    // from the bits and the bitrate themselves, so that nothing rounds twice.
    if (rounded_quotient(bits, bitrate, 2) < 1000) {
        put_quotient(o, bits, bitrate, 2, 0);
        put_text(o, " s");
    } else if (rounded_quotient(bits, bitrate, 1) < 600) {
        put_quotient(o, bits, bitrate, 1, 0);
        put_text(o, " s");
    } else if (rounded_quotient(bits, bitrate, 0) < 3600) {
        long long whole = rounded_quotient(bits, bitrate, 0);
        put_int(o, whole / 60);
        put_text(o, " min ");
        put_int(o, whole % 60);
        put_text(o, " s");
    } else {
        long long minutes = rounded_quotient(bits, 60LL * bitrate, 0);
        put_int(o, minutes / 60);
        put_text(o, " h ");
        put_int(o, minutes % 60);
        put_text(o, " min");
    }
}

void put_duration(Out *o, int timed, long long bits, int32_t bitrate, int variable) {
    if (!timed || bitrate <= 0) {
        put_text(o, "not given");
    } else if (bits == 0) {
        put_text(o, "none: nothing follows the header");
    } else {
        put_text(o, variable ? "at least " : "about ");
        put_seconds(o, bits, bitrate);
    }
}
