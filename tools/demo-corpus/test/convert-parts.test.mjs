// The pieces of the converter: variant groups, inline notes, page layout and
// page HTML.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { variantGroups, formatVariantTable, groupsTouching, MAX_GROUPS } from '../variants.mjs';
import { markInlineNotes, makeBlock, blockLength } from '../blocks.mjs';
import { paginate, splitParagraph, PAGE_MAX, PAGE_MIN } from '../paginate.mjs';
import { pageHtml, ANNOTATION_OPEN, ANNOTATION_CLOSE } from '../page-html.mjs';
import { numeral } from '../numerals.mjs';

test('variant groups join the four relations transitively and ignore the others', () => {
  const unihan = [
    '# comment',
    'U+4E07\tkTraditionalVariant\tU+842C',
    'U+842C\tkSimplifiedVariant\tU+4E07',
    'U+842C\tkZVariant\tU+2A6B2<kHanYu',
    'U+5F0C\tkSemanticVariant\tU+4E00<kMatthews U+58F9<kMeyerWempe',
    'U+3400\tkSpoofingVariant\tU+4E00',
    'U+5B78\tkSpecializedSemanticVariant\tU+6585',
    '',
  ].join('\n');
  const groups = variantGroups(unihan);
  assert.deepEqual(groups, [
    [0x4e00, 0x58f9, 0x5f0c],
    [0x4e07, 0x842c, 0x2a6b2],
  ]);
  assert.equal(formatVariantTable(groups), '4E00,58F9,5F0C\n4E07,842C,2A6B2\n');
  assert.deepEqual(groupsTouching(groups, new Set([0x2a6b2])), [[0x4e07, 0x842c, 0x2a6b2]]);
  assert.throws(() => formatVariantTable(Array.from({ length: MAX_GROUPS + 1 }, (_, i) => [i, i + 0x100000])));
});

test('parenthesised notes become annotation segments', () => {
  const show = (paragraphs) =>
    paragraphs.map((segs) => segs.map((s) => (s.note ? `[${s.text}]` : s.text)).join(''));
  const cases = [
    [['春眠不覺曉，處處聞啼鳥。'], ['春眠不覺曉，處處聞啼鳥。']],
    [['秦川（一作「木」）雄帝宅'], ['秦川[（一作「木」）]雄帝宅']],
    [['(末云了)是他先起意来。(正旦唱)'], ['[(末云了)]是他先起意来。[(正旦唱)]']],
    // nested brackets belong to the outer note
    [['甲（乙（丙）丁）戊'], ['甲[（乙（丙）丁）]戊']],
    // an opener never closed stays main text; a stray closer too
    [['甲）乙（丙', '丁'], ['甲）乙（丙', '丁']],
    [['甲（乙丙', '丁）戊）'], ['甲[（乙丙丁）]戊）']],
    // a note running over a line break joins the two lines
    [['一歲已百年，（「已」作「與」。', '）中間不怕死。', '長命得八十'], ['一歲已百年，[（「已」作「與」。）]中間不怕死。', '長命得八十']],
  ];
  for (const [lines, expected] of cases) assert.deepEqual(show(markInlineNotes(lines)), expected, lines.join('|'));
});

test('blocks carry heading, leading notes, lines and trailing notes in order', () => {
  const b = makeBlock({ title: ' 關雎 ', author: '周南', lead: ['序'], lines: ['關關雎鳩', ''], notes: ['', '注'] });
  assert.equal(b.heading, '關雎　周南');
  assert.deepEqual(
    b.paragraphs.map((segs) => segs.map((s) => [s.note, s.text])),
    [[[true, '序']], [[false, '關關雎鳩']], [[true, '注']]],
  );
  assert.equal(blockLength(b), 5 + 1 + 4 + 1);
  assert.equal(makeBlock({ lines: ['無題'] }).heading, null);
});

function poemBlock(i, lineLength, lines) {
  return makeBlock({ title: `詩${i}`, lines: Array.from({ length: lines }, () => '字'.repeat(lineLength)) });
}

test('pages stay within bounds, keep short blocks whole and cut long ones', () => {
  const blocks = [];
  for (let i = 0; i < 200; i++) blocks.push(poemBlock(i, 5 + (i % 7) * 3, 2 + (i % 11)));
  blocks.splice(50, 0, poemBlock(999, 400, 9)); // 3600 characters: must be cut
  blocks.splice(120, 0, makeBlock({ title: '長', lines: ['字。'.repeat(2000)] })); // one 4000-character line
  const pages = paginate(blocks);
  const total = blocks.reduce((n, b) => n + blockLength(b), 0);
  assert.equal(pages.reduce((n, p) => n + p.length, 0), total);
  pages.forEach((p, i) => {
    assert.ok(p.length <= PAGE_MAX + 10, `page ${i} holds ${p.length}`);
    if (i < pages.length - 1) assert.ok(p.length >= PAGE_MIN, `page ${i} holds only ${p.length}`);
    assert.notEqual(p.items[p.items.length - 1].kind, 'h4', `page ${i} ends in a heading`);
  });
  // A short block is never split: its heading and all its lines share a page.
  const short = pages.find((p) => p.items.some((it) => it.kind === 'h4' && it.text === '詩7'));
  const at = short.items.findIndex((it) => it.text === '詩7');
  assert.equal(short.items.slice(at + 1, at + 1 + blocks[7].paragraphs.length).filter((it) => it.kind === 'p').length, blocks[7].paragraphs.length);
});

test('a long paragraph is cut after a sentence mark, keeping its notes', () => {
  const segs = [{ note: false, text: '甲'.repeat(1200) + '。' }, { note: true, text: '（注）' }, { note: false, text: '乙'.repeat(1000) }];
  const pieces = splitParagraph(segs, 1500);
  assert.equal(pieces.length, 2);
  assert.deepEqual(pieces[0], [{ note: false, text: '甲'.repeat(1200) + '。' }, { note: true, text: '（注）' }].slice(0, 1));
  assert.deepEqual(pieces[1], [{ note: true, text: '（注）' }, { note: false, text: '乙'.repeat(1000) }]);
});

test('page HTML puts the text in the cell chosen by the page number and escapes it', () => {
  const items = [
    { kind: 'h4', text: 'A&B' },
    { kind: 'p', segs: [{ note: false, text: '<月>' }, { note: true, text: '（注）' }] },
  ];
  const cells = (html) => [...html.matchAll(/<TD[^>]*>([\s\S]*?)<\/TD>/g)].map((m) => m[1]);
  const even = pageHtml({ title: 'T<1>', items, pageNumber: 2 });
  const odd = pageHtml({ title: 'T', items, pageNumber: 3 });
  assert.match(even, /<meta charset="utf-8">/);
  assert.match(even, /<title>T&lt;1&gt;<\/title>/);
  const text = `\n<h4>A&amp;B</h4>\n<p>&lt;月&gt;${ANNOTATION_OPEN}（注）${ANNOTATION_CLOSE}</p>\n`;
  assert.deepEqual(cells(even), [text, '']);
  assert.deepEqual(cells(odd), ['', text]);
  assert.equal(ANNOTATION_OPEN, '<font size=-1 color="#993366">');
});

test('volume numerals', () => {
  const cases = [[1, '一'], [10, '十'], [14, '十四'], [20, '二十'], [58, '五十八'], [100, '一百'],
    [101, '一百零一'], [110, '一百一十'], [119, '一百一十九'], [255, '二百五十五'], [900, '九百']];
  for (const [n, s] of cases) assert.equal(numeral(n), s);
  assert.throws(() => numeral(0));
});
