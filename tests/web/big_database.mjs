// A healthy database far larger than the reference one: 400,000 rows in
// "Segment", the row asked for last, made here by ostrolen-mkdb. The
// first "Запрос" reads it however long that takes (the status line under
// the button says how far it is), answers as the desktop does, and the
// later ones answer from what the worker kept. Prints the times.
//
//   node tests/web/big_database.mjs [ROWS]
import { mkdtempSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { makeBigDatabase } from './big_files.mjs';
import { launch, openPage, pageTitle } from './browser.mjs';
import { check, finish } from './check.mjs';
import { difference, runCli, runInPage } from './drive.mjs';

const rows = Number(process.argv[2] || 400000);
const work = mkdtempSync(join(tmpdir(), 'ostrolen-big-'));
const ms = (v) => `${v.toFixed(0)} ms`;

const file = join(work, 'dbveltra.mdb');
makeBigDatabase(file, rows);
console.log(`${rows} rows, ${(statSync(file).size / 1048576).toFixed(1)} MB`);
const lookup = [{ button: 'SpeedButton17', settings: [['Edit329', 'ZZ'], ['Edit330', '1']] }];
const desktop = await runCli(lookup, { cwd: work });

const { context, close } = await launch();
try {
  const page = await openPage(context);
  // Every text the chooser's status line shows while the file is read.
  await page.evaluate(() => {
    window.shownStates = [];
    const state = document.getElementById('DatabaseState');
    new MutationObserver(() => window.shownStates.push(state.textContent)).observe(state, { childList: true, characterData: true, subtree: true });
  });
  await page.setInputFiles('#DatabaseFile', file);
  const times = [];
  for (let i = 0; i < 4; ++i) {
    const started = Date.now();
    const [presses] = await runInPage(page, [lookup]);
    times.push(Date.now() - started);
    const diff = difference(presses, desktop, pageTitle);
    check(diff === null, `press ${i + 1}: the lines of the desktop, no error box`, diff);
  }
  const states = await page.evaluate(() => window.shownStates);
  const progress = states.filter((s) => /^Чтение базы данных… \d+ %$/.test(s));
  check(progress.length > 0, 'the first reading shows how far it is', JSON.stringify(states.slice(0, 5)));
  check(states.at(-1).endsWith('dbveltra.mdb'), 'then the status line names the file again', states.at(-1));
  console.log(`first press ${ms(times[0])}, later presses ${times.slice(1).map(ms).join(', ')}; ` +
    `${progress.length} progress texts, e.g. ${JSON.stringify(progress[Math.floor(progress.length / 2)])}`);
  check(page.errors.length === 0, 'no script errors', page.errors.join('\n'));
} finally {
  await close();
  rmSync(work, { recursive: true, force: true });
}
finish('big_database');
