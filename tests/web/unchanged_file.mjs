// A chosen file that stays the same goes to the page's database worker
// once: the later presses of "Запрос" and the search's listing send the
// worker the request alone, and it answers from what it kept, as the
// desktop answers. The status line counts each time the file went to the
// worker (data-files-sent). A file replaced between presses answers from its
// new contents: another file of the same name, size and time chosen anew, or
// the file under a kept handle written over; a chosen file changed on disk
// says it cannot be read until it is chosen again, as before. A worker ended between presses
// (after a crash, or past its time limit) is followed by a new one, which is
// sent the file again and answers.
import { createServer } from 'node:http';
import { copyFileSync, mkdirSync, mkdtempSync, readFileSync, rmSync, statSync, utimesSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { makeBigDatabase } from './big_files.mjs';
import { chooseFile, launch, openPage, pageFile, pageTitle, root } from './browser.mjs';
import { check, equal, finish } from './check.mjs';
import { difference, optimisedReader, runCli, runInPage, withReader } from './drive.mjs';

const fixtures = process.env.OSTROLEN_SEGMENT_FIXTURES || join(root, 'build/test/tests/pages/segments/fixtures');
const work = mkdtempSync(join(tmpdir(), 'ostrolen-unchanged-'));

const session = (pairs) =>
  pairs.map(([segment, step]) => ({ button: 'SpeedButton17', settings: [['Edit329', segment], ['Edit330', step]] }));

// ostrolen-cli's lookups on `file`, its messages naming the file as the page names it (`name`).
async function onDesktop(file, pairs, name) {
  const folder = mkdtempSync(join(work, 'cli-'));
  copyFileSync(file, join(folder, 'dbveltra.mdb'));
  const presses = await runCli(session(pairs), withReader(optimisedReader, { cwd: folder }));
  for (const press of presses) {
    press.messages = press.messages.map(([kind, text]) => [kind, text.replaceAll('«dbveltra.mdb»', `«${name}»`)]);
  }
  return presses;
}
// The page's lookups are the desktop's on `file`; the desktop's, for comparing.
async function answers(page, file, pairs, name, what) {
  const [[inPage], desktop] = await Promise.all([runInPage(page, [session(pairs)]), onDesktop(file, pairs, name)]);
  const diff = difference(inPage, desktop, pageTitle);
  check(diff === null, what, diff);
  return desktop;
}

const counted = (page, what) => page.$eval('#DatabaseState', (s, w) => Number(s.dataset[w]), what);
const filesSent = (page) => counted(page, 'filesSent');
// Waits until the search has the rows of the listing after `listings` of them.
const listed = (page, listings) =>
  page.waitForFunction((n) => Number(document.getElementById('DatabaseState').dataset.listings) > n, listings);

const { context, close } = await launch();
let server = null;
try {
  const page = await openPage(context);
  await listed(page, 0);  // the sample's, when the page opened

  // ---- An unchanged file: sent once, for the reading ahead at the choice.
  const lookup = join(fixtures, 'lookup.mdb');
  const names = join(fixtures, 'names.mdb');
  let listings = await counted(page, 'listings');
  let sent = await filesSent(page);
  await chooseFile(page, lookup);
  await listed(page, listings);
  equal(await filesSent(page), sent + 1, 'a chosen file goes to the worker once, for the reading ahead and the listing');
  sent = await filesSent(page);
  await answers(page, lookup, [['12', '1'], ['3D', '7'], ['12', '1'], ['3C', '5']], 'lookup.mdb',
    'the unchanged file answers as on the desktop');
  equal(await filesSent(page), sent, 'presses on the unchanged file send the worker no bytes');
  await answers(page, lookup, [['12', '1'], ['3D', '7']], 'lookup.mdb', 'and again, the same lookups');
  equal(await filesSent(page), sent, 'the same lookups again send no bytes either');

  // ---- A chosen file changed on disk: the browser's snapshot of it can no
  // longer be read, which the next press says (it does not answer from the
  // contents it kept); chosen again, the file answers from its new contents.
  const onDisk = join(work, 'disk', 'dbveltra.mdb');
  mkdirSync(join(work, 'disk'));
  copyFileSync(lookup, onDisk);
  await chooseFile(page, onDisk);
  await answers(page, lookup, [['12', '1']], 'dbveltra.mdb', 'the file on disk answers');
  copyFileSync(names, onDisk);
  const later = new Date(Math.floor(statSync(onDisk).mtimeMs) + 5000);
  utimesSync(onDisk, later, later);
  const [gone] = await runInPage(page, [session([['12', '1']])]);
  check(gone[0].messages.length === 1 && gone[0].messages[0][2].startsWith('Не удалось прочитать файл базы данных'),
    'changed on disk, the chosen file cannot be read again', JSON.stringify(gone));
  await chooseFile(page, onDisk);
  await answers(page, names, [['12', '1']], 'dbveltra.mdb', 'chosen again, the changed file answers from its new contents');

  // ---- Another file of the same name, size and time, chosen anew: its own answers.
  const variants = ['А', 'Б'].map((variant, i) => {
    const folder = join(work, `choice-${i}`);
    mkdirSync(folder);
    const file = join(folder, 'dbveltra.mdb');
    makeBigDatabase(file, 200, variant);
    return file;
  });
  const time = new Date(Math.floor(statSync(variants[0]).mtimeMs));
  for (const file of variants) utimesSync(file, time, time);
  const [a, b] = variants.map((file) => statSync(file));
  check(a.size === b.size && a.mtimeMs === b.mtimeMs, 'the two files have the same size and time', JSON.stringify([a.size, b.size]));
  const pairs = [['05', '05'], ['ZZ', '1']];
  const before = [];
  for (const file of variants) {
    listings = await counted(page, 'listings');
    sent = await filesSent(page);
    await chooseFile(page, file);
    before.push(await answers(page, file, pairs, 'dbveltra.mdb', `${file}: the file chosen anew answers from its contents`));
    equal(await filesSent(page), sent + 1, `${file}: the file chosen anew goes to the worker`);
    await listed(page, listings);
  }
  check(JSON.stringify(before[0]) !== JSON.stringify(before[1]), 'the two files answer differently');

  // ---- A worker ended after a crash: the next press has a new one, which gets the file.
  await chooseFile(page, lookup);
  await answers(page, lookup, [['12', '1']], 'lookup.mdb', 'the file chosen again answers');
  sent = await filesSent(page);
  const crash = await page.evaluate(() => window.ostrolen.read('{'));
  equal(crash.failure, 'crashed', 'a request the worker cannot take crashes it');
  await answers(page, lookup, [['12', '1'], ['3D', '7']], 'lookup.mdb', 'after the crash the next press answers');
  equal(await filesSent(page), sent + 1, 'the new worker is sent the file once');

  // ---- A worker ended past its time limit, on a file whose lookups take a while.
  const big = join(work, 'big', 'dbveltra.mdb');
  mkdirSync(join(work, 'big'));
  makeBigDatabase(big, 10000);
  listings = await counted(page, 'listings');
  await chooseFile(page, big);
  await answers(page, big, [['ZZ', '1']], 'dbveltra.mdb', 'the 10,000-row file answers');
  await listed(page, listings);
  sent = await filesSent(page);
  await page.evaluate(() => (location.hash = 'reader-time-limit=0'));
  const [late] = await runInPage(page, [session([['99', '63']])]);
  check(late[0].messages.length === 1 && late[0].messages[0][2].includes('не завершилось вовремя'),
    'a lookup past its time limit ends in an error box', JSON.stringify(late));
  await page.evaluate(() => (location.hash = ''));
  await answers(page, big, [['99', '63'], ['ZZ', '1']], 'dbveltra.mdb', 'after the time-out the next press answers');
  equal(await filesSent(page), sent + 1, 'the new worker is sent the file once');
  equal(page.errors, [], 'no script errors');
  await page.close();

  // ---- A kept handle (the page from a web server, the file in the origin's
  // private file system, handed over as the file picker would): the file
  // written over between presses answers from its new contents.
  const html = readFileSync(pageFile);
  server = createServer((request, response) => {
    response.writeHead(200, { 'content-type': 'text/html; charset=utf-8' });
    response.end(html);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const served = await openPage(context, `http://127.0.0.1:${server.address().port}/ostrolen.html`);
  await listed(served, 0);
  // Writes `file` into the handle's file; gives its size and time.
  const write = (file) =>
    served.evaluate(async (base64) => {
      const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      const folder = await navigator.storage.getDirectory();
      const handle = await folder.getFileHandle('dbveltra.mdb', { create: true });
      const before = (await handle.getFile()).lastModified;
      // A change shows as one once the clock has moved on from the last.
      while (Date.now() <= before) await new Promise((resolve) => setTimeout(resolve, 1));
      const writable = await handle.createWritable();
      await writable.write(bytes);
      await writable.close();
      const file = await handle.getFile();
      window.showOpenFilePicker = async () => [handle];
      return [file.size, file.lastModified];
    }, readFileSync(file).toString('base64'));
  const first = await write(lookup);
  const choices = await counted(served, 'choices');
  listings = await counted(served, 'listings');
  await served.click('.database .choose');
  await served.waitForFunction((n) => Number(document.getElementById('DatabaseState').dataset.choices) > n, choices);
  equal(await served.$eval('#DatabaseState', (s) => s.textContent), 'Запрос читает файл dbveltra.mdb', 'the handle is chosen');
  await listed(served, listings);
  sent = await filesSent(served);
  const kept = await answers(served, lookup, [['12', '1'], ['3D', '7']], 'dbveltra.mdb', 'the file under the handle answers');
  equal(await filesSent(served), sent, 'unchanged under the handle, it is not sent again');
  const second = await write(names);
  check(second[0] === first[0] && second[1] !== first[1], 'written over: the same size, another time', JSON.stringify([first, second]));
  const renewed = await answers(served, names, [['12', '1'], ['3D', '7']], 'dbveltra.mdb',
    'the file written over answers from its new contents');
  check(JSON.stringify(kept) !== JSON.stringify(renewed), 'the two contents answer differently');
  equal(await filesSent(served), sent + 1, 'the changed file is sent once');
  await answers(served, names, [['12', '1']], 'dbveltra.mdb', 'and goes on answering so');
  equal(await filesSent(served), sent + 1, 'unchanged again, it is not sent again');
  equal(served.errors, [], 'no script errors in the served page');
} finally {
  await close();
  if (server) server.close();
  rmSync(work, { recursive: true, force: true });
}
finish('unchanged_file');
