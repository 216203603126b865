// SPDX-License-Identifier: MIT
// What the list (cases.txt, as tests/cases.cmake writes it as JSON) says of
// a case, as the library and the page give it: the runners in JavaScript
// hold the library, the command and the table's model to it.
'use strict';
const assert = require('assert');

// The list's kind column, apart: "id3 adts" is an ID3v2 tag before ADTS,
// "text log" an amateur-radio log.
function kindOf(listed) {
    const [kind, after] = listed.split(' ');
    return {kind: kind || null, afterTag: kind === 'id3' ? after : null, radioLog: after === 'log'};
}

// The bitrate in bits a second that the list's words give: "at most 7026.083
// kb/s, variable" is 7026083; "not given" 0; none, null.
function bitrateOf(words) {
    if (!words)
        return null;
    if (words.startsWith('not given'))
        return 0;
    const [whole, part = ''] = words.replace('at most ', '').split(' ')[0].split('.');
    return Number(whole) * 1000 + Number((part + '000').slice(0, 3));
}

// A case as the module's result would be, of what the list holds: what the
// table's model is given, in the tests of the model.
function resultOf(c) {
    const complete = c.word === 'complete';
    return {
        status: c.status,
        word: c.word,
        ...kindOf(c.kind),
        headerRead: c.headerRead,
        bitrate: complete ? bitrateOf(c.bitrate) : null,
        variableRate: complete ? / variable$/.test(c.bitrate) : null,
        durationSeconds: c.seconds,
        durationIsMinimum: c.seconds === null ? null : / variable$/.test(c.bitrate),
        programs: c.programs.map((p, i) => ({
            tag: i, profile: p.profile, profileName: c.said.programs[i].profile,
            samplingRateIndex: p.samplingRateIndex, hertz: p.hertz, channels: p.front + p.side + p.back + p.lfe,
            front: p.front, side: p.side, back: p.back, lfe: p.lfe, layout: p.layout,
            speakers: p.speakers === null ? null : p.speakers === '' ? [] : p.speakers.split(' '), comment: p.comment,
        })),
        inWords: {kind: c.said.kind, about: c.said.about, report: c.said.report, bitrate: c.bitrate || null,
                  duration: c.duration || null, programs: c.said.programs},
    };
}

// Checks a result against what the list says of its case: every field of
// the summary but the tags and the reserved rates' indices, which the list
// does not hold, and the report's bytes, which the runner checks apart.
function check(result, c) {
    const wanted = resultOf(c);
    for (const key of ['status', 'word', 'kind', 'afterTag', 'radioLog', 'headerRead', 'bitrate', 'variableRate',
                       'durationIsMinimum'])
        assert.deepStrictEqual(result[key], wanted[key], key);
    if (wanted.durationSeconds === null)
        assert.strictEqual(result.durationSeconds, null, 'durationSeconds');
    else
        assert.ok(Math.abs(result.durationSeconds - wanted.durationSeconds) <= 1e-9 * (1 + wanted.durationSeconds),
                  `durationSeconds ${result.durationSeconds}, the list's ${wanted.durationSeconds}`);
    assert.deepStrictEqual(result.inWords, wanted.inWords, 'inWords');
    assert.strictEqual(result.programs.length, wanted.programs.length, 'programs');
    result.programs.forEach((p, i) => {
        const {tag, samplingRateIndex, ...facts} = wanted.programs[i];
        assert.ok(Number.isInteger(p.tag) && p.tag >= 0 && p.tag <= 15, `program ${i + 1}: tag ${p.tag}`);
        if (samplingRateIndex !== null)
            assert.strictEqual(p.samplingRateIndex, samplingRateIndex, `program ${i + 1}: samplingRateIndex`);
        for (const key of Object.keys(facts))
            assert.deepStrictEqual(p[key], facts[key], `program ${i + 1}: ${key}`);
    });
}

module.exports = {kindOf, bitrateOf, resultOf, check};
