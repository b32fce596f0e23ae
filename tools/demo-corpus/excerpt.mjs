// The excerpt kept as a test fixture (tests/fixtures/excerpt): a few pages of
// chosen volumes, keeping their page numbers, so that it holds simplified and
// traditional text, inline notes, trailing notes, a biography, stage
// directions, comments, characters above U+FFFF and a volume whose pages do
// not start at 1.

// [category, work, volume folder, first page, last page]
export const EXCERPT = [
  ['jing', 'shijing', '01', 1, 2], // 國風: simplified
  ['jing', 'lunyu', '01', 1, 3], // simplified
  ['jing', 'mengzi', '01', 1, 2], // traditional
  ['shi', 'quantangshi', '01', 1, 3], // traditional
  ['shi', 'quantangshi', '52', 24, 26], // notes across lines, characters above U+FFFF
  ['shi', 'yudingquantangshi', '01', 1, 2], // a biography as note
  ['ci', 'quansongci', '01', 1, 3], // simplified
  ['ci', 'huajianji', '02', 1, 2], // numbered notes after each poem
  ['qu', 'yuanqu', '02', 1, 2], // stage directions
  ['mengxue', 'qianziwen', '01', 1, 1],
  ['mengxue', 'wenzimengqiu', '01', 1, 2], // characters above U+FFFF
  ['zazhu', 'youmengying', '01', 1, 3], // comments
];

function entryOf(category, work, volume) {
  return EXCERPT.find(([c, w, v]) => c === category.slug && w === work.slug && v === volume.slug);
}

export function inExcerpt(category, work, volume) {
  return entryOf(category, work, volume) !== undefined;
}

export function selectExcerptPages(category, work, volume, pages) {
  const entry = entryOf(category, work, volume);
  if (!entry) return null;
  const [, , , first, last] = entry;
  if (last > pages.length) throw new Error(`excerpt wants page ${last} of ${work.name} ${volume.name}, which has ${pages.length}`);
  return { first, pages: pages.slice(first - 1, last) };
}
