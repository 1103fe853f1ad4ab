// The page's database reader against the reader program: for every table of
// each file, and for every column of it, the first row (and the first row
// whose column holds a value) come back from the browser page's worker with
// the same columns, value kinds and texts, byte for byte, as
// ostrolen-mdb-reader writes them. Then damaged files (a file cut at many
// places, bytes spoilt at random with a fixed seed): each lookup gets the
// same verdict from both, statement by statement.
//
//   node tests/web/reader.mjs [FILE.mdb ...]
// Without files: the segment page's fixtures, files of the other Access
// formats made from them, the sample and, when
// $OSTROLEN_MONITOR_MDB names it, a real Access-made file.
import { execFile, execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chooseFile, launch, openPage, root } from './browser.mjs';
import { check, finish } from './check.mjs';
import { makeFormatFiles } from './access_files.mjs';
import { optimisedReader, sanitizedReader } from './drive.mjs';


// The reader program's request (framed below).
function request(file, statements) {
  const bytes = [];
  const count = (n) => bytes.push(n & 0xff, (n >> 8) & 0xff, (n >> 16) & 0xff, (n >>> 24) & 0xff);
  const text = (s) => {
    const b = Buffer.from(s, 'utf8');
    count(b.length);
    bytes.push(...b);
  };
  text(file);
  count(statements.length);
  for (const { table, conditions } of statements) {
    text(table);
    count(conditions.length);
    for (const [column, pattern] of conditions) {
      text(column);
      text(pattern);
    }
  }
  return Buffer.from(bytes).toString('hex');
}

// The column names of the first outcome in `bytes`.
function columnsOf(bytes) {
  let at = 0;
  const count = () => {
    const n = bytes.readUInt32LE(at);
    at += 4;
    return n;
  };
  const text = () => {
    const n = count();
    const s = bytes.subarray(at, at + n).toString('utf8');
    at += n;
    return s;
  };
  if (bytes[at++] !== 0) return [];
  text();
  const names = [];
  for (let n = count(); n > 0; --n) names.push(text());
  return names;
}

// One request to a reader program, framed as the desktop asks it on the
// program's standard input; and the outcomes of its answer, joined as they
// come (a crash keeps what it wrote).
function framed(req) {
  const body = Buffer.from(req, 'latin1');
  const head = Buffer.alloc(5);
  head.write('S', 0, 'latin1');
  head.writeUInt32LE(body.length, 1);
  return Buffer.concat([head, body]);
}
function outcomesOf(answer) {
  const parts = [];
  for (let at = 0; at + 5 <= answer.length;) {
    const length = answer.readUInt32LE(at + 1);
    if (at + 5 + length > answer.length) break;
    if (answer[at] === 'O'.charCodeAt(0)) parts.push(answer.subarray(at + 5, at + 5 + length));
    at += 5 + length;
  }
  return Buffer.concat(parts);
}

// The sanitized reader program (the test build's) for the healthy files; see
// the damaged ones below for the optimised one.
const native = (req) => outcomesOf(execFileSync(sanitizedReader, [], { input: framed(req), maxBuffer: 1 << 26 }));

// The outcomes in `bytes`, `count` of them, as the page shows them: the
// failure and what it names, or the row's values; a statement the reader did
// not answer fails with `missing` (a crash or a time-out).
const kReaderCrashed = 16;
const kReaderTimedOut = 17;
function verdicts(bytes, count, missing) {
  const out = [];
  let at = 0;
  const need = (n) => {
    if (at + n > bytes.length) throw new Error('cut');
  };
  const byte = () => (need(1), bytes[at++]);
  const number = () => (need(4), (at += 4), bytes.readUInt32LE(at - 4));
  const text = () => {
    const n = number();
    need(n);
    at += n;
    return bytes.subarray(at - n, at).toString('utf8');
  };
  try {
    while (out.length < count) {
      const failure = byte();
      const name = text();
      const columns = [];
      for (let n = number(); n > 0; --n) columns.push(text());
      const row = [];
      if (byte() === 1) columns.forEach(() => row.push([byte(), byte(), text()]));
      out.push(failure ? `failure ${failure} ${name}` : `${columns.length} columns, row ${JSON.stringify(row)}`);
    }
  } catch {
    // a cut outcome: the reader stopped there
  }
  while (out.length < count) out.push(`failure ${missing}`);
  return out;
}
// The verdicts of `reader` (a crash or a failing exit keeps what it wrote;
// one that hangs is killed after a minute and counts as crashed).
function nativeVerdicts(reader, req, count) {
  return new Promise((resolve) => {
    const child = execFile(reader, [], { encoding: 'buffer', maxBuffer: 1 << 26, timeout: 60000, killSignal: 'SIGKILL' },
      (error, stdout) => resolve(verdicts(outcomesOf(stdout ?? Buffer.alloc(0)), count, kReaderCrashed)));
    child.stdin.on('error', () => {});
    child.stdin.end(framed(req));
  });
}

// A small generator with a seed, so that the damaged files are the same at every run.
function random(seed) {
  let state = seed >>> 0;
  return () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// Damaged copies of `bytes`: cut at every 512th byte and around every page
// boundary, and spoilt in 1 to 24 random bytes (page 0 spared, or not).
function damagedFiles(bytes, pageSize, spoilt, seed) {
  const files = [];
  for (let cut = 0; cut < bytes.length; cut += 512) files.push([`cut at ${cut}`, bytes.subarray(0, cut)]);
  for (let page = pageSize; page < bytes.length; page += pageSize) {
    for (const cut of [page - 1, page + 1, page + 4]) files.push([`cut at ${cut}`, bytes.subarray(0, cut)]);
  }
  const next = random(seed);
  for (let i = 0; i < spoilt; ++i) {
    const copy = Buffer.from(bytes);
    const from = i % 10 === 0 ? 0 : pageSize;
    const count = 1 + Math.floor(next() * 24);
    for (let k = 0; k < count; ++k) copy[from + Math.floor(next() * (bytes.length - from))] = Math.floor(next() * 256);
    files.push([`spoilt #${i} (${count} bytes)`, copy]);
  }
  return files;
}

// The lookup's statements: an ordinary segment, and a control-memory one.
const lookups = [
  [{ table: 'segmoborud', conditions: [['nomsegm', '12']] },
    { table: 'Segment', conditions: [['nomsegm', '12'], ['nomstep', '1']] }],
  [{ table: 'segmoborud', conditions: [['nomsegm', '3D']] },
    { table: 'segmentkup', conditions: [['segm', '3D'], ['step', '7']] },
    { table: 'segmentkup', conditions: [['segm', '3D'], ['step', '7'], ['ts', '0']] },
    { table: 'segmentkup', conditions: [['segm', '3D'], ['step', '7'], ['ts', '1']] }],
];

const fixtures = process.env.OSTROLEN_SEGMENT_FIXTURES || join(root, 'build/test/tests/pages/segments/fixtures');
const work = mkdtempSync(join(tmpdir(), 'ostrolen-reader-'));
// The tables asked for: a Jet 3 fixture's are its Jet 4 counterpart's (mdbtools
// would read its names in another code page); a file mdbtools cannot read is
// asked for the lookup's tables.
function tablesOf(file) {
  const counterpart = file.replace(/_jet3\.mdb$/, '.mdb');
  const listed = (f) => execFileSync('mdb-tables', ['-1', f], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] })
    .split('\n').filter(Boolean);
  try {
    return listed(counterpart !== file && existsSync(counterpart) ? counterpart : file);
  } catch {
    return listed(join(fixtures, 'lookup.mdb'));
  }
}

let files = process.argv.slice(2);
if (!files.length) {
  files = readdirSync(fixtures).filter((f) => f.endsWith('.mdb')).sort().map((f) => join(fixtures, f));
  const made = makeFormatFiles(work, readFileSync(join(fixtures, 'lookup.mdb')), readFileSync(join(fixtures, 'lookup_jet3.mdb')));
  files.push(...made.map(([, path]) => path));
  files.push(process.env.OSTROLEN_WEB_SAMPLE || join(root, 'build/web/native/sample/dbveltra.mdb'));
  if (process.env.OSTROLEN_MONITOR_MDB && existsSync(process.env.OSTROLEN_MONITOR_MDB)) {
    files.push(process.env.OSTROLEN_MONITOR_MDB);
  } else {
    console.log('no real Access-made file ($OSTROLEN_MONITOR_MDB): the fixtures only');
  }
}
const { context, close } = await launch();
try {
  const page = await openPage(context);
  for (const file of files) {
    const shown = await chooseFile(page, file);
    if (!shown.endsWith(file.split('/').pop())) throw new Error(`chose ${file}, and the page says "${shown}"`);
    const tables = tablesOf(file);
    const statements = [];
    for (const table of tables) {
      statements.push({ table, conditions: [] });
      for (const column of columnsOf(native(request(file, [{ table, conditions: [] }])))) {
        statements.push({ table, conditions: [[column, '%']] });
        statements.push({ table, conditions: [[column, '_%1%']] });
      }
    }
    statements.push({ table: 'no such table', conditions: [] });
    const req = request(file, statements);
    const expected = native(req);
    const answer = await page.evaluate((r) => window.ostrolen.read(r), req);
    const got = Buffer.from(answer.bytes);
    const same = got.equals(expected);
    let at = 0;
    while (at < got.length && got[at] === expected[at]) ++at;
    check(same, `${file}: ${statements.length} statements on ${tables.length} tables answer as the reader program`,
      `first difference at byte ${at}: page ${JSON.stringify(got.subarray(at, at + 60).toString('latin1'))}` +
        `\n  reader program ${JSON.stringify(expected.subarray(at, at + 60).toString('latin1'))}`);
    console.log(`${file}: ${statements.length} statements, ${expected.length} bytes`);
  }

  // Damaged files: the same verdict from the page's reader and the reader
  // program. The optimised reader program answers every one (a twentieth of
  // the sanitized one's time), while the page reads; every tenth file the
  // sanitized one answers too and must give the same verdicts, so that a
  // memory fault a damaged file stirs in the reader still shows.
  const compared = { cut: 0, spoilt: 0, sanitized: 0 };
  const differing = [];
  const spoilt = [];
  const unsanitary = [];
  let index = 0;
  for (const [source, pageSize, seed] of [['lookup.mdb', 4096, 20], ['lookup_jet3.mdb', 2048, 97]]) {
    const bytes = readFileSync(join(fixtures, source));
    for (const [what, content] of damagedFiles(bytes, pageSize, 150, seed)) {
      const file = join(work, 'damaged.mdb');
      writeFileSync(file, content);
      await page.setInputFiles('#DatabaseFile', []);
      await page.setInputFiles('#DatabaseFile', file);
      const sanitizedToo = index++ % 10 === 0;
      for (const statements of lookups) {
        const req = request(file, statements);
        const [expected, answer, sanitized] = await Promise.all([
          nativeVerdicts(optimisedReader, req, statements.length),
          page.evaluate((r) => window.ostrolen.read(r), req),
          sanitizedToo ? nativeVerdicts(sanitizedReader, req, statements.length) : null,
        ]);
        if (sanitized) {
          ++compared.sanitized;
          if (JSON.stringify(sanitized) !== JSON.stringify(expected)) {
            unsanitary.push(`${source} ${what}:\n    sanitized ${sanitized.join(' | ')}\n    optimised ${expected.join(' | ')}`);
          }
        }
        const got = verdicts(Buffer.from(answer.bytes), statements.length,
          answer.failure === 'timed-out' ? kReaderTimedOut : kReaderCrashed);
        ++compared[what.startsWith('cut') ? 'cut' : 'spoilt'];
        if (JSON.stringify(got) !== JSON.stringify(expected)) {
          (what.startsWith('cut') ? differing : spoilt).push(`${source} ${what}, ${statements[0].conditions[0][1]}:\n    page   ${got.join(' | ')}` +
            `\n    reader ${expected.join(' | ')}`);
        }
      }
    }
  }
  console.log(`sanitized reader program: ${compared.sanitized} lookups on damaged files, ${unsanitary.length} differ`);
  check(compared.sanitized > 50 && unsanitary.length === 0, 'the sanitized reader program gives the optimised one\'s verdicts',
    unsanitary.slice(0, 8).join('\n  '));
  console.log(`files cut short: ${compared.cut} lookups compared, ${differing.length} differ`);
  check(differing.length === 0, 'a file cut short gets the same verdict in the page and from the reader program',
    differing.slice(0, 8).join('\n  '));
  console.log(`spoilt files: ${compared.spoilt} lookups compared, ${spoilt.length} differ`);
  check(spoilt.length === 0, 'a file with spoilt bytes gets the same verdict in the page and from the reader program',
    spoilt.slice(0, 8).join('\n  '));
  check(page.errors.length === 0, 'no script errors', page.errors.join('\n'));
} finally {
  await close();
  rmSync(work, { recursive: true, force: true });
}
finish('reader');
