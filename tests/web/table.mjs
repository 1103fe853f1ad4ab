// The table of many records in the browser page, through its own events:
// opened with Ctrl+B, records typed and decoded, the rows drawn as
// `ostrolen-cli table` writes them, the CSV downloaded byte for byte as the
// command line writes it, a heading clicked, the filter typed, a row opened
// on its page, and a file that is not text.
import { execFile } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { launch, openPage } from './browser.mjs';
import { check, equal, finish } from './check.mjs';
import { dirname } from 'node:path';
import { cli, openTable, sample } from './drive.mjs';

const run = (args, input, options = {}) =>
  new Promise((resolve) => {
    const child = execFile(cli, args, { encoding: 'buffer', ...options }, (error, stdout) => resolve(stdout));
    child.stdin.end(input);
  });

const records = [
  '# the hundred\'s first records',
  '2001\t271A6',
  '2002: 271A7',
  '',
  '2003\t27ZA6',
  '2004\t071A0',
  'кросс 7: 3F1A6',
  '',
].join('\n');

const { context, close } = await launch();
try {
  const page = await openPage(context);
  await openTable(page, 'sko');
  await page.fill('#TableInput', records);
  const decoded = async (times) => {
    await page.waitForFunction((n) => document.getElementById('TableView')?.dataset.built === String(n), times);
    // The rows in view come as the controller answers.
    await page.waitForFunction(() => document.querySelectorAll('#TableRows .table-row').length > 0);
  };
  await page.click('#TableBuild');
  await decoded(1);

  const shown = () => page.evaluate(() => ({
    headings: [...document.querySelectorAll('#TableRows .table-heading')].map((h) => h.textContent),
    rows: [...document.querySelectorAll('#TableRows .table-row')].map((r) => [...r.children].map((c) => c.textContent)),
    counts: document.getElementById('TableCounts').textContent,
  }));
  const first = await shown();
  // The command line's TSV, its cells unescaped (these records need no guard).
  const tsv = (await run(['table', 'sko'], records)).toString('utf8').split('\n').filter(Boolean)
    .map((line) => line.split('\t').map((cell) => cell.replace(/\\(.)/g, (m, c) => ({ t: '\t', n: '\n', r: '\r', '\\': '\\' })[c] ?? m)));
  equal(first.headings, tsv[0], 'the headings are the command line\'s');
  equal(first.rows, tsv.slice(1), 'every row is the command line\'s');
  equal(first.counts, 'Записей: 5, показано: 5, ошибок: 1', 'the counts');

  // The CSV downloaded is the command line's, byte for byte.
  const download = page.waitForEvent('download');
  await page.click('#TableSave_csv');
  const csv = await download;
  equal(csv.suggestedFilename(), 'ostrolen-table-sko.csv', 'the CSV file\'s name');
  check(readFileSync(await csv.path()).equals(await run(['table', 'sko', '--format', 'csv'], records)),
    'the CSV downloaded is what ostrolen-cli table --format csv writes');

  // A heading clicked twice: descending.
  await page.click('#TableRows .table-heading >> nth=0');
  await page.click('#TableRows .table-heading >> nth=0');
  await page.waitForFunction(() => document.querySelector('#TableRows .table-heading')?.getAttribute('aria-sort') === 'descending');
  equal((await shown()).rows.map((r) => r[0]), ['кросс 7', '2004', '2003', '2002', '2001'], 'ordered by the label, descending');

  // The filter, folded as the search folds.
  await page.fill('#TableFilter', 'набор номера = ЧАСТОТНЫЙ');
  await page.waitForFunction(() => /показано: [1-4],/.test(document.getElementById('TableCounts').textContent));
  const filtered = await shown();
  const column = filtered.headings.indexOf('Набор номера');
  check(column > 0 && filtered.rows.length > 0 && filtered.rows.every((r) => r[column] === 'Частотный'),
    'the filter keeps the rows whose field has the value', JSON.stringify(filtered.rows));
  await page.fill('#TableFilter', '');
  await page.waitForFunction(() => /показано: 5,/.test(document.getElementById('TableCounts').textContent));

  // Rows chosen by clicks and keys, as the controller chooses them (the window's rule).
  const choice = () => page.evaluate(() => ({
    chosen: [...document.querySelectorAll('#TableRows .table-row[aria-selected="true"]')].map((r) => Number(r.dataset.row)),
    current: Number(document.querySelector('#TableRows .table-row.current')?.dataset.row ?? -1),
  }));
  await page.click('#TableRows .table-row >> nth=0');
  await page.click('#TableRows .table-row >> nth=2', { modifiers: ['Shift'] });
  equal(await choice(), { chosen: [0, 1, 2], current: 2 }, 'a click and a Shift click choose the rows between');
  await page.click('#TableRows .table-row >> nth=1', { modifiers: ['Control'] });
  equal(await choice(), { chosen: [0, 2], current: 1 }, 'a Ctrl click takes a row away');
  await page.keyboard.press('Shift+ArrowDown');
  equal(await choice(), { chosen: [1, 2], current: 2 }, 'Shift and an arrow choose from the anchor');
  await page.keyboard.press('End');
  equal(await choice(), { chosen: [4], current: 4 }, 'End chooses the last row');
  await page.keyboard.press('Control+a');
  equal((await choice()).chosen, [0, 1, 2, 3, 4], 'Ctrl+A chooses every row');
  await page.keyboard.press('Home');
  equal(await choice(), { chosen: [0], current: 0 }, 'Home chooses the first row');

  // A file that is not text: a clear message, the rows stay.
  await page.setInputFiles('#TableFile', { name: 'dump.bin', mimeType: 'application/octet-stream', buffer: Buffer.from('2005\t271A6\n\0\n') });
  await decoded(2);
  const binary = await page.evaluate(() => window.ostrolen.layout.table);
  equal((await shown()).rows.length, 5, 'the rows stay after a binary file');
  check((await shown()).counts.includes('двоичный'), 'a binary file is said to be one', (await shown()).counts);
  check(Boolean(binary), 'the layout has the table\'s texts');

  // A row double-clicked opens on its page, decoded as ostrolen-cli decodes it.
  await page.dblclick('#TableRows .table-row >> text=2002');
  await page.waitForSelector('#TableView', { state: 'detached' });
  await page.evaluate(() => window.ostrolen.whenIdle());
  const lines = await page.evaluate(() => {
    const spec = window.ostrolen.layout.pages.find((p) => p.commands?.some?.((c) => c.name === 'sko')) ||
      window.ostrolen.layout.pages.find((p) => p.sheet === window.ostrolen.layout.commands.sko);
    return [...document.getElementById(spec.lists[0].name).children].map((l) => l.querySelector(':scope > .text')?.textContent ?? l.textContent);
  });
  const alone = (await run(['decode', 'sko', '271A7'], '')).toString('utf8').split('\n').filter(Boolean);
  equal(lines, alone, 'the row opened on its page shows its decode');

  // The segments page: the records looked up in the page's database (the
  // sample built in) by its worker, each row as the command line's.
  const segments = ['a\t0 0', 'b\t1 2', '0 0 0', 'd: 0 0', '3C 1', ''].join('\n');
  await openTable(page, 'segment');
  await page.fill('#TableInput', segments);
  await page.click('#TableBuild');
  await decoded(1);
  const looked = await shown();
  const cliRows = (await run(['table', 'segment'], segments, { cwd: dirname(sample) })).toString('utf8').split('\n')
    .filter(Boolean).map((line) => line.split('\t').map((cell) => cell.replace(/\\(.)/g, (m, c) => ({ t: '\t', n: '\n', r: '\r', '\\': '\\' })[c] ?? m)));
  equal(looked.headings, cliRows[0], 'the segments table\'s headings are the command line\'s');
  equal(looked.rows, cliRows.slice(1), 'every segments row is the command line\'s');
  check(looked.rows[0][2].startsWith('Проверяемое оборудование:; Пример:'), 'a record found in the database shows its lines', looked.rows[0][2]);
  equal(looked.counts, `Записей: 5, показано: 5, ошибок: ${cliRows.slice(1).filter((r) => r[r.length - 1] !== '').length}`, 'the segments table\'s counts');
} finally {
  await close();
}
finish('web_table');
