// The page's database reader against the reader program: for every table of
// each file, and for every column of it, the first row (and the first row
// whose column holds a value) come back from the browser page's worker with
// the same columns, value kinds and texts, byte for byte, as
// ostrolen-mdb-reader writes them.
//
//   node tests/web/reader.mjs [FILE.mdb ...]
// Without files: the segment page's fixtures, files of the other Access
// formats made from them, the sample and, when
// $OSTROLEN_MONITOR_MDB names it, a real Access-made file.
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { launch, openPage, root } from './browser.mjs';
import { check, finish } from './check.mjs';
import { makeFormatFiles } from './access_files.mjs';
import { cli } from './drive.mjs';

const reader = process.env.OSTROLEN_MDB_READER || join(dirname(cli), 'ostrolen-mdb-reader');

// The reader program's request: its one argument.
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

const native = (req) => execFileSync(reader, [req], { maxBuffer: 1 << 26 });

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
    const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click('.database .choose')]);
    await chooser.setFiles(file);
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
  check(page.errors.length === 0, 'no script errors', page.errors.join('\n'));
} finally {
  await close();
  rmSync(work, { recursive: true, force: true });
}
finish('reader');
