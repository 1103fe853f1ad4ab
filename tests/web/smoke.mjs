// The browser page at a glance, for every change (scripts/test --quick runs
// it): it opens, each page's buttons give what ostrolen-cli gives, and a
// lookup reads a file chosen under a name with Cyrillic letters and a blank,
// also when the tests were started with no locale at all (CTest starts this
// one under env -i). A chooser that closes with no file says so and the file
// chosen before stays.
import { copyFileSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { callerLocale, chooseFile, launch, openPage, pageTitle, root } from './browser.mjs';
import { check, equal, finish } from './check.mjs';
import { difference, runCli, runInPage } from './drive.mjs';

const sample = process.env.OSTROLEN_WEB_SAMPLE || join(root, 'build/web/native/sample/dbveltra.mdb');
const work = mkdtempSync(join(tmpdir(), 'ostrolen-smoke-'));
console.log(`started with the locale ${JSON.stringify(callerLocale)}`);

const { context, close } = await launch();
try {
  const page = await openPage(context);
  const layout = await page.evaluate(() => window.ostrolen.layout);

  // Every button but the lookup, its boxes full of ones (a digit of every base).
  const sessions = [];
  for (const p of layout.pages) {
    for (const b of p.buttons) {
      if (b.name === layout.web.databaseButton) continue;
      const settings = p.boxes.filter((box) => box.role === 'input').map((box) => [box.name, '1'.repeat(box.maxLength)]);
      sessions.push([{ button: b.name, settings }]);
    }
  }
  const [inPage, byCli] = await Promise.all([runInPage(page, sessions), Promise.all(sessions.map((s) => runCli(s)))]);
  let lines = 0;
  for (let i = 0; i < sessions.length; ++i) {
    lines += byCli[i][0].lines.length;
    const diff = difference(inPage[i], byCli[i], pageTitle);
    check(diff === null, `${sessions[i][0].button}: as ostrolen-cli`, diff);
  }
  check(sessions.length >= 10 && lines > 0, `the buttons pressed (${sessions.length}) gave lines (${lines})`);

  // One lookup, on a copy of the sample under a name with Cyrillic letters and a blank.
  const named = join(work, 'справочник 2024.mdb');
  copyFileSync(sample, named);
  const lookup = [{ button: layout.web.databaseButton, settings: [['Edit329', '12'], ['Edit330', '1']] }];
  const onDesktop = async () => {
    const folder = mkdtempSync(join(work, 'cli-'));
    copyFileSync(sample, join(folder, 'dbveltra.mdb'));
    return runCli(lookup, { cwd: folder });
  };
  equal(await chooseFile(page, named), 'Запрос читает файл справочник 2024.mdb', 'a Cyrillic name with a blank is chosen');
  const expected = await onDesktop();
  check(expected[0].lines.length > 3 && expected[0].messages.length === 0, 'the lookup gives lines on the desktop',
    JSON.stringify(expected));
  let [[answer]] = await runInPage(page, [lookup]);
  check(difference([answer], expected, pageTitle) === null, 'the chosen file answers the lookup',
    difference([answer], expected, pageTitle));

  // The chooser closed with no file: the page says so, and the file chosen before answers.
  equal(await chooseFile(page, []), 'Выбор файла ничего не дал. Запрос читает файл справочник 2024.mdb',
    'a choice of nothing is named, and the file read stays');
  [[answer]] = await runInPage(page, [lookup]);
  check(difference([answer], expected, pageTitle) === null, 'after it the same file answers', difference([answer], expected, pageTitle));
  equal(await chooseFile(page, named), 'Запрос читает файл справочник 2024.mdb', 'the next choice clears the note');
  equal(page.errors, [], 'no script errors');
} finally {
  await close();
  rmSync(work, { recursive: true, force: true });
}
finish('smoke');
