// Variant groups from the Unihan database: every character joined to the
// others by a traditional, simplified, Z or semantic variant relation falls
// into one group (the relations are joined transitively).

import { spawnSync } from 'node:child_process';
import fs from 'node:fs';

export const DEFAULT_UNIHAN_VARIANTS = '/usr/share/unicode/Unihan_Variants.txt.bz2';
export const JOINED_FIELDS = ['kTraditionalVariant', 'kSimplifiedVariant', 'kZVariant', 'kSemanticVariant'];
// Group g is keyed 88065 + g and keys stop at 99999.
export const MAX_GROUPS = 11935;

// Reads the Unihan variants file, plain or bzip2-compressed (by bzcat).
export function readUnihanVariants(file = DEFAULT_UNIHAN_VARIANTS) {
  if (file.endsWith('.bz2')) {
    const r = spawnSync('bzcat', [file], { encoding: 'utf8', maxBuffer: 256 << 20 });
    if (r.error) throw new Error(`cannot run bzcat on ${file}: ${r.error.message}`);
    if (r.status !== 0) throw new Error(`bzcat ${file} failed: ${r.stderr.trim()}`);
    return r.stdout;
  }
  return fs.readFileSync(file, 'utf8');
}

function parseCodePoint(field) {
  // "U+4E94" or "U+4E94<kMatthews,kMeyerWempe"
  const m = /^U\+([0-9A-F]{4,6})/.exec(field);
  return m ? parseInt(m[1], 16) : null;
}

// Returns the groups (arrays of code points, ascending), ordered by their
// smallest member. Only groups of two or more members are returned.
export function variantGroups(unihanText) {
  const parent = new Map();
  const find = (x) => {
    if (!parent.has(x)) parent.set(x, x);
    let root = x;
    while (parent.get(root) !== root) root = parent.get(root);
    while (parent.get(x) !== root) { const next = parent.get(x); parent.set(x, root); x = next; }
    return root;
  };
  const union = (a, b) => {
    const ra = find(a), rb = find(b);
    if (ra !== rb) parent.set(Math.max(ra, rb), Math.min(ra, rb));
  };

  for (const line of unihanText.split('\n')) {
    if (line === '' || line.startsWith('#')) continue;
    const [source, field, values] = line.split('\t');
    if (!JOINED_FIELDS.includes(field) || values === undefined) continue;
    const from = parseCodePoint(source);
    if (from === null) continue;
    for (const value of values.trim().split(/\s+/)) {
      const to = parseCodePoint(value);
      if (to !== null && to !== from) union(from, to);
    }
  }

  const byRoot = new Map();
  for (const cp of [...parent.keys()].sort((a, b) => a - b)) {
    const root = find(cp);
    if (!byRoot.has(root)) byRoot.set(root, []);
    byRoot.get(root).push(cp);
  }
  const groups = [...byRoot.values()].filter((g) => g.length >= 2);
  groups.sort((a, b) => a[0] - b[0]);
  return groups;
}

// One group a line, members as upper-case hexadecimal joined by ",".
export function formatVariantTable(groups) {
  if (groups.length > MAX_GROUPS) {
    throw new Error(`${groups.length} variant groups, at most ${MAX_GROUPS} fit the index keys`);
  }
  return groups.map((g) => g.map((cp) => cp.toString(16).toUpperCase()).join(',') + '\n').join('');
}

// The groups that have at least one member among the given code points.
export function groupsTouching(groups, codePoints) {
  return groups.filter((g) => g.some((cp) => codePoints.has(cp)));
}
