// A block is one poem, chapter or entry as it appears on a page: an optional
// heading, then paragraphs. A paragraph is a list of segments, each either main
// text or an annotation (note). Parenthesised editorial notes inside the main
// text become annotation segments here.

const OPENERS = new Set(['（', '(']);
const CLOSERS = new Set(['）', ')']);

// A paragraph that is main text except for its parenthesised notes. Notes may
// run across paragraph boundaries, so the whole block's lines are scanned
// together. Only matched pairs count (the two bracket widths are treated
// alike); an opener that is never closed stays main text, so a stray bracket
// cannot turn the rest of a poem into a note. Nested pairs belong to the
// outermost one. The brackets themselves are part of the note. Lines joined
// by a note are one paragraph: the package splits its lines after every "。",
// even inside a note, which would leave a lone "）" at the start of a line.
export function markInlineNotes(lines) {
  const chars = [];
  lines.forEach((line, lineIndex) => {
    for (const ch of line) chars.push({ ch, lineIndex, note: false });
  });
  const open = [];
  const pairs = [];
  chars.forEach((c, i) => {
    if (OPENERS.has(c.ch)) open.push(i);
    else if (CLOSERS.has(c.ch) && open.length > 0) pairs.push([open.pop(), i]);
  });
  pairs.sort((a, b) => a[0] - b[0]);
  // paragraphOf[line]: the paragraph a line belongs to.
  const paragraphOf = lines.map((_, i) => i);
  let coveredTo = -1;
  for (const [start, end] of pairs) {
    if (start <= coveredTo) continue;
    for (let i = start; i <= end; i++) chars[i].note = true;
    for (let line = chars[start].lineIndex + 1; line <= chars[end].lineIndex; line++) {
      paragraphOf[line] = paragraphOf[chars[start].lineIndex];
    }
    coveredTo = end;
  }
  const paragraphs = lines.map(() => []);
  for (const c of chars) {
    const segs = paragraphs[paragraphOf[c.lineIndex]];
    const last = segs[segs.length - 1];
    if (last && last.note === c.note) last.text += c.ch;
    else segs.push({ note: c.note, text: c.ch });
  }
  return paragraphs.filter((segs) => segs.length > 0);
}

// A paragraph that is one annotation throughout.
export function noteParagraph(text) {
  return [{ note: true, text }];
}

function clean(s) {
  return typeof s === 'string' ? s.trim() : '';
}

function nonEmpty(list) {
  if (typeof list === 'string') list = [list];
  if (!Array.isArray(list)) return [];
  return list.filter((s) => typeof s === 'string').map(clean).filter((s) => s !== '');
}

// The usual shape: a heading of title and author, leading notes (a preface,
// a biography), the lines of the text with their inline notes, trailing notes.
export function makeBlock({ title = '', author = '', lead = [], lines = [], notes = [] }) {
  title = clean(title);
  author = clean(author);
  const heading = [title, author].filter((s) => s !== '').join('　');
  const paragraphs = [
    ...nonEmpty(lead).map(noteParagraph),
    ...markInlineNotes(nonEmpty(lines)),
    ...nonEmpty(notes).map(noteParagraph),
  ];
  return { heading: heading === '' ? null : heading, title: title || author, paragraphs };
}

// A block without heading (an entry of a collection of sayings, say); its
// title for the page is the start of its text.
export function makeUntitledBlock({ lines = [], notes = [] }) {
  const text = nonEmpty(lines);
  return {
    heading: null,
    title: [...(text[0] ?? '')].slice(0, 10).join(''),
    paragraphs: [...markInlineNotes(text), ...nonEmpty(notes).map(noteParagraph)],
  };
}

export function paragraphLength(segs) {
  let n = 0;
  for (const s of segs) n += [...s.text].length;
  return n;
}

export function blockLength(block) {
  let n = block.heading === null ? 0 : [...block.heading].length;
  for (const p of block.paragraphs) n += paragraphLength(p);
  return n;
}
