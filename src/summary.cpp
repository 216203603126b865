// SPDX-License-Identifier: MIT
// The summary: what a header says, and what a file is, in plain words.
#include "summary.h"

#include "bits.h"
#include "cli.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

FileSummary file_summary;

void reset_summary(void) {
    file_summary = FileSummary();
}

// The sampling rates of the 4-bit index; 12 to 15 are reserved.
static const int32_t hertz_of_index[] = {96000, 88200, 64000, 48000, 44100, 32000,
                                         24000, 22050, 16000, 12000, 11025, 8000};

const char *profile_name(int profile) {
    static const char *const names[] = {"Main", "Low Complexity", "Scalable Sampling Rate",
                                        "LTP (Long Term Prediction, MPEG-4)"};
    return profile >= 0 && profile <= 3 ? names[profile] : "";
}

const char *word_name(int word) {
    static const char *const names[] = {"complete", "not ADIF", "cut short", "unreadable"};
    return word >= 0 && word <= WORD_UNREADABLE ? names[word] : "";
}

// Text appended to a buffer of a fixed size: whatever does not fit is left
// out, and remembered.
struct Out {
    char *at;
    size_t size;
    size_t length;
    int full;
};

static void put(Out *o, const char *format, ...) {
    va_list words;
    va_start(words, format);
    size_t room = o->length < o->size ? o->size - o->length : 0;
    int wrote = vsnprintf(room > 0 ? o->at + o->length : NULL, room, format, words);
    va_end(words);
    if (wrote < 0 || (size_t)wrote >= room)
        o->full = 1;
    o->length += wrote > 0 ? (size_t)wrote : 0;
}

static Out out_of(char *at, size_t size) {
    if (size > 0)
        at[0] = '\0';
    Out o = {at, size, 0, 0};
    return o;
}

// ---- What a file is, from its first bytes ----------------------------------

static int starts(const unsigned char *bytes, size_t count, size_t at, const char *magic) {
    size_t length = strlen(magic);
    return count >= at + length && memcmp(bytes + at, magic, length) == 0;
}

// The length of an ID3v2 tag at bytes, or 0 where none starts there: "ID3",
// a version and a revision below 0xFF, flags, and a size of four bytes of
// seven bits each, which leaves out the ten bytes before it and a footer.
size_t id3_tag_length(const unsigned char *bytes, size_t count) {
    if (!starts(bytes, count, 0, "ID3") || count < 10 || bytes[3] == 0xff || bytes[4] == 0xff ||
        ((bytes[6] | bytes[7] | bytes[8] | bytes[9]) & 0x80) != 0)
        return 0;
    size_t size =
        (size_t)bytes[6] << 21 | (size_t)bytes[7] << 14 | (size_t)bytes[8] << 7 | bytes[9];
    return 10 + size + (bytes[3] == 4 && (bytes[5] & 0x10) != 0 ? 10 : 0); // 2.4's footer
}

// The kind that the signature at the start of bytes names. Audio frames of
// MPEG begin with eleven or twelve bits set: ADTS's layer is 0, which MPEG
// audio's never is; MPEG audio's version 1, bitrate 15 and rate 3 are
// reserved.
static int signature(const unsigned char *bytes, size_t count) {
    if (starts(bytes, count, 0, "ADIF"))
        return KIND_ADIF;
    if (id3_tag_length(bytes, count) > 0)
        return KIND_ID3;
    if (count >= 2 && bytes[0] == 0xff && (bytes[1] & 0xf6) == 0xf0)
        return KIND_ADTS;
    if (count >= 3 && bytes[0] == 0xff && (bytes[1] & 0xe0) == 0xe0 && (bytes[1] & 0x06) != 0 &&
        (bytes[1] & 0x18) != 0x08 && (bytes[2] & 0xf0) != 0xf0 && (bytes[2] & 0x0c) != 0x0c)
        return KIND_MP3;
    if (starts(bytes, count, 4, "ftyp"))
        return KIND_MP4;
    if ((starts(bytes, count, 0, "RIFF") || starts(bytes, count, 0, "RF64")) &&
        starts(bytes, count, 8, "WAVE"))
        return KIND_WAV;
    if (starts(bytes, count, 0, "FORM") &&
        (starts(bytes, count, 8, "AIFF") || starts(bytes, count, 8, "AIFC")))
        return KIND_AIFF;
    if (starts(bytes, count, 0, "fLaC"))
        return KIND_FLAC;
    if (starts(bytes, count, 0, "OggS"))
        return KIND_OGG;
    return KIND_UNKNOWN;
}

// The UTF-8 character at s, with n bytes to it: its length (1 to 4) and its
// code; 0 for a byte that starts none (a stray continuation, an overlong
// form, a surrogate, past U+10FFFF); -1 where n ends before it does.
static int utf8_char(const unsigned char *s, size_t n, unsigned long *code) {
    unsigned char first = s[0];
    int length;
    unsigned char low = 0x80, high = 0xbf; // the second byte's range
    if (first < 0x80) {
        *code = first;
        return 1;
    } else if (first >= 0xc2 && first <= 0xdf) {
        length = 2;
    } else if (first >= 0xe0 && first <= 0xef) {
        length = 3;
        low = first == 0xe0 ? 0xa0 : 0x80;  // not overlong
        high = first == 0xed ? 0x9f : 0xbf; // not a surrogate
    } else if (first >= 0xf0 && first <= 0xf4) {
        length = 4;
        low = first == 0xf0 ? 0x90 : 0x80;  // not overlong
        high = first == 0xf4 ? 0x8f : 0xbf; // not past U+10FFFF
    } else {
        return 0;
    }
    unsigned long value = first & (0x7f >> length);
    for (int i = 1; i < length; i++) {
        if ((size_t)i >= n)
            return -1;
        unsigned char next = s[i];
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xbf))
            return 0;
        value = value << 6 | (next & 0x3f);
    }
    *code = value;
    return length;
}

int is_text(const unsigned char *start, size_t count, long long size) {
    size_t n = count < (size_t)TEXT_SPAN ? count : (size_t)TEXT_SPAN;
    // Fewer bytes than the span only where they are the whole file.
    if (n < TEXT_LEAST || (n < TEXT_SPAN && (long long)n != size))
        return 0;
    for (size_t i = 0; i < n;) {
        unsigned long code = 0;
        int length = utf8_char(start + i, n - i, &code);
        if (length < 0)
            return size < 0 || size > (long long)n; // cut by the span, not by the file's end
        if (length == 0)
            return 0;
        // Control characters, DEL and the C1 controls; tab, LF and CR are text.
        if ((code < 0x20 && code != '\t' && code != '\n' && code != '\r') ||
            (code >= 0x7f && code <= 0x9f))
            return 0;
        i += (size_t)length;
    }
    return 1;
}

// An amateur-radio log (the Amateur Data Interchange Format, .adi) ends its
// header with the tag <EOH>, in either case.
static int holds_end_of_header(const unsigned char *bytes, size_t count) {
    static const char tag[] = "<eoh>";
    for (size_t i = 0; i + 5 <= count; i++) {
        size_t k = 0;
        while (k < 5 &&
               (bytes[i + k] | (bytes[i + k] >= 'A' && bytes[i + k] <= 'Z' ? 0x20 : 0)) == tag[k])
            k++;
        if (k == 5)
            return 1;
    }
    return 0;
}

int file_kind(const unsigned char *start, size_t count, const unsigned char *next,
              size_t next_count, long long size, int *after) {
    *after = KIND_NONE;
    if (count == 0)
        return size <= 0 ? KIND_EMPTY : KIND_UNKNOWN;
    if (is_text(start, count, size))
        return KIND_TEXT;
    int kind = signature(start, count);
    if (kind == KIND_ID3) {
        size_t tag = id3_tag_length(start, count);
        *after = KIND_UNKNOWN;
        int following = tag < count    ? signature(start + tag, count - tag)
                        : next != NULL ? signature(next, next_count)
                                       : KIND_UNKNOWN;
        *after = following == KIND_ID3 ? KIND_UNKNOWN : following;
    }
    return kind;
}

// Each kind's key (as the library has it), short name and the phrase that
// says what it is, in the order of the kinds.
static const struct {
    const char *key;
    const char *name;
    const char *phrase;
} kinds[] = {
    {NULL, "", ""},
    {"adif", "ADIF", "ADIF: MPEG-2 AAC audio with one header at its start"},
    {"empty", "empty", "An empty file: no bytes at all"},
    {"adts", "ADTS", "ADTS: AAC audio with a short header before every frame, the usual .aac file"},
    {"mp4", "MP4", "MP4: a container (.m4a, .mp4, .3gp), most often of AAC audio"},
    {"mp3", "MP3", "MP3: MPEG audio"},
    {"wav", "WAV", "WAV: a RIFF audio file, most often not compressed"},
    {"aiff", "AIFF", "AIFF: Apple's audio file, most often not compressed"},
    {"flac", "FLAC", "FLAC: audio compressed without loss"},
    {"ogg", "Ogg", "Ogg: a container, most often of Vorbis or Opus audio"},
    {"id3", "ID3 tag", "An ID3v2 tag"},
    {"text", "text", "A text file, not audio"},
    {"unknown", "unknown", "Not a kind of file that this tool knows"},
};

const char *kind_key(int kind) {
    return kind >= 0 && kind <= KIND_UNKNOWN ? kinds[kind].key : NULL;
}

const char *kind_name(const FileSummary *f, char *out, size_t size) {
    Out o = out_of(out, size);
    if (f->kind == KIND_ID3 && f->after_tag > KIND_NONE && f->after_tag <= KIND_UNKNOWN)
        put(&o, "ID3 tag, then %s", kinds[f->after_tag].name);
    else if (f->kind == KIND_TEXT && f->radio_log)
        put(&o, "amateur-radio log");
    else if (f->kind >= 0 && f->kind <= KIND_UNKNOWN)
        put(&o, "%s", kinds[f->kind].name);
    return out;
}

const char *kind_phrase(const FileSummary *f, char *out, size_t size) {
    Out o = out_of(out, size);
    if (f->kind < 0 || f->kind > KIND_UNKNOWN)
        return out;
    if (f->kind == KIND_ID3) {
        // What a tagger puts before the audio: the audio is what follows.
        put(&o, "An ID3v2 tag (a tagger's), then ");
        if (f->after_tag == KIND_ADIF)
            put(&o, "an ADIF header, which this tool reads only at the start of a file");
        else if (f->after_tag == KIND_UNKNOWN || f->after_tag == KIND_NONE)
            put(&o, "something that this tool does not know, or that lies past what was read");
        else
            put(&o, "%s", kinds[f->after_tag].phrase);
    } else if (f->kind == KIND_TEXT && f->radio_log) {
        put(&o, "%s: an amateur-radio log (the Amateur Data Interchange Format, also called ADIF)",
            kinds[KIND_TEXT].phrase);
    } else {
        put(&o, "%s", kinds[f->kind].phrase);
    }
    return out;
}

// ---- What a program config element says -----------------------------------

// The channels of a list: one for each entry, two for a channel pair.
static int32_t channels_of(const EleList *list) {
    int32_t count = 0;
    for (int i = 0; i < list->num_ele && i < 16; i++)
        count += list->ele_is_cpe[i] == 1 ? 2 : 1;
    return count;
}

// One more name of a speaker, after those before it.
static void speaker(Out *o, const char *name) {
    put(o, "%s%s", o->length > 0 ? " " : "", name);
}

// The speakers, in the usual short names, from the lists in order and their
// channel-pair flags:
//
//   front  a single element first is C; the first pair is L R
//   side   a pair is Ls Rs
//   back   the pairs are Ls Rs (where no side pair has them), then Lb Rb;
//          a single element is Cb
//   lfe    LFE
//
// in the order front, side, back, LFE. Where the lists hold more than these
// names cover (a second front pair, a single element at the side, two LFE),
// nothing is named rather than guessed: 0, and out is empty.
static int name_speakers(const ProgConfig *p, char *out, size_t size) {
    Out o = out_of(out, size);
    int named = 1;
    int front_pair = 0;
    for (int i = 0; named && i < p->front.num_ele; i++) {
        if (p->front.ele_is_cpe[i] != 1 && i == 0) {
            speaker(&o, "C");
        } else if (p->front.ele_is_cpe[i] == 1 && !front_pair) {
            speaker(&o, "L R");
            front_pair = 1;
        } else {
            named = 0;
        }
    }
    int side_pair = 0;
    for (int i = 0; named && i < p->side.num_ele; i++) {
        named = p->side.ele_is_cpe[i] == 1 && !side_pair;
        if (named)
            speaker(&o, "Ls Rs");
        side_pair = 1;
    }
    static const char *const back_pairs[] = {"Ls Rs", "Lb Rb"};
    int next_pair = side_pair; // Ls Rs is taken where a side pair has it
    int back_single = 0;
    for (int i = 0; named && i < p->back.num_ele; i++) {
        if (p->back.ele_is_cpe[i] == 1 && next_pair < 2) {
            speaker(&o, back_pairs[next_pair++]);
        } else if (p->back.ele_is_cpe[i] != 1 && !back_single) {
            speaker(&o, "Cb");
            back_single = 1;
        } else {
            named = 0;
        }
    }
    named = named && p->lfe.num_ele <= 1 && !o.full;
    if (named && p->lfe.num_ele == 1)
        speaker(&o, "LFE");
    if (!named)
        out_of(out, size);
    return named;
}

// The usual name of an arrangement, from the channels in front, behind (at
// the sides and the back) and LFE: mono, stereo, or front+behind.lfe where
// the arrangement is one of the common ones (2.1, 3.0, 5.1, 7.1, and 7.1
// with five in front).
static void name_layout(int32_t front, int32_t behind, int32_t lfe, char *out, size_t size) {
    Out o = out_of(out, size);
    if (lfe == 0 && behind == 0 && (front == 1 || front == 2))
        put(&o, "%s", front == 1 ? "mono" : "stereo");
    else if (lfe <= 1 &&
             (((front == 2 || front == 3) && behind <= 4) || (front == 5 && behind == 2)))
        put(&o, "%d.%d", (int)(front + behind), (int)lfe);
}

void summarize_program(const ProgConfig *p, int tag, ProgramSummary *s) {
    *s = ProgramSummary();
    s->tag = tag;
    s->profile = p->profile;
    s->sampling_rate_idx = p->sampling_rate_idx;
    s->hertz = p->sampling_rate_idx >= 0 && p->sampling_rate_idx < 12
                   ? hertz_of_index[p->sampling_rate_idx]
                   : 0;
    s->front = channels_of(&p->front);
    s->side = channels_of(&p->side);
    s->back = channels_of(&p->back);
    s->lfe = p->lfe.num_ele;
    s->channels = s->front + s->side + s->back + s->lfe;
    s->named = name_speakers(p, s->speakers, sizeof s->speakers);
    name_layout(s->front, s->side + s->back, s->lfe, s->layout, sizeof s->layout);
    memcpy(s->comment, p->comments, sizeof s->comment);
    s->comment[sizeof s->comment - 1] = '\0';
}

void start_summary(void) {
    reset_summary();
    watch_elements(note_program);
}

void note_program(int tag, int) {
    FileSummary *f = &file_summary;
    if (f->count < 16)
        summarize_program(&prog_config, tag, &f->programs[f->count++]);
}

void summarize(int status, const unsigned char *start, size_t count, const unsigned char *next,
               size_t next_count, long long size) {
    FileSummary *f = &file_summary;
    f->kind = status == STATUS_FAILED
                  ? KIND_NONE
                  : file_kind(start, count, next, next_count, size, &f->after_tag);
    f->radio_log = f->kind == KIND_TEXT && holds_end_of_header(start, count);
    int magic = strncmp(adif_header.adif_id, "ADIF", LEN_ADIF_ID) == 0;
    f->read_as_header = status != STATUS_FAILED && magic;
    if (status == STATUS_FAILED)
        f->word = WORD_UNREADABLE;
    else if (f->kind == KIND_TEXT)
        f->word = WORD_NOT_ADIF; // whatever its first four letters
    else if (status == STATUS_COMPLETE)
        f->word = WORD_COMPLETE;
    else
        f->word = magic ? WORD_CUT_SHORT : WORD_NOT_ADIF;

    f->complete = f->word == WORD_COMPLETE;
    if (!f->complete) {
        f->count = 0;
        return;
    }
    f->bitrate = adif_header.bitrate;
    f->variable = adif_header.bitstream_type == 1;
    f->header_bytes = read_position() / 8;
    // The audio after the header, in bits, over the bitrate: for a variable
    // rate, whose bitrate is its peak, the least it can last.
    f->timed = f->bitrate > 0 && size >= f->header_bytes;
    f->seconds = f->timed ? (double)(size - f->header_bytes) * 8 / f->bitrate : 0;
}

// ---- The phrases ------------------------------------------------------------

const char *hertz_phrase(const ProgramSummary *s, char *out, size_t size) {
    Out o = out_of(out, size);
    if (s->hertz > 0)
        put(&o, "%d Hz", (int)s->hertz);
    else
        put(&o, "reserved index %d", (int)s->sampling_rate_idx);
    return out;
}

const char *channels_phrase(const ProgramSummary *s, char *out, size_t size) {
    Out o = out_of(out, size);
    if (s->channels == 0) {
        put(&o, "none");
        return out;
    }
    put(&o, "%d channel%s:", (int)s->channels, s->channels == 1 ? "" : "s");
    const struct {
        int32_t count;
        const char *place;
    } places[] = {{s->front, "front"}, {s->side, "side"}, {s->back, "back"}, {s->lfe, "LFE"}};
    const char *sep = " ";
    for (const auto &place : places) {
        if (place.count > 0) {
            put(&o, "%s%d %s", sep, (int)place.count, place.place);
            sep = ", ";
        }
    }
    if (s->layout[0] != '\0')
        put(&o, " (%s)", s->layout);
    return out;
}

const char *speakers_phrase(const ProgramSummary *s) {
    if (s->channels == 0)
        return "none";
    if (!s->named)
        return "not named: the header holds more than the usual names cover (see the channels)";
    return s->speakers;
}

const char *program_note(const ProgramSummary *s, char *out, size_t size) {
    Out o = out_of(out, size);
    if (s->profile == 3) {
        put(&o, "MPEG-2 reserves profile 3; MPEG-4 names it Long Term Prediction, and its "
                "players read it so");
    } else if (s->profile == 1 && s->hertz > 0 && s->hertz <= 24000) {
        // HE-AAC signals its extension only inside the audio: its header
        // gives the rate of its core, half the rate it plays at.
        put(&o,
            "An HE-AAC file stores half its output rate here: if this is one, it plays at %d Hz. "
            "The header cannot say whether it is",
            (int)(2 * s->hertz));
    }
    return out;
}

// Kilobits a second: 384000 is "384", 320 is "0.32", 128500 is "128.5".
static void put_kilobits(Out *o, int32_t bits) {
    put(o, "%d", (int)(bits / 1000));
    int rest = (int)(bits % 1000);
    if (rest != 0) {
        int digits = 3;
        while (rest % 10 == 0) {
            rest /= 10;
            digits--;
        }
        put(o, ".%0*d", digits, rest);
    }
}

const char *bitrate_phrase(const FileSummary *f, char *out, size_t size) {
    Out o = out_of(out, size);
    if (!f->complete)
        return out;
    const char *kind = f->variable ? "variable" : "constant";
    if (f->bitrate == 0) {
        put(&o, "not given, %s", kind);
        return out;
    }
    put(&o, "%s", f->variable ? "at most " : "");
    put_kilobits(&o, f->bitrate);
    put(&o, " kb/s, %s", kind);
    return out;
}

const char *seconds_phrase(double seconds, char *out, size_t size) {
    Out o = out_of(out, size);
    // Rounded first, so that 59.96 s reads as 1 min 0 s, not 60.0 s.
    if (seconds * 100 + 0.5 < 1000) {
        put(&o, "%.2f s", seconds);
    } else if (seconds * 10 + 0.5 < 600) {
        put(&o, "%.1f s", seconds);
    } else if (seconds + 0.5 < 3600) {
        int whole = (int)(seconds + 0.5);
        put(&o, "%d min %d s", whole / 60, whole % 60);
    } else {
        // To the minute; the hours as a double, however many there are.
        double minutes = floor((seconds + 30) / 60);
        put(&o, "%.0f h %d min", floor(minutes / 60), (int)fmod(minutes, 60));
    }
    return out;
}

const char *duration_phrase(const FileSummary *f, char *out, size_t size) {
    Out o = out_of(out, size);
    if (!f->complete)
        return out;
    char amount[32];
    if (!f->timed)
        put(&o, "not given");
    else if (f->seconds == 0)
        put(&o, "none: nothing follows the header");
    else
        put(&o, "%s %s", f->variable ? "at least" : "about",
            seconds_phrase(f->seconds, amount, sizeof amount));
    return out;
}

// ---- The summary for a host, as JSON ----------------------------------------

// One byte more, as put would write it: kept, with the NUL after it, where
// both fit; counted either way.
static void put_byte(Out *o, char c) {
    if (o->length + 1 < o->size) {
        o->at[o->length] = c;
        o->at[o->length + 1] = '\0';
    } else {
        o->full = 1;
    }
    o->length++;
}

static void put_bytes(Out *o, const char *s) {
    for (; *s != '\0'; s++)
        put_byte(o, *s);
}

// A JSON string of bytes, one character each; NULL as null. Byte by byte,
// without printf: the summary is made for every file, and most of it is
// these strings.
static void put_string(Out *o, const char *s) {
    static const char hex[] = "0123456789abcdef";
    if (s == NULL) {
        put_bytes(o, "null");
        return;
    }
    put_byte(o, '"');
    for (; *s != '\0'; s++) {
        unsigned char c = (unsigned char)*s;
        if (c == '"' || c == '\\') {
            put_byte(o, '\\');
            put_byte(o, (char)c);
        } else if (c < 0x20 || c >= 0x7f) {
            put_bytes(o, "\\u00");
            put_byte(o, hex[c >> 4]);
            put_byte(o, hex[c & 0x0f]);
        } else {
            put_byte(o, (char)c);
        }
    }
    put_byte(o, '"');
}

static void put_field(Out *o, const char *name, const char *value, const char *sep = ",") {
    put_byte(o, '"');
    put_bytes(o, name);
    put_bytes(o, "\":");
    put_string(o, value);
    put_bytes(o, sep);
}

static const char *boolean(int value) {
    return value ? "true" : "false";
}

size_t summary_json(char *out, size_t size) {
    const FileSummary *f = &file_summary;
    Out o = out_of(out, size);
    char text[512];
    put(&o, "{");
    put_field(&o, "word", word_name(f->word));
    put_field(&o, "kind", kind_key(f->kind));
    put_field(&o, "afterTag", f->kind == KIND_ID3 ? kind_key(f->after_tag) : NULL);
    put(&o, "\"radioLog\":%s,\"headerRead\":%s,", boolean(f->radio_log),
        boolean(f->read_as_header));
    put_field(&o, "kindName", f->kind == KIND_NONE ? NULL : kind_name(f, text, sizeof text));
    put_field(&o, "kindText", f->kind == KIND_NONE ? NULL : kind_phrase(f, text, sizeof text));
    if (f->complete) {
        put(&o, "\"bitrate\":%d,\"variableRate\":%s,", (int)f->bitrate, boolean(f->variable));
        put_field(&o, "bitrateText", bitrate_phrase(f, text, sizeof text));
        if (f->timed)
            put(&o, "\"durationSeconds\":%.17g,", f->seconds);
        else
            put(&o, "\"durationSeconds\":null,");
        put(&o, "\"durationIsMinimum\":%s,", f->timed ? boolean(f->variable) : "null");
        put_field(&o, "durationText", duration_phrase(f, text, sizeof text));
        put(&o, "\"headerBytes\":%ld,", f->header_bytes);
    } else {
        put(&o, "\"bitrate\":null,\"variableRate\":null,\"bitrateText\":null,"
                "\"durationSeconds\":null,\"durationIsMinimum\":null,\"durationText\":null,"
                "\"headerBytes\":null,");
    }
    put(&o, "\"programs\":[");
    for (int i = 0; i < f->count; i++) {
        const ProgramSummary *s = &f->programs[i];
        put(&o, "%s{\"tag\":%d,\"profile\":%d,", i > 0 ? "," : "", (int)s->tag, (int)s->profile);
        put_field(&o, "profileName", profile_name(s->profile));
        put(&o, "\"samplingRateIndex\":%d,", (int)s->sampling_rate_idx);
        if (s->hertz > 0)
            put(&o, "\"hertz\":%d,", (int)s->hertz);
        else
            put(&o, "\"hertz\":null,");
        put_field(&o, "hertzText", hertz_phrase(s, text, sizeof text));
        put(&o, "\"channels\":%d,\"front\":%d,\"side\":%d,\"back\":%d,\"lfe\":%d,",
            (int)s->channels, (int)s->front, (int)s->side, (int)s->back, (int)s->lfe);
        put_field(&o, "layout", s->layout[0] != '\0' ? s->layout : NULL);
        put_field(&o, "channelsText", channels_phrase(s, text, sizeof text));
        put(&o, "\"speakers\":");
        if (!s->named) {
            put(&o, "null");
        } else {
            // "C L R" as ["C","L","R"]
            put(&o, "[");
            for (const char *at = s->speakers; *at != '\0';) {
                size_t length = strcspn(at, " ");
                put(&o, "%s\"%.*s\"", at == s->speakers ? "" : ",", (int)length, at);
                at += length + (at[length] == ' ');
            }
            put(&o, "]");
        }
        put(&o, ",");
        put_field(&o, "speakersText", speakers_phrase(s));
        put_field(&o, "note", program_note(s, text, sizeof text));
        put_field(&o, "comment", s->comment, "}");
    }
    put(&o, "]}");
    return o.full ? 0 : o.length;
}
