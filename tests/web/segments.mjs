// "Запрос" in the browser page: before a file is chosen the sample answers
// (and the page says so); on fixture files chosen through the file chooser
// the lookup gives the lines and errors of ostrolen-cli on the same file;
// a damaged file gives an error box and the page goes on working.
import { copyFileSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chooseFile, launch, openPage, pageTitle, root } from './browser.mjs';
import { check, equal, finish } from './check.mjs';
import { makeFormatFiles } from './access_files.mjs';
import { difference, optimisedReader, runCli, runInPage, sanitizedReader, withReader } from './drive.mjs';

const fixtures = process.env.OSTROLEN_SEGMENT_FIXTURES || join(root, 'build/test/tests/pages/segments/fixtures');
const sample = process.env.OSTROLEN_WEB_SAMPLE || join(root, 'build/web/native/sample/dbveltra.mdb');
const work = mkdtempSync(join(tmpdir(), 'ostrolen-segments-'));

// Every segment and step the fixtures hold, and texts that try LIKE's corners.
const segments = ['0', '12', '3C', '3c', '3D', '3E', '3F', '4C', '3', 'E1', 'N1', "7'", '5B', '5A', '*', 'Ж1', 'ж1', 'S1',
  '', '%', '_', '1%', '[', '[]', '[!', 'zz', '99'];
const steps = ['1', '5', '6', '7', '', "1'", '%', '_', '[', '2'];
const lookups = [];
for (const segment of segments) for (const step of steps) lookups.push([segment, step]);
// The files made for one failure need fewer.
const fewer = lookups.filter(([segment, step]) => ['12', '3C', '3D', '3E', 'E1', '%', '['].includes(segment) && ['1', '5', '7', '['].includes(step));

const session = (pairs) =>
  pairs.map(([segment, step]) => ({ button: 'SpeedButton17', settings: [['Edit329', segment], ['Edit330', step]] }));

// The name of the file the page reads: the sample's until one is chosen.
let chosenName = 'dbveltra.mdb';

// ostrolen-cli's lookups on `file`, put where it reads it. The desktop's
// messages name the file it opened, the page's the file chosen: the same
// message names the chosen file here.
// The desktop's answers come from the optimised reader program; on every
// file a few of them (`held`) are held to the sanitized one's, which must be
// the same, so that a memory fault the file stirs in the reader still shows.
const held = [['12', '1'], ['3D', '7'], ['3C', '5'], ['E1', ''], ['%', '%'], ['[', '['], ['Ж1', '1']];
async function onDesktop(file, pairs) {
  const folder = mkdtempSync(join(work, 'cli-'));
  if (file) copyFileSync(file, join(folder, 'dbveltra.mdb'));
  const [presses, optimised, sanitized] = await Promise.all([
    runCli(session(pairs), withReader(optimisedReader, { cwd: folder })),
    runCli(session(held), withReader(optimisedReader, { cwd: folder })),
    runCli(session(held), withReader(sanitizedReader, { cwd: folder })),
  ]);
  equal(sanitized, optimised, `${chosenName}: the sanitized reader program answers as the optimised one`);
  for (const press of presses) {
    press.messages = press.messages.map(([kind, text]) => [kind, text.replaceAll('«dbveltra.mdb»', `«${chosenName}»`)]);
  }
  return presses;
}

async function compare(page, file, pairs, what) {
  const [[inPage], desktop] = await Promise.all([runInPage(page, [session(pairs)]), onDesktop(file, pairs)]);
  const diff = difference(inPage, desktop, pageTitle);
  check(diff === null, what, diff);
  return { inPage, desktop };
}

// Chooses `file` as the operator does: the chooser beside "Запрос", then the file.
async function choose(page, file) {
  const shown = await chooseFile(page, file);
  chosenName = file.split('/').pop();
  if (shown !== `Запрос читает файл ${chosenName}`) throw new Error(`chose ${file}, and the page says "${shown}"`);
}

const state = (page) => page.evaluate(() => document.getElementById('DatabaseState').textContent);

const { context, close } = await launch();
try {
  const page = await openPage(context);
  const sampleState = await state(page);
  check(sampleState !== '', 'before a file is chosen, the page says the sample answers', sampleState);
  const { desktop } = await compare(page, sample, lookups, 'the sample answers as it does on the desktop');
  check(desktop.some((p) => p.lines.length > 3), 'the sample gives lines');

  const files = readdirSync(fixtures).filter((f) => f.endsWith('.mdb')).sort();
  check(files.length >= 5, 'the fixture databases are there', fixtures);
  for (const name of files) {
    const file = join(fixtures, name);
    await choose(page, file);
    check((await state(page)).includes(name), `the page names the chosen ${name}`);
    const pairs = ['lookup.mdb', 'names.mdb', 'lookup_jet3.mdb', 'names_jet3.mdb'].includes(name) ? lookups : fewer;
    const { desktop: result } = await compare(page, file, pairs, `${name}: the lines and errors of the desktop`);
    const errors = result.flatMap((p) => p.messages).length;
    const lines = result.flatMap((p) => p.lines).length;
    console.log(`${name}: ${pairs.length} lookups, ${lines} lines, ${errors} error boxes`);
  }

  // The other Access formats: ACE files as Jet 4, an encrypted ACE file, an
  // unknown version, a Jet 3 file in a code page not known here, a Jet 3
  // file whose sort order says Western: the desktop's lines and errors.
  const made = makeFormatFiles(work, readFileSync(join(fixtures, 'lookup.mdb')), readFileSync(join(fixtures, 'lookup_jet3.mdb')));
  for (const [name, file] of made) {
    await choose(page, file);
    const { desktop: result } = await compare(page, file, fewer, `${name}: the lines and errors of the desktop`);
    const errors = result.flatMap((p) => p.messages);
    console.log(`${name}: ${fewer.length} lookups, ${result.flatMap((p) => p.lines).length} lines, ${errors.length} error boxes` +
      (errors.length ? `, e.g. ${JSON.stringify(errors[0][1])}` : ''));
  }

  // A new file under the chosen name answers.
  const lookup = join(fixtures, 'lookup.mdb');
  const chosen = join(work, 'dbveltra.mdb');
  copyFileSync(lookup, chosen);
  await choose(page, chosen);
  await compare(page, lookup, [['12', '1']], 'a chosen copy answers');

  // Damaged files: error boxes, and the next press works.
  const bytes = readFileSync(lookup);
  const damaged = [
    ['truncated.mdb', bytes.subarray(0, 6000)],
    ['empty.mdb', Buffer.alloc(0)],
    ['not-access.mdb', Buffer.from('Just some text, not a database at all.\n'.repeat(100))],
    ['zeroed-pages.mdb', Buffer.concat([bytes.subarray(0, 4096), Buffer.alloc(bytes.length - 4096)])],
    ['scrambled.mdb', Buffer.from(bytes.map((b, i) => (i > 4096 && i % 7 === 3 ? b ^ 0x5a : b)))],
  ];
  for (const [name, content] of damaged) {
    const file = join(work, name);
    writeFileSync(file, content);
    await choose(page, file);
    const [inPage] = await runInPage(page, [session([['12', '1'], ['3D', '7']])]);
    const boxes = inPage.flatMap((p) => p.messages);
    check(boxes.length >= 1 && boxes.every(([kind]) => kind === 'error'), `${name}: an error box`, JSON.stringify(inPage));
    const desktop = await onDesktop(file, [['12', '1'], ['3D', '7']]);
    const diff = difference(inPage, desktop, pageTitle);
    check(diff === null, `${name}: the page says what the desktop says`, diff);
    await choose(page, lookup);
    await compare(page, lookup, [['12', '1'], ['3D', '7']], `${name}: the next press works`);
  }
  // The error box names the file the operator chose, whatever its name.
  const named = join(work, 'справочник 2024.mdb');
  copyFileSync(join(fixtures, 'no_tables.mdb'), named);
  await choose(page, named);
  const [[noTables]] = await runInPage(page, [session([['12', '1']])]);
  equal(noTables.messages.map(([, , text]) => text), ['В базе данных «справочник 2024.mdb» нет таблицы «segmoborud».'],
    'the error box names the chosen file');

  // A reading that runs out of time: the worker is ended, an error box says
  // so, and the next press (with a new worker) answers. The limit is set
  // before the file is chosen, so that the press finds a worker that has the
  // file still to take (one that had answered the same lookup before would
  // answer at once).
  await page.evaluate(() => (location.hash = 'reader-time-limit=0'));
  await choose(page, lookup);
  const [late] = await runInPage(page, [session([['12', '1']])]);
  check(late[0].messages.length === 1 && late[0].messages[0][0] === 'error' && late[0].messages[0][2].includes('не завершилось вовремя'),
    'a reading past its time limit ends in an error box', JSON.stringify(late));
  await page.evaluate(() => (location.hash = ''));
  await compare(page, lookup, [['12', '1'], ['3D', '7']], 'after a time-out the next press works');
  equal(page.errors, [], 'no script errors');
} finally {
  await close();
  rmSync(work, { recursive: true, force: true });
}
finish('segments');
