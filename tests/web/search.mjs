// The search box of the browser page: Ctrl+F, the list under the box as
// `ostrolen-cli find` lists the same text (in a folder without a database),
// and choosing a value, a field, a fault entry and a "УСК" text leaves the
// page, its boxes and its selected line as `ostrolen-cli decode` and `press`
// say they should. Also how long one typed character takes to list.
import { execFile } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { launch, openPage, root } from './browser.mjs';
import { check, equal, finish } from './check.mjs';
import { cli } from './drive.mjs';

const empty = mkdtempSync(join(tmpdir(), 'ostrolen-search-'));
const sampleDir = dirname(process.env.OSTROLEN_WEB_SAMPLE || join(root, 'build/web/native/sample/dbveltra.mdb'));
const runIn = (cwd, ...args) =>
  new Promise((resolve) => {
    execFile(cli, args, { encoding: 'utf8', cwd }, (error, stdout) => resolve(stdout));
  });
const run = (...args) => runIn(empty, ...args);
const outputLines = (text) => text.split('\n').filter((l) => l !== '');
const found = async (text) => outputLines(await run('find', text)).map((l) => l.split('\t'));
const decode = async (page, words) => outputLines(await run('decode', page, ...words));

const { context, close } = await launch();
try {
  const page = await openPage(context);
  const shown = () => page.evaluate(() => [...document.querySelectorAll('#SearchList .search-line.match')].map((l) => l.textContent));
  const listOpen = () => page.evaluate(() => !document.getElementById('SearchList').hidden);
  const typeSearch = async (text) => {
    await page.keyboard.press('Control+f');
    equal(await page.evaluate(() => document.activeElement.id), 'SearchBox', 'Ctrl+F puts the caret in the search box');
    await page.keyboard.press('Control+a');
    await page.keyboard.press('Backspace');
    await page.keyboard.type(text);
  };
  const boxes = (names) => page.evaluate((n) => n.map((name) => document.getElementById(name).value), names);
  const lines = (list) => page.evaluate((l) => [...document.querySelectorAll(`#${l} .line`)].map((e) => e.textContent), list);
  const selected = (list) =>
    page.evaluate((l) => [...document.querySelectorAll(`#${l} .line[aria-selected="true"]`)].map((e) => e.textContent), list);
  const visible = (id) => page.evaluate((i) => document.getElementById(i).offsetParent !== null, id);
  // Chooses the match the command line lists `index`-th, with the arrows and Enter.
  const chooseAt = async (index) => {
    for (let i = 0; i < index; ++i) await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => !window.ostrolen.busy() || document.querySelector('dialog[open]'));
    const message = await page.evaluate(() => document.querySelector('dialog[open]')?.textContent);
    check(message === undefined, 'no message box after choosing', message);
    if (message !== undefined) {
      await page.keyboard.press('Enter');
      await page.waitForFunction(() => !window.ostrolen.busy());
    }
  };

  // Typing lists what the command line finds, best first, at most 100;
  // the built-in sample's rows come after the tables', as the command line
  // lists the sample's in its folder.
  await page.waitForFunction(() => window.ostrolen.search.find('учебная').lines.length > 0);
  for (const text of ['бв 01-60', 'напоминание', 'БB 01-60 yBП', 'а', 'декадый']) {
    await typeSearch(text);
    const expected = (await found(text)).slice(0, 100).map((f) => f[3]);
    equal((await shown()).map((l) => l.split(' — ')[0]), expected, `the list for "${text}"`);
    check(await listOpen(), `the list is open for "${text}"`);
  }
  await typeSearch('бв 01-60');
  equal((await shown())[0], 'БВ 01-60 УВП 0-3 — УВП', 'the first line names its tab');
  await page.keyboard.press('Escape');
  check(!(await listOpen()), 'Escape closes the list');
  await page.keyboard.press('ArrowDown');
  check(await listOpen(), 'an arrow opens it again');
  await typeSearch('жжжщщщ');
  equal(await page.evaluate(() => document.querySelector('#SearchList .none')?.textContent), 'Ничего не найдено', 'nothing found says so');

  const layout = await page.evaluate(() => window.ostrolen.layout.pages.map((p) => ({
    sheet: p.sheet,
    list: p.lists.length ? p.lists[0].name : '',
    words: p.words.map((w) => w.positions),
    buttons: p.buttons.map((b) => b.name),
  })));
  const byList = (list) => layout.find((p) => p.list === list);
  const wordsOn = async (p) => (await Promise.all(p.words.map((w) => boxes(w)))).map((w) => w.join(''));

  // A fault entry: its page with exactly that item faulty, its line selected.
  const faults = (await found('б')).filter((f) => f[1] === 'fault');
  check(faults.length > 10, 'faults to choose', String(faults.length));
  for (const [cliPage, , , text] of faults.filter((_, i) => i % 7 === 0)) {
    await typeSearch(text);
    const all = await found(text);
    const index = all.findIndex((f) => f[0] === cliPage && f[1] === 'fault' && f[3] === text);
    if (index < 0 || index >= 100) continue;
    await chooseAt(index);
    const list = await page.evaluate(
      () => [...document.querySelectorAll('.line[aria-selected="true"]')].find((l) => l.offsetParent !== null)?.parentElement.id);
    const p = byList(list);
    check(p !== undefined && (await visible(p.sheet)), `${text}: its page is shown`);
    if (!p) continue;
    equal(await selected(list), [text], `${text}: its line is selected`);
    equal(await lines(list), await decode(cliPage, await wordsOn(p)), `${text}: the page decodes its words`);
    equal((await lines(list)).filter((l) => faults.some((f) => f[0] === cliPage && f[3] === l)).length, 1, `${text}: one fault`);
  }

  // A click on a line chooses it as Enter does.
  await typeSearch('бв 01-60');
  await page.locator('#SearchList .search-line.match').nth(1).click();
  await page.waitForFunction(() => !window.ostrolen.busy());
  const clicked = (await found('бв 01-60'))[1];
  check(!(await listOpen()), 'a click closes the list');
  equal(
    await page.evaluate(() => [...document.querySelectorAll('.line[aria-selected="true"]')].filter((l) => l.offsetParent !== null).map((l) => l.textContent)),
    [clicked[3]],
    'a click chooses its line',
  );

  // A value: the page's words with the value set, decoded, its line
  // selected; Ctrl+Z takes it back.
  const sko = byList('ListBox7');
  for (const [name, text] of sko.words[0].map((n, i) => [n, '271A6'[i]])) {
    await page.evaluate(([n, t]) => { document.getElementById(n).value = t; }, [name, text]);
  }
  const before = await wordsOn(sko);
  await typeSearch('Декадый');
  const values = await found('Декадый');
  await chooseAt(values.findIndex((f) => f[0] === 'sko'));
  check(await visible(sko.sheet), 'a value shows its page');
  equal(await wordsOn(sko), ['251A6'], 'the value is set in the words that were there');
  equal(await lines('ListBox7'), await decode('sko', ['251A6']), 'the page decodes its words');
  equal((await selected('ListBox7')).map((l) => l.split(' =')[0]), ['Набор номера'], "the value's line is selected");
  await page.keyboard.press('Control+z');
  await page.waitForFunction(() => !window.ostrolen.busy());
  equal(await wordsOn(sko), before, 'Ctrl+Z takes the value back');

  // A field: its line selected, the words left alone.
  await typeSearch('Набор номера');
  const fieldsFound = await found('Набор номера');
  await chooseAt(fieldsFound.findIndex((f) => f[0] === 'sko' && f[1] === 'field'));
  equal(await wordsOn(sko), before, 'a field leaves the words');
  equal((await selected('ListBox7')).map((l) => l.split(' =')[0]), ['Набор номера'], "the field's line is selected");

  // A "УСК" text: its test pressed.
  const usk = (await found('а')).filter((f) => f[1] === 'usk').slice(0, 1);
  for (const [, , button, text] of usk) {
    await typeSearch(text);
    const all = await found(text);
    await chooseAt(all.findIndex((f) => f[1] === 'usk' && f[2] === button));
    const p = layout.find((q) => q.buttons.includes(button));
    check(await visible(p.sheet), `${text}: the УСК page is shown`);
    const pressed = outputLines(await run('press', button)).filter((l) => l.startsWith('line\t')).map((l) => l.split('\t')[1] ?? '');
    equal(await lines(p.list), pressed, `${text}: the test's lines as a press gives them`);
  }

  // A row of the sample: "Сегменты" with its segment and step, "Запрос"
  // pressed, as `ostrolen-cli press` answers in the sample's folder.
  const rowsFound = outputLines(await runIn(sampleDir, 'find', 'учебная')).map((l) => l.split('\t'));
  equal(
    (await page.evaluate(() => window.ostrolen.search.find('учебная').lines)).map((l) => l.split(' — ')[0]),
    rowsFound.slice(0, 100).map((f) => f[3]),
    "the sample's rows are listed",
  );
  const segments = layout.find((q) => q.buttons.includes('SpeedButton17'));
  const withSteps = rowsFound.map((f, i) => [i, f]).filter(([i, f]) => f[1] === 'segment' && f[2].includes(' ') && i < 100);
  check(withSteps.length >= 3, "the sample's steps are found");
  for (const [index, [, , where, text]] of [withSteps[0], withSteps[1], withSteps[withSteps.length - 1]]) {
    await typeSearch('учебная');
    await chooseAt(index);
    check(await visible(segments.sheet), `${text} (${where}): "Сегменты" is shown`);
    const [segment, step = ''] = where.split(' ');
    const pressed = outputLines(await runIn(sampleDir, 'press', 'SpeedButton17', `Edit329=${segment}`, `Edit330=${step}`));
    equal(await lines(segments.list), pressed.filter((l) => l.startsWith('line\t')).map((l) => l.split('\t')[1] ?? ''),
      `${where}: the lookup's lines`);
    const written = new Map(pressed.filter((l) => l.startsWith('box\t')).map((l) => l.split('\t').slice(1)));
    equal(await boxes(['Edit329', 'Edit330']), [written.get('Edit329') ?? segment, written.get('Edit330') ?? step],
      `${where}: its segment and step in the boxes`);
  }

  // How long the list takes for one typed character over every table and
  // 10,000 database rows (a third in each table, every text filled): the
  // search itself in the page's module, and a keystroke until the list is
  // drawn.
  const timing = await page.evaluate(async () => {
    const records = [];
    const names = {
      segmoborud: ['Блок групповой БГ '],
      Segment: ['Программа проверки ', 'Неисправность блока ', 'Примечание к шагу '],
      segmentkup: ['Объект управления ', 'Информация в УСК ', 'Приемник ', 'Неисправность линейки ', 'Примечание '],
    };
    for (const [table, texts] of Object.entries(names)) {
      records.push(`table\t${table}`);
      for (let i = 0; i < 10000; ++i) {
        if (Object.keys(names)[i % 3] !== table) continue;
        const step = table === 'segmoborud' ? '' : String(Math.floor(i / 256));
        records.push(['row', String(i % 256), step, ...texts.map((t) => t + i)].join('\t'));
      }
    }
    records.push('end');
    window.ostrolen.search.rows(records.join('\n') + '\n', 'rows.mdb');
    const box = document.getElementById('SearchBox');
    const search = [];
    const listed = [];
    for (let round = 0; round < 3; ++round) {
      for (const c of 'аобвгдекмнпрст') {
        let start = performance.now();
        window.ostrolen.search.find(c);
        search.push(performance.now() - start);
        box.value = '';
        start = performance.now();
        box.value = c;
        box.dispatchEvent(new Event('input'));
        listed.push(performance.now() - start);
        await new Promise((resolve) => requestAnimationFrame(resolve));
      }
    }
    const median = (t) => t.sort((a, b) => a - b)[t.length >> 1];
    const entries = window.ostrolen.search.find('1').total;
    return { search: median(search), listed: median(listed), worst: listed[listed.length - 1], entries };
  });
  console.log(
    `one typed character over every table and 10,000 rows (${timing.entries} matches of "1"): the search ${timing.search.toFixed(2)} ms, ` +
      `listed under the box ${timing.listed.toFixed(2)} ms (medians; slowest ${timing.worst.toFixed(2)} ms)`,
  );
  check(timing.listed < 16, 'one typed character is listed within a frame', JSON.stringify(timing));
  equal(page.errors, [], 'no error in the page');
} finally {
  await close();
  rmSync(empty, { recursive: true, force: true });
}
finish('search');
