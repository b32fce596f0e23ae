#!/usr/bin/env node
// Makes a source corpus for vesk-build from the poetry package
// chinese-poetry 2.0.1 (MIT licence) and the variant groups of the Unihan
// database.
//
// usage: node convert.mjs [--excerpt] [--force] [--quiet] [--unihan FILE] PACKAGE_DIR OUT_DIR
//
//   PACKAGE_DIR  the unpacked package (the folder holding package.json and dist/)
//   OUT_DIR      the source corpus to write; must be missing or empty, or with
//                --force an earlier source corpus, which is replaced
//   --excerpt    write only the small excerpt kept as a test fixture, with the
//                variant groups that touch its characters
//   --unihan F   the Unihan variants file (.txt or .txt.bz2); default
//                /usr/share/unicode/Unihan_Variants.txt.bz2
//
// Exit status: 0 done, 1 bad input or output folder, 2 usage error.

import fs from 'node:fs';
import path from 'node:path';
import { catalogue } from './catalogue.mjs';
import { inExcerpt, selectExcerptPages } from './excerpt.mjs';
import { DEFAULT_UNIHAN_VARIANTS, readUnihanVariants, variantGroups, formatVariantTable, groupsTouching } from './variants.mjs';
import { prepareOutputDir, writeCorpus } from './write-corpus.mjs';

export const PACKAGE_NAME = 'chinese-poetry';
export const PACKAGE_VERSION = '2.0.1';

const USAGE = 'usage: convert.mjs [--excerpt] [--force] [--quiet] [--unihan FILE] PACKAGE_DIR OUT_DIR';

function parseArgs(argv) {
  const opts = { excerpt: false, force: false, quiet: false, unihan: DEFAULT_UNIHAN_VARIANTS, positional: [] };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    if (a === '--excerpt') opts.excerpt = true;
    else if (a === '--force') opts.force = true;
    else if (a === '--quiet') opts.quiet = true;
    else if (a === '--unihan') {
      if (i + 1 >= argv.length) return null;
      opts.unihan = argv[++i];
    } else if (a.startsWith('-')) return null;
    else opts.positional.push(a);
  }
  return opts.positional.length === 2 ? opts : null;
}

function checkPackage(dir) {
  let meta;
  try {
    meta = JSON.parse(fs.readFileSync(path.join(dir, 'package.json'), 'utf8'));
  } catch (e) {
    throw new Error(`${dir}: not an unpacked package (${e.message})`);
  }
  if (meta.name !== PACKAGE_NAME || meta.version !== PACKAGE_VERSION) {
    throw new Error(`${dir}: expected ${PACKAGE_NAME} ${PACKAGE_VERSION}, found ${meta.name} ${meta.version}`);
  }
}

export function convert({ packageDir, outDir, excerpt = false, force = false, unihan = DEFAULT_UNIHAN_VARIANTS, progress = null }) {
  checkPackage(packageDir);
  const groups = variantGroups(readUnihanVariants(unihan));
  prepareOutputDir(outDir, force);
  const codePoints = excerpt ? new Set() : null;
  const figures = writeCorpus(outDir, catalogue(packageDir), {
    includeVolume: excerpt ? inExcerpt : null,
    selectPages: excerpt ? selectExcerptPages : null,
    codePoints,
    // The excerpt's table holds only the groups that touch its own text;
    // group numbers are line numbers, so it is a table of its own.
    variantTable: () => formatVariantTable(excerpt ? groupsTouching(groups, codePoints) : groups),
    onVolume: progress,
    header: [
      `Made by tools/demo-corpus/convert.mjs${excerpt ? ' --excerpt' : ''} from the package`,
      `${PACKAGE_NAME} ${PACKAGE_VERSION} (MIT licence); see docs/demo-corpus.md.`,
    ],
  });
  figures.variantGroups = fs.readFileSync(path.join(outDir, 'yitizi.txt'), 'utf8').split('\n').filter((l) => l).length;
  return figures;
}

function main() {
  const opts = parseArgs(process.argv.slice(2));
  if (!opts) {
    process.stderr.write(USAGE + '\n');
    return 2;
  }
  const [packageDir, outDir] = opts.positional;
  const started = Date.now();
  const tty = !opts.quiet && process.stderr.isTTY;
  try {
    const figures = convert({
      packageDir,
      outDir,
      excerpt: opts.excerpt,
      force: opts.force,
      unihan: opts.unihan,
      progress: tty ? (f) => process.stderr.write(`\r${f.volumes} volumes, ${f.pages} pages`) : null,
    });
    if (tty) process.stderr.write('\n');
    if (!opts.quiet) {
      const seconds = ((Date.now() - started) / 1000).toFixed(1);
      process.stdout.write(
        `${outDir}: ${figures.categories} categories, ${figures.works} works, ${figures.volumes} volumes, ` +
          `${figures.pages} pages (${figures.pagesWithAnnotations} with annotations); ` +
          `${figures.mainChars} characters of main text, ${figures.annotationChars} of annotations; ` +
          `${figures.bytes} bytes of pages; ${figures.variantGroups} variant groups; ${seconds} s\n`,
      );
    }
    return 0;
  } catch (e) {
    if (tty) process.stderr.write('\n');
    process.stderr.write(`convert: ${e.message}\n`);
    return 1;
  }
}

if (import.meta.url === `file://${process.argv[1]}` || process.argv[1]?.endsWith('/convert.mjs')) {
  process.exitCode = main();
}
