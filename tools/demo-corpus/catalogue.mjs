// The contents of the demo corpus: which files of the poetry package make
// which category, work and volume, and how their records become blocks.
//
// A volume is { name, slug, load } where load() returns its blocks; volumes
// are loaded one at a time so that the whole package is never held at once.

import fs from 'node:fs';
import path from 'node:path';
import { makeBlock, makeUntitledBlock, blockLength } from './blocks.mjs';
import { numeral } from './numerals.mjs';

const SINGLE_VOLUME = '全一卷';

function readJson(file) {
  return JSON.parse(fs.readFileSync(file, 'utf8'));
}

function asArray(v) {
  return Array.isArray(v) ? v : [v];
}

// Files of a folder whose names match `pattern` (first group: a number),
// in ascending numeric order.
function numberedFiles(dir, pattern) {
  return fs
    .readdirSync(dir)
    .map((name) => ({ name, m: pattern.exec(name) }))
    .filter((f) => f.m)
    .sort((a, b) => Number(a.m[1]) - Number(b.m[1]))
    .map((f) => path.join(dir, f.name));
}

function pad(n, width) {
  return String(n).padStart(width, '0');
}

// Volumes named 卷一, 卷二, ... from a list of loaders.
function numberedVolumes(loaders) {
  const width = String(loaders.length).length < 2 ? 2 : String(loaders.length).length;
  return loaders.map((load, i) => ({ name: `卷${numeral(i + 1)}`, slug: pad(i + 1, width), load }));
}

function single(load) {
  return [{ name: SINGLE_VOLUME, slug: '01', load }];
}

// Named volumes: [name, load] pairs, folders 01, 02, ...
function namedVolumes(pairs) {
  return pairs.map(([name, load], i) => ({ name, slug: pad(i + 1, 2), load }));
}

// Cuts a long run of blocks into volumes of about `size` characters each.
function volumesBySize(blocks, size) {
  const out = [];
  let current = [];
  let length = 0;
  for (const b of blocks) {
    current.push(b);
    length += blockLength(b);
    if (length >= size) {
      out.push(current);
      current = [];
      length = 0;
    }
  }
  if (current.length > 0) out.push(current);
  return out;
}

const poem = (p) =>
  makeBlock({ title: p.title, author: p.author, lines: p.paragraphs ?? p.content ?? p.para, notes: p.notes });

export function catalogue(pkg) {
  const dist = path.join(pkg, 'dist');
  const at = (...parts) => path.join(dist, ...parts);
  // Files read by several volumes are read once.
  const memo = new Map();
  const json = (file) => {
    if (!memo.has(file)) memo.set(file, readJson(file));
    return memo.get(file);
  };

  // ---- 經 ----
  const shijingVolumes = [
    ['國風', (c) => c === '国风'],
    ['小雅', (c) => c === '小雅'],
    ['大雅', (c) => c === '大雅'],
    ['頌', (c) => c.endsWith('颂')],
  ].map(([name, wanted]) => [
    name,
    () =>
      json(at('shijing', 'shijing.json'))
        .filter((p) => wanted(p.chapter))
        .map((p) => makeBlock({ title: p.title, author: p.section, lines: p.content })),
  ]);

  const chuci = () =>
    readJson(at('chuci', 'chuci.json')).map((p) =>
      makeBlock({
        title: p.section && p.section !== p.title ? `${p.section}・${p.title}` : p.title,
        author: p.author,
        lines: p.content,
      }),
    );

  const chapters = (file) => () =>
    asArray(readJson(file)).map((c) => makeBlock({ title: c.chapter, lines: c.paragraphs }));

  // ---- 詩 ----
  const quantang = at('quantangshi');
  const tangFiles = numberedFiles(quantang, /^poet\.tang\.(\d+)\.json$/);
  const songFiles = numberedFiles(quantang, /^poet\.song\.(\d+)\.json$/);
  const poemsOf = (file) => () => readJson(file).map(poem);
  const tangBulu = () =>
    readJson(path.join(quantang, '唐诗补录.json')).map((p) =>
      makeBlock({ title: p.title, author: p.author, lines: p.paragraphs, notes: p.notes }),
    );

  // 御定全唐詩: 900 卷, ten to a volume.
  const yudingFiles = numberedFiles(at('yudingquantangshi', 'json'), /^(\d+)\.json$/);
  const yudingVolumes = [];
  for (let i = 0; i < yudingFiles.length; i += 10) {
    const files = yudingFiles.slice(i, i + 10);
    const first = i + 1;
    const last = i + files.length;
    yudingVolumes.push({
      name: `卷${numeral(first)}至卷${numeral(last)}`,
      slug: pad(yudingVolumes.length + 1, 2),
      load: () =>
        files.flatMap((f) =>
          readJson(f).map((p) =>
            makeBlock({ title: p.title, author: p.author, lead: p.biography, lines: p.paragraphs, notes: p.notes }),
          ),
        ),
    });
  }

  const shuimo = () =>
    readJson(at('shuimotangshi', 'shuimotangshi.json')).map((p) =>
      makeBlock({ title: p.title, author: p.author, lines: p.paragraphs, notes: p.prologue }),
    );

  // ---- 詞 ----
  const ciFiles = numberedFiles(at('songci'), /^ci\.song\.(\d+)\.json$/);
  const ci = (p) =>
    makeBlock({ title: p.rhythmic, author: p.author, lead: p.prologue, lines: p.paragraphs, notes: p.notes });
  const ciVolumes = [
    ...numberedVolumes(ciFiles.map((f) => () => readJson(f).map(ci))),
    { name: '補遺', slug: pad(ciFiles.length + 1, 2), load: () => readJson(at('songci', 'ci.song.2019y.json')).map(ci) },
  ];

  const huajian = at('wudaishici', 'huajianji');
  const huajianBlock = (p) =>
    makeBlock({ title: p.title, author: p.author, lines: p.paragraphs, notes: p.notes });
  const huajianJuan = [...'123456789x'].map((n) => path.join(huajian, `huajianji-${n}-juan.json`));
  const huajianVolumes = namedVolumes([
    ['序', () => readJson(path.join(huajian, 'huajianji-0-preface.json')).map(huajianBlock)],
    ...huajianJuan.map((f, i) => [`卷${numeral(i + 1)}`, () => readJson(f).map(huajianBlock)]),
  ]);

  const nantang = () => {
    const intro = readJson(at('wudaishici', 'nantang', 'intro.json'));
    return [
      makeBlock({ title: intro.title, lead: intro.desc }),
      ...readJson(at('wudaishici', 'nantang', 'poetrys.json')).map((p) =>
        makeBlock({ title: p.title ?? p.rhythmic, author: p.author, lines: p.paragraphs, notes: p.notes }),
      ),
    ];
  };

  // ---- 曲 ----
  // The cut into volumes of about 100000 characters depends only on the text,
  // so it is the same on every run.
  const yuanquParts = volumesBySize(
    readJson(at('yuanqu', 'yuanqu.json')).map((p) => makeBlock({ title: p.title, author: p.author, lines: p.paragraphs })),
    100_000,
  );
  const yuanquVolumes = numberedVolumes(yuanquParts.map((blocks) => () => blocks));

  // ---- 蒙學 ----
  const mx = (name) => at('mengxue', name);
  const wholeText = (file) => () => {
    const j = readJson(file);
    return [makeBlock({ title: j.title, author: j.author, lead: j.abstract, lines: j.paragraphs ?? j.content })];
  };
  // Works whose content is a list of sections (卷, 類) each holding chapters.
  const sectioned = (file, inner = 'content') =>
    json(file).content.map((section) => [
      section.title ?? section.type,
      () =>
        section[inner].map((c) =>
          makeBlock({ title: c.chapter ?? c.title, author: c.source ? `${c.source}　${c.author ?? ''}` : c.author, lines: c.paragraphs }),
        ),
    ]);
  // The work's abstract goes before the first chapter of its first volume.
  const withAbstract = (file, volumes) => {
    const j = json(file);
    // A short author goes into the heading, a long one (a biography) is a note.
    const author = typeof j.author === 'string' ? j.author.trim() : '';
    const short = [...author].length <= 20;
    const lead = [
      ...(j.abstract
        ? [makeBlock({ title: j.title, author: short ? author : '', lead: [...(short ? [] : [author]), ...asArray(j.abstract)] })]
        : []),
      ...(j.preface ? [makeBlock({ title: '序', lines: j.preface })] : []),
    ];
    if (lead.length === 0 || volumes.length === 0) return volumes;
    const [firstName, firstLoad] = volumes[0];
    return [[firstName, () => [...lead, ...firstLoad()]], ...volumes.slice(1)];
  };
  const plainChapters = (file) => () =>
    json(file).content.map((c) => makeBlock({ title: c.chapter ?? c.title, lines: c.paragraphs }));

  const mengxueWorks = [
    {
      name: '三字經',
      slug: 'sanzijing',
      volumes: namedVolumes([
        ['傳統本', wholeText(mx('sanzijing-traditional.json'))],
        ['新編本', wholeText(mx('sanzijing-new.json'))],
      ]),
    },
    { name: '百家姓', slug: 'baijiaxing', volumes: single(wholeText(mx('baijiaxing.json'))) },
    { name: '千字文', slug: 'qianziwen', volumes: single(wholeText(mx('qianziwen.json'))) },
    { name: '弟子規', slug: 'dizigui', volumes: single(plainChapters(mx('dizigui.json'))) },
    { name: '朱子家訓', slug: 'zhuzijiaxun', volumes: single(wholeText(mx('zhuzijiaxun.json'))) },
    { name: '增廣賢文', slug: 'zengguangxianwen', volumes: namedVolumes(withAbstract(mx('zengguangxianwen.json'),
        json(mx('zengguangxianwen.json')).content.map((c) => [c.chapter, () => [makeBlock({ title: c.chapter, lines: c.paragraphs })]]))) },
    { name: '千家詩', slug: 'qianjiashi', volumes: namedVolumes(sectioned(mx('qianjiashi.json'))) },
    { name: '唐詩三百首', slug: 'tangshisanbaishou', volumes: namedVolumes(sectioned(mx('tangshisanbaishou.json'))) },
    { name: '聲律啓蒙', slug: 'shenglvqimeng', volumes: namedVolumes(withAbstract(mx('shenglvqimeng.json'), sectioned(mx('shenglvqimeng.json')))) },
    { name: '幼學瓊林', slug: 'youxueqionglin', volumes: namedVolumes(withAbstract(mx('youxueqionglin.json'), sectioned(mx('youxueqionglin.json')))) },
    {
      name: '文字蒙求',
      slug: 'wenzimengqiu',
      volumes: namedVolumes(withAbstract(mx('wenzimengqiu.json'),
        json(mx('wenzimengqiu.json')).content.map((c) => [c.title, () => [makeBlock({ title: c.title, lines: c.paragraphs })]]))),
    },
  ];

  // ---- 雜著 ----
  const guwen = mx('guwenguanzhi.json');
  const guwenVolumes = namedVolumes(withAbstract(guwen, sectioned(guwen)));

  const youmengying = () =>
    readJson(at('youmengying', 'youmengying.json')).map((e) => makeUntitledBlock({ lines: [e.content], notes: e.comment }));

  return [
    {
      name: '經',
      slug: 'jing',
      works: [
        { name: '詩經', slug: 'shijing', volumes: namedVolumes(shijingVolumes) },
        { name: '楚辭', slug: 'chuci', volumes: single(chuci) },
        { name: '論語', slug: 'lunyu', volumes: single(chapters(at('lunyu', 'lunyu.json'))) },
        { name: '孟子', slug: 'mengzi', volumes: single(chapters(at('sishuwujing', 'mengzi.json'))) },
        { name: '大學', slug: 'daxue', volumes: single(chapters(at('sishuwujing', 'daxue.json'))) },
        { name: '中庸', slug: 'zhongyong', volumes: single(chapters(at('sishuwujing', 'zhongyong.json'))) },
      ],
    },
    {
      name: '詩',
      slug: 'shi',
      works: [
        {
          name: '全唐詩',
          slug: 'quantangshi',
          volumes: [
            ...numberedVolumes(tangFiles.map(poemsOf)),
            { name: '補錄', slug: pad(tangFiles.length + 1, 2), load: tangBulu },
          ],
        },
        { name: '御定全唐詩', slug: 'yudingquantangshi', volumes: yudingVolumes },
        { name: '全宋詩', slug: 'quansongshi', volumes: numberedVolumes(songFiles.map(poemsOf)) },
        { name: '唐詩三百首', slug: 'tangshisanbaishou', volumes: single(poemsOf(path.join(quantang, '唐诗三百首.json'))) },
        { name: '水墨唐詩', slug: 'shuimotangshi', volumes: single(shuimo) },
        { name: '曹操詩集', slug: 'caocao', volumes: single(poemsOf(at('caocaoshiji', 'caocao.json'))) },
      ],
    },
    {
      name: '詞',
      slug: 'ci',
      works: [
        { name: '全宋詞', slug: 'quansongci', volumes: ciVolumes },
        { name: '宋詞三百首', slug: 'songcisanbaishou', volumes: single(() => readJson(at('songci', '宋词三百首.json')).map(ci)) },
        { name: '花間集', slug: 'huajianji', volumes: huajianVolumes },
        { name: '南唐二主詞', slug: 'nantang', volumes: single(nantang) },
        { name: '納蘭性德詩集', slug: 'nalanxingde', volumes: single(poemsOf(at('nalanxingde', '纳兰性德诗集.json'))) },
      ],
    },
    { name: '曲', slug: 'qu', works: [{ name: '元曲', slug: 'yuanqu', volumes: yuanquVolumes }] },
    { name: '蒙學', slug: 'mengxue', works: mengxueWorks },
    {
      name: '雜著',
      slug: 'zazhu',
      works: [
        { name: '古文觀止', slug: 'guwenguanzhi', volumes: guwenVolumes },
        { name: '幽夢影', slug: 'youmengying', volumes: single(youmengying) },
      ],
    },
  ];
}
