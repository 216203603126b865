// SPDX-License-Identifier: MIT
#include "summary.h"

#include "bits.h"
#include "intake.h"
#include "json.h"
#include "kinds.h"
#include "words.h"

#include <string.h>

FileSummary file_summary;

void note_program(int tag, int index, int) {
    FileSummary *f = &file_summary;
    if (index >= 0 && index < PCE_MOST) {
        summarize_program(&prog_config, tag, &f->programs[index]);
        f->noted = index + 1;
    }
}

void summarize(ToolRun run) {
    FileSummary *f = &file_summary;
    const Intake *in = &intake;
    f->status = run.status;
    f->reading = run.reading;
    int readable = run.reading != READING_UNREADABLE;
    f->kind = !readable ? KIND_NONE
                        : file_kind(in->start, in->start_count, in->next_read ? in->next : NULL,
                                    in->next_count, in->size, &f->after_tag);
    if (!readable)
        f->after_tag = KIND_NONE;
    f->radio_log = f->kind == KIND_TEXT && is_radio_log(in->start, in->start_count);
    f->header_read = run.reading == READING_WHOLE || run.reading == READING_CUT_SHORT;
    f->word = f->kind == KIND_TEXT ? READING_NOT_ADIF : run.reading; // whatever its first letters
    f->complete = f->word == READING_WHOLE;
    f->count = f->complete ? f->noted : 0;
    f->noted = 0;
    f->bitrate = f->complete ? adif_header.bitrate : 0;
    f->variable = f->complete && adif_header.bitstream_type == 1;
    f->header_bytes = f->complete ? read_position() / 8 : 0;
    // The audio after the header, in bits, over the bitrate: for a variable
    // rate, whose bitrate is its peak, the least it can last.
    f->timed = f->complete && f->bitrate > 0 && in->size >= f->header_bytes;
    f->audio_bits = f->timed ? (in->size - f->header_bytes) * 8 : 0;
}

// A phrase, written by put into a buffer of its own, as a JSON string.
template <typename Put> static void json_phrase(Json *j, const char *key, Put put) {
    // The longest phrase is a comment, as written, or the note of HE-AAC.
    char text[COMMENT_MOST * AS_WRITTEN_PER_BYTE + 256];
    Out o = out_of(text, sizeof text);
    put(&o);
    if (o.full)
        j->out.full = 1; // as if the document had not fit: nothing is cut unsaid
    json_bytes(j, key, text, o.full ? 0 : o.length);
}

static void json_program(Json *j, const ProgramSummary *s) {
    json_open(j, NULL, '{');
    json_int(j, "tag", s->tag);
    json_int(j, "profile", s->profile);
    json_string(j, "profileName", profile_name(s->profile));
    json_int(j, "samplingRateIndex", s->sampling_rate_idx);
    if (s->hertz > 0)
        json_int(j, "hertz", s->hertz);
    else
        json_null(j, "hertz");
    json_int(j, "channels", s->channels);
    json_int(j, "front", s->front);
    json_int(j, "side", s->side);
    json_int(j, "back", s->back);
    json_int(j, "lfe", s->lfe);
    if (s->layout_main > 0)
        json_phrase(j, "layout", [&](Out *o) { put_layout(o, s); });
    else
        json_null(j, "layout");
    if (s->named) {
        json_open(j, "speakers", '[');
        for (int i = 0; i < s->speaker_count; i++)
            json_string(j, NULL, speaker_name(s->speakers[i]));
        json_close(j);
    } else {
        json_null(j, "speakers");
    }
    json_phrase(j, "comment", [&](Out *o) {
        put_as_written(o, (const unsigned char *)s->comment, strlen(s->comment));
    });
    json_close(j);
}

static void json_program_words(Json *j, const ProgramSummary *s) {
    json_open(j, NULL, '{');
    json_string(j, "profile", profile_name(s->profile));
    json_phrase(j, "samplingRate", [&](Out *o) { put_hertz(o, s); });
    json_phrase(j, "channels", [&](Out *o) { put_channels(o, s); });
    json_phrase(j, "speakers", [&](Out *o) { put_speakers(o, s); });
    json_phrase(j, "note", [&](Out *o) { put_note(o, s); });
    json_phrase(j, "comment", [&](Out *o) {
        if (s->comment[0] == '\0')
            put_text(o, "none");
        else
            put_as_written(o, (const unsigned char *)s->comment, strlen(s->comment));
    });
    json_close(j);
}

size_t summary_json(char *out, size_t size) {
    const FileSummary *f = &file_summary;
    Json json;
    Json *j = &json;
    json_start(j, out, size);
    json_open(j, NULL, '{');
    json_int(j, "status", f->status);
    json_string(j, "word", word_name(f->word));
    json_string(j, "kind", kind_key(f->kind));
    json_string(j, "afterTag", f->kind == KIND_ID3 ? kind_key(f->after_tag) : NULL);
    json_bool(j, "radioLog", f->radio_log);
    json_bool(j, "headerRead", f->header_read);
    if (f->complete) {
        json_int(j, "bitrate", f->bitrate);
        json_bool(j, "variableRate", f->variable);
    } else {
        json_null(j, "bitrate");
        json_null(j, "variableRate");
    }
    if (f->timed) {
        json_quotient(j, "durationSeconds", f->audio_bits, f->bitrate);
        json_bool(j, "durationIsMinimum", f->variable);
    } else {
        json_null(j, "durationSeconds");
        json_null(j, "durationIsMinimum");
    }
    json_open(j, "programs", '[');
    for (int i = 0; i < f->count; i++)
        json_program(j, &f->programs[i]);
    json_close(j);

    json_open(j, "inWords", '{');
    if (f->kind == KIND_NONE) {
        json_null(j, "kind");
        json_null(j, "about");
    } else {
        json_phrase(j, "kind",
                    [&](Out *o) { put_kind_name(o, f->kind, f->after_tag, f->radio_log); });
        json_phrase(j, "about",
                    [&](Out *o) { put_kind_phrase(o, f->kind, f->after_tag, f->radio_log); });
    }
    json_string(j, "report", f->kind == KIND_TEXT && f->header_read ? TEXT_READ_AS_HEADER : NULL);
    if (f->complete) {
        json_phrase(j, "bitrate", [&](Out *o) { put_bitrate(o, f->bitrate, f->variable); });
        json_phrase(j, "duration", [&](Out *o) {
            put_duration(o, f->timed, f->audio_bits, f->bitrate, f->variable);
        });
    } else {
        json_null(j, "bitrate");
        json_null(j, "duration");
    }
    json_open(j, "programs", '[');
    for (int i = 0; i < f->count; i++)
        json_program_words(j, &f->programs[i]);
    json_close(j);
    json_close(j);

    json_close(j);
    return json_finish(j);
}

size_t words_json(char *out, size_t size) {
    Json json;
    Json *j = &json;
    json_start(j, out, size);
    json_open(j, NULL, '{');
    json_open(j, "words", '[');
    for (int reading = 0; reading < READING_COUNT; reading++) {
        json_open(j, NULL, '{');
        json_string(j, "word", word_name(reading));
        const int *statuses = NULL;
        int count = word_statuses(reading, &statuses);
        json_open(j, "statuses", '[');
        for (int i = 0; i < count; i++)
            json_int(j, NULL, statuses[i]);
        json_close(j);
        json_string(j, "meaning", word_meaning(reading));
        json_close(j);
    }
    json_close(j);
    json_open(j, "kinds", '[');
    for (int kind = KIND_NONE + 1; kind < KIND_COUNT; kind++)
        json_string(j, NULL, kind_key(kind));
    json_close(j);
    json_int(j, "startSpan", START_SPAN);
    json_int(j, "nextSpan", NEXT_SPAN);
    json_close(j);
    return json_finish(j);
}
