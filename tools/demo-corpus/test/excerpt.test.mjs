// The excerpt kept in tests/fixtures/excerpt is a well-formed source corpus,
// and the converter reproduces it byte for byte when the package is at hand.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { convert } from '../convert.mjs';
import { DEFAULT_UNIHAN_VARIANTS, MAX_GROUPS } from '../variants.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../../..');
const excerptDir = path.join(root, 'tests/fixtures/excerpt');
const packageDir = path.join(root, '.cache/npm/chinese-poetry-2.0.1/package');

function readVolumes(dir) {
  const lines = fs
    .readFileSync(path.join(dir, 'contents.txt'), 'utf8')
    .split('\n')
    .filter((l) => l !== '' && !l.startsWith('#'))
    .map((l) => l.split('\t'));
  let level = 0;
  for (const [lv, name] of lines) {
    assert.ok(Number(lv) >= 1 && Number(lv) <= level + 1, `level ${lv} after ${level}`);
    assert.ok(name.length >= 1 && name.length <= 99, name);
    level = Number(lv);
  }
  return lines.filter(([lv]) => lv === '3').map(([, name, folder]) => ({ name, folder }));
}

const ALLOWED_TAGS = new Set(['<h4>', '</h4>', '<p>', '</p>', '<font size=-1 color="#993366">', '</font>']);

test('the excerpt follows the page conventions', () => {
  const volumes = readVolumes(excerptDir);
  let annotated = 0;
  let aboveBmp = 0;
  let notFromOne = 0;
  const text = new Set();
  for (const { folder } of volumes) {
    const numbers = fs.readdirSync(path.join(excerptDir, folder)).map((f) => {
      assert.match(f, /^\d{4}\.htm$/);
      return Number(f.slice(0, 4));
    }).sort((a, b) => a - b);
    numbers.forEach((n, i) => assert.equal(n, numbers[0] + i, `${folder}: pages not consecutive`));
    if (numbers[0] !== 1) notFromOne++;
    for (const n of numbers) {
      const html = fs.readFileSync(path.join(excerptDir, folder, `${String(n).padStart(4, '0')}.htm`), 'utf8');
      const where = `${folder}/${n}`;
      assert.match(html, /<meta charset="utf-8">/, where);
      assert.match(html, /<title>[^<]+<\/title>/, where);
      const cells = [...html.matchAll(/<TD[^>]*>([\s\S]*?)<\/TD>/g)].map((m) => m[1]);
      assert.equal(cells.length, 2, where);
      const [cell, other] = n % 2 === 0 ? cells : [cells[1], cells[0]];
      assert.equal(other, '', `${where}: the other cell is not empty`);
      let inNote = false;
      for (const tag of cell.match(/<[^>]*>/g) ?? []) {
        assert.ok(ALLOWED_TAGS.has(tag), `${where}: tag ${tag}`);
        if (tag.startsWith('<font')) { assert.ok(!inNote, `${where}: nested note`); inNote = true; annotated++; }
        if (tag === '</font>') { assert.ok(inNote, `${where}: stray </font>`); inNote = false; }
      }
      assert.ok(!inNote, `${where}: open note`);
      for (const ch of cell.replace(/<[^>]*>/g, '')) {
        text.add(ch.codePointAt(0));
        if (ch.codePointAt(0) > 0xffff) aboveBmp++;
      }
    }
  }
  assert.ok(annotated > 0 && aboveBmp > 0 && notFromOne > 0, 'the excerpt lacks annotations, wide characters or a volume not starting at 1');

  const groups = fs.readFileSync(path.join(excerptDir, 'yitizi.txt'), 'utf8').split('\n');
  assert.equal(groups.pop(), '');
  assert.ok(groups.length > 0 && groups.length <= MAX_GROUPS);
  let previous = -1;
  for (const line of groups) {
    assert.match(line, /^[0-9A-F]+(,[0-9A-F]+)+$/);
    const members = line.split(',').map((h) => parseInt(h, 16));
    assert.deepEqual(members, [...members].sort((a, b) => a - b), line);
    assert.ok(members[0] > previous, `${line} out of order`);
    previous = members[0];
    assert.ok(members.some((cp) => text.has(cp)), `${line} touches no character of the excerpt`);
  }
});

// Relative paths of the files under `dir`, sorted.
function files(dir, prefix = '') {
  return fs
    .readdirSync(path.join(dir, prefix), { withFileTypes: true })
    .flatMap((e) => (e.isDirectory() ? files(dir, path.join(prefix, e.name)) : [path.join(prefix, e.name)]))
    .sort();
}

test('the converter reproduces the excerpt', (t) => {
  if (!fs.existsSync(path.join(packageDir, 'package.json')) || !fs.existsSync(DEFAULT_UNIHAN_VARIANTS)) {
    t.skip('the package is not in .cache/npm (./run fetches it)');
    return;
  }
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'vesk-excerpt-'));
  try {
    convert({ packageDir, outDir: out, excerpt: true, force: true });
    assert.deepEqual(files(out), files(excerptDir));
    for (const f of files(excerptDir)) {
      assert.ok(fs.readFileSync(path.join(out, f)).equals(fs.readFileSync(path.join(excerptDir, f))), `${f} differs`);
    }
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
});
