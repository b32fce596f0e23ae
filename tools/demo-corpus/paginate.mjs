// Lays the blocks of a volume out on pages of roughly 500 to 1500 characters.
// Blocks stay whole where they fit; a longer block continues on the next page
// at a paragraph boundary, and a paragraph longer than a page is cut after a
// sentence mark.

import { blockLength, paragraphLength } from './blocks.mjs';

export const PAGE_TARGET = 1000; // a page is closed once it holds this much
export const PAGE_MIN = 500; // below this a page takes the start of a long block
export const PAGE_MAX = 1500;

const SENTENCE_ENDS = new Set(['。', '！', '？', '；', '」', '』', '”', '：', '，', '、']);

// Cuts one paragraph into pieces of at most `max` characters, preferring a cut
// after a sentence mark in the second half of a piece.
export function splitParagraph(segs, max = PAGE_MAX) {
  const chars = [];
  for (const s of segs) for (const ch of s.text) chars.push({ ch, note: s.note });
  const pieces = [];
  let start = 0;
  while (chars.length - start > max) {
    let cut = start + max;
    for (let i = start + max - 1; i >= start + Math.floor(max / 2); i--) {
      if (SENTENCE_ENDS.has(chars[i].ch)) { cut = i + 1; break; }
    }
    pieces.push(chars.slice(start, cut));
    start = cut;
  }
  pieces.push(chars.slice(start));
  return pieces.map((piece) => {
    const out = [];
    for (const c of piece) {
      const last = out[out.length - 1];
      if (last && last.note === c.note) last.text += c.ch;
      else out.push({ note: c.note, text: c.ch });
    }
    return out;
  });
}

// Returns the pages, each { title, items, length }: items are
// { kind: 'h4', text } or { kind: 'p', segs }, `title` is the title of the
// block the page starts in and `length` its number of characters.
export function paginate(blocks) {
  const pages = [];
  let page = null;
  const flush = () => {
    if (page && page.items.length > 0) pages.push(page);
    page = null;
  };
  const ensure = (title) => {
    if (!page) page = { title, items: [], length: 0 };
    return page;
  };

  for (const block of blocks) {
    const n = blockLength(block);
    if (n === 0) continue;
    if (page && page.length + n > PAGE_MAX && page.length >= PAGE_MIN) flush();
    if ((page?.length ?? 0) + n <= PAGE_MAX) {
      const p = ensure(block.title);
      if (block.heading !== null) p.items.push({ kind: 'h4', text: block.heading });
      for (const segs of block.paragraphs) p.items.push({ kind: 'p', segs });
      p.length += n;
      if (p.length >= PAGE_TARGET) flush();
      continue;
    }

    // The block does not fit: place it paragraph by paragraph. The heading
    // goes with the first piece so that it never ends a page alone.
    const units = [];
    for (const segs of block.paragraphs) {
      for (const piece of splitParagraph(segs)) units.push({ segs: piece, length: paragraphLength(piece) });
    }
    let heading = block.heading;
    for (const unit of units) {
      const headingLength = heading === null ? 0 : [...heading].length;
      const length = unit.length + headingLength;
      if (page && page.length > 0 && page.length + length > PAGE_MAX) flush();
      const p = ensure(block.title);
      if (heading !== null) p.items.push({ kind: 'h4', text: heading });
      p.items.push({ kind: 'p', segs: unit.segs });
      p.length += length;
      heading = null;
    }
    if (page && page.length >= PAGE_TARGET) flush();
  }
  flush();
  return pages;
}
