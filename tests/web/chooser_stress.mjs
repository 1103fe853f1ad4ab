// The file chooser under stress, run on demand (scripts/stress-chooser), not
// in every test run: in one browser, ROUNDS times over, choose a file and
// press "Запрос", choose another, a damaged one, the same damaged one again,
// one whose name has Cyrillic letters and a blank, then close the chooser
// with no file. Each choice must be named on the status line and each press
// must answer as ostrolen-cli does on the same file.
//
//   node tests/web/chooser_stress.mjs [ROUNDS]   (default 300)
import { copyFileSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { loadavg, tmpdir } from 'node:os';
import { join } from 'node:path';
import { callerLocale, chooseFile, launch, openPage, pageTitle, root } from './browser.mjs';
import { difference, runCli, runInPage } from './drive.mjs';

const rounds = Number(process.argv[2] || 300);
const fixtures = process.env.OSTROLEN_SEGMENT_FIXTURES || join(root, 'build/test/tests/pages/segments/fixtures');
const sample = process.env.OSTROLEN_WEB_SAMPLE || join(root, 'build/web/native/sample/dbveltra.mdb');
const work = mkdtempSync(join(tmpdir(), 'ostrolen-stress-'));

const lookup = readFileSync(join(fixtures, 'lookup.mdb'));
const files = [
  ['sample.mdb', readFileSync(sample)],
  ['lookup.mdb', lookup],
  ['truncated.mdb', lookup.subarray(0, 6000)],
  ['справочник 2024.mdb', lookup],
].map(([name, bytes]) => {
  const path = join(work, name);
  writeFileSync(path, bytes);
  return { name, path };
});
const press = [{ button: 'SpeedButton17', settings: [['Edit329', '12'], ['Edit330', '1']] }];

// What the desktop answers on each file, its messages naming the chosen file.
for (const file of files) {
  const folder = mkdtempSync(join(work, 'cli-'));
  copyFileSync(file.path, join(folder, 'dbveltra.mdb'));
  file.expected = await runCli(press, { cwd: folder });
  for (const p of file.expected) {
    p.messages = p.messages.map(([kind, text]) => [kind, text.replaceAll('«dbveltra.mdb»', `«${file.name}»`)]);
  }
}
const [first, second, damaged, cyrillic] = files;
const steps = [
  [first, first], [second, second], [damaged, damaged], [damaged, damaged], [cyrillic, cyrillic], [null, cyrillic],
];

console.log(`started with the locale ${JSON.stringify(callerLocale)}, load ${loadavg().map((l) => l.toFixed(2)).join(' ')}`);
const started = Date.now();
let failures = 0;
let presses = 0;
const { context, close } = await launch();
try {
  const page = await openPage(context);
  for (let round = 1; round <= rounds; ++round) {
    for (const [chosen, answering] of steps) {
      const shown = await chooseFile(page, chosen ? chosen.path : []);
      const expected = (chosen ? '' : 'Выбор файла ничего не дал. ') + `Запрос читает файл ${answering.name}`;
      const [[answer]] = await runInPage(page, [press]);
      ++presses;
      const diff = shown === expected ? difference([answer], answering.expected, pageTitle) : `the page says "${shown}", not "${expected}"`;
      if (diff !== null && ++failures <= 10) console.error(`round ${round}, ${chosen ? chosen.name : 'no file'}: ${diff}`);
    }
    if (round % 50 === 0) console.log(`${round} rounds, ${failures} failures, ${((Date.now() - started) / 1000).toFixed(0)} s`);
  }
  if (page.errors.length) {
    console.error(`script errors: ${page.errors.join('\n')}`);
    ++failures;
  }
} finally {
  await close();
  rmSync(work, { recursive: true, force: true });
}
console.log(`chooser stress: ${rounds} rounds, ${presses} choices and presses, ${failures} failures, ` +
  `${((Date.now() - started) / 1000).toFixed(0)} s, load at the end ${loadavg().map((l) => l.toFixed(2)).join(' ')}`);
process.exit(failures ? 1 : 0);
