// Writes a source corpus folder: contents.txt, the page files of every volume
// and, when given, the variant table yitizi.txt. Returns the corpus figures.

import fs from 'node:fs';
import path from 'node:path';
import { paginate } from './paginate.mjs';
import { pageHtml } from './page-html.mjs';

export const MAX_NAME_UNITS = 99;
export const MAX_CONTENTS_NODES = 9999;

// Makes `dir` ready to be written: it must be missing or empty, or, with
// `force`, an earlier source corpus (it holds contents.txt), which is removed.
export function prepareOutputDir(dir, force) {
  if (fs.existsSync(dir)) {
    const entries = fs.readdirSync(dir);
    if (entries.length > 0) {
      if (!force) throw new Error(`${dir} is not empty (use --force to replace an earlier corpus)`);
      if (!entries.includes('contents.txt')) {
        throw new Error(`${dir} is not empty and holds no contents.txt; refusing to replace it`);
      }
      fs.rmSync(dir, { recursive: true });
    }
  }
  fs.mkdirSync(dir, { recursive: true });
}

function checkName(name, what) {
  if (name.length === 0 || name.length > MAX_NAME_UNITS || name.includes('\t') || name.includes('\n')) {
    throw new Error(`bad ${what} name ${JSON.stringify(name)}`);
  }
  return name;
}

export function emptyFigures() {
  return {
    categories: 0, works: 0, volumes: 0, pages: 0,
    mainChars: 0, annotationChars: 0, pagesWithAnnotations: 0, bytes: 0,
  };
}

function collect(text, codePoints) {
  if (codePoints) for (const ch of text) codePoints.add(ch.codePointAt(0));
}

function countPage(page, figures, codePoints) {
  let annotated = false;
  for (const item of page.items) {
    if (item.kind === 'h4') {
      figures.mainChars += [...item.text].length;
      collect(item.text, codePoints);
      continue;
    }
    for (const s of item.segs) {
      collect(s.text, codePoints);
      const n = [...s.text].length;
      if (s.note) { figures.annotationChars += n; annotated = true; } else figures.mainChars += n;
    }
  }
  if (annotated) figures.pagesWithAnnotations++;
}

// `categories` as catalogue() makes them. `selectPages(category, work,
// volume, pages)` may return a subset { first, pages } of a volume's pages
// (numbered from `first`) or null to leave the volume out; by default every
// page is kept; `includeVolume(category, work, volume)` may leave a volume out
// before it is read. Categories and works left without volumes are left out.
// `codePoints`, a Set, receives the code points of all page text; `header`
// lines are written at the top of contents.txt as comments.
export function writeCorpus(
  outDir,
  categories,
  { includeVolume = null, selectPages = null, variantTable = null, onVolume = null, codePoints = null, header = [] } = {},
) {
  const figures = emptyFigures();
  const contents = [];
  for (const category of categories) {
    const categoryLines = [];
    for (const work of category.works) {
      const workLines = [];
      for (const volume of work.volumes) {
        if (includeVolume && !includeVolume(category, work, volume)) continue;
        let pages = paginate(volume.load());
        let first = 1;
        if (selectPages) {
          const chosen = selectPages(category, work, volume, pages);
          if (!chosen) continue;
          ({ first, pages } = chosen);
        }
        if (pages.length === 0) continue;
        const folder = [category.slug, work.slug, volume.slug].join('/');
        fs.mkdirSync(path.join(outDir, folder), { recursive: true });
        pages.forEach((page, i) => {
          const pageNumber = first + i;
          const title = [work.name, volume.name, page.title].filter((s) => s).join(' ');
          const html = pageHtml({ title, items: page.items, pageNumber });
          fs.writeFileSync(path.join(outDir, folder, `${String(pageNumber).padStart(4, '0')}.htm`), html);
          figures.pages++;
          figures.bytes += Buffer.byteLength(html);
          countPage(page, figures, codePoints);
        });
        workLines.push(`3\t${checkName(volume.name, 'volume')}\t${folder}`);
        figures.volumes++;
        if (onVolume) onVolume(figures);
      }
      if (workLines.length === 0) continue;
      categoryLines.push(`2\t${checkName(work.name, 'work')}`, ...workLines);
      figures.works++;
    }
    if (categoryLines.length === 0) continue;
    contents.push(`1\t${checkName(category.name, 'category')}`, ...categoryLines);
    figures.categories++;
  }
  if (contents.length > MAX_CONTENTS_NODES) {
    throw new Error(`${contents.length} contents nodes, at most ${MAX_CONTENTS_NODES} fit`);
  }
  const lines = [...header.map((h) => `# ${h}`), ...contents];
  fs.writeFileSync(path.join(outDir, 'contents.txt'), lines.map((l) => l + '\n').join(''));
  if (variantTable !== null) {
    const table = typeof variantTable === 'function' ? variantTable() : variantTable;
    fs.writeFileSync(path.join(outDir, 'yitizi.txt'), table);
  }
  return figures;
}
