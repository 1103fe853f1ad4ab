// The session in the browser page: a reference kept with Ctrl+R and the next
// press marked as `ostrolen-cli compare` marks it, the page's own lines
// untouched; the history view (Ctrl+H) choosing an entry again and comparing
// two; the report downloaded (Ctrl+S); the address updated at each press
// and a page opened decoded from it.
import { execFile } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { hangSeconds, launch, openPage, pageUrl } from './browser.mjs';
import { check, equal, finish } from './check.mjs';
import { cli } from './drive.mjs';

const run = (...args) =>
  new Promise((resolve) => {
    execFile(cli, args, { encoding: 'utf8' }, (error, stdout) => resolve(stdout));
  });
const outputLines = (text) => text.split('\n').filter((l, i, all) => i < all.length - 1 || l !== '');
const decode = async (page, words) => outputLines(await run('decode', page, ...words));
// compare's records: [mark, text, old text].
const compare = async (page, before, after) =>
  outputLines(await run('compare', page, ...before, '--', ...after)).map((l) => l.split('\t'));

const commands = [
  { name: 'uvp', button: 'SpeedButton11', before: ['0075', '003F'], after: ['0035', '003F'] },
  { name: 'sko', button: 'SpeedButton14', before: ['271A6'], after: ['371A7'] },
  { name: 'first-stage', button: 'SpeedButton3', before: ['3529C'], after: ['3529D'] },
  { name: 'puu', button: 'SpeedButton16', before: ['0100', '8001'], after: ['0101', '0001'] },
];

// Types the words into the page of `button` (its position boxes in order) and presses it.
async function press(page, button, words) {
  await page.evaluate(
    async ([name, characters]) => {
      const spec = window.ostrolen.layout.pages.find((p) => p.buttons.some((b) => b.name === name));
      const boxes = spec.words.flatMap((w) => w.positions);
      boxes.forEach((box, i) => { document.getElementById(box).value = characters[i] ?? ''; });
      // The page in front, as the operator sees it: its tab and every tab above it.
      for (let sheet = document.getElementById(spec.sheet); sheet; sheet = sheet.parentElement.closest('.sheet')) {
        if (sheet.hidden) document.getElementById(`tab-${sheet.id}`).click();
      }
      await window.ostrolen.press(name);
    },
    [button, [...words.join('')]],
  );
}

// What the list of `button`'s page shows: every line with its mark (drawn
// before its text), old value, description and tooltip; a gone line is a
// line of the list.
const shown = (page, button) =>
  page.evaluate((name) => {
    const spec = window.ostrolen.layout.pages.find((p) => p.buttons.some((b) => b.name === name));
    const list = document.getElementById(spec.lists[0].name);
    const lines = [...list.children].map((l) => ({
      text: l.querySelector(':scope > .text')?.textContent ?? l.textContent,
      mark: l.dataset.mark ?? '',
      old: l.querySelector(':scope > .old')?.textContent ?? '',
      gone: l.classList.contains('gone'),
      description: l.getAttribute('aria-description') ?? '',
      tip: l.title,
      drawn: l.querySelector(':scope > .mark')?.textContent ?? '',
      first: l.firstElementChild?.className ?? '',
    }));
    return { lines, visible: list.offsetParent !== null };
  }, button);

// The records compare would print, read back from what the list shows.
function recordsOf(view) {
  return view.lines.map((line) => {
    if (line.mark !== '~') return [line.mark, line.text];
    // The old text in full is in the description; beside the line its value.
    const old = line.description.split('; ')[0].replace(/^изменено, было: /, '');
    return ['~', line.text, line.old.startsWith('было: ') && old.endsWith(line.old.slice(6)) ? old : `beside: ${line.old}`];
  });
}

// Chooses the history's entries of `numbers`: a click on the first, a Ctrl+click on each other.
async function pick(page, numbers) {
  for (const [i, number] of numbers.entries()) {
    await page.click(`#HistoryEntries .line[data-number="${number}"]`, { modifiers: i ? ['Control'] : [] });
  }
}

const { context, close } = await launch();
try {
  // ---- Marks on each page against the reference.
  for (const command of commands) {
    const page = await openPage(context);
    await press(page, command.button, command.before);
    equal(await page.evaluate(() => location.hash), `#${command.name}=${command.before.join('-')}`,
      `${command.name}: the address follows the press`);
    equal((await shown(page, command.button)).lines.map((l) => l.mark), (await decode(command.name, command.before)).map(() => ''),
      `${command.name}: no marks before a reference is kept`);
    await page.keyboard.press('Control+r');
    await press(page, command.button, command.after);
    const view = await shown(page, command.button);
    equal(view.lines.filter((l) => !l.gone).map((l) => l.text), await decode(command.name, command.after),
      `${command.name}: the page's own lines stay as they are`);
    const records = await compare(command.name, command.before, command.after);
    equal(recordsOf(view), records, `${command.name}: the marks are compare's`);
    check(records.some((r) => r[0] !== '='), `${command.name}: the pair differs`);
    check(view.lines.every((l) => l.description.startsWith({ '=': 'без изменений', '~': 'изменено, было: ', '+': 'новая строка', '-': 'строки больше нет' }[l.mark])),
      `${command.name}: each mark has its description`, JSON.stringify(view.lines.map((l) => l.description)));
    check(view.lines.every((l) => l.drawn === l.mark && l.first === 'mark'), `${command.name}: each mark is drawn before its line`);
    check(view.lines.every((l) => !l.gone || l.tip.includes('строки больше нет')), `${command.name}: a gone line says so in its tooltip`);
    if (command.name === 'uvp') {
      check(recordsOf(view).some((r) => r[0] === '-' && r[1] === 'БВ 01-60 УВП 0-3'), 'uvp: the gone line is shown');
    }
    equal(page.errors, [], `${command.name}: no script errors`);
    await page.close();
  }

  // ---- History, choose, compare two, download.
  const page = await openPage(context);
  await press(page, 'SpeedButton11', ['0075', '003F']);
  await press(page, 'SpeedButton14', ['271A6']);
  await press(page, 'SpeedButton11', ['0035', '003F']);
  await page.keyboard.press('Control+h');
  await page.waitForSelector('#HistoryView[open]');
  const titles = await page.$$eval('#HistoryEntries .line', (o) => o.map((x) => x.textContent));
  equal(titles.length, 3, 'history: three presses');
  check(/^3\. \d\d:\d\d:\d\d {2}uvp {2}0035 003F$/.test(titles[0]), 'history: the newest first', titles[0]);
  check(/^1\. \d\d:\d\d:\d\d {2}uvp {2}0075 003F$/.test(titles[2]), 'history: the oldest last', titles[2]);
  equal(await page.$eval('#CompareEntries', (b) => b.disabled), true, 'history: compare needs two entries');
  await pick(page, [2]);
  await page.click('#ChooseEntry');
  await page.waitForFunction(() => !document.getElementById('HistoryView'));
  await page.waitForFunction(() => location.hash === '#sko=271A6');
  const sko = await shown(page, 'SpeedButton14');
  check(sko.visible, 'choose: the entry\'s page is in front');
  equal(sko.lines.map((l) => l.text), await decode('sko', ['271A6']), 'choose: the entry pressed again');

  await page.keyboard.press('Control+h');
  await page.waitForSelector('#HistoryView[open]');
  await pick(page, [1, 4]);
  equal(await page.$eval('#CompareEntries', (b) => b.disabled), true, 'history: two pages are not compared');
  await pick(page, [1, 3]);
  equal(await page.$eval('#CompareEntries', (b) => b.disabled), false, 'history: two entries of one page');
  await page.click('#CompareEntries');
  await page.waitForFunction(() => location.hash === '#uvp=0035-003F');
  const compared = await shown(page, 'SpeedButton11');
  check(compared.visible, 'compare: the page is in front');
  equal(recordsOf(compared), await compare('uvp', ['0075', '003F'], ['0035', '003F']), 'compare: the marks of two entries');

  // Both reports are downloads: the two events, in either order.
  const saved = [];
  const bothSaved = new Promise((resolve) => page.on('download', (d) => saved.push(d) === 2 && resolve()));
  await page.keyboard.press('Control+s');
  await Promise.race([bothSaved, new Promise((resolve) => setTimeout(resolve, hangSeconds * 1000).unref())]);
  const downloads = [...saved];
  equal(downloads.map((d) => d.suggestedFilename()).sort(), ['ostrolen-history.html', 'ostrolen-history.txt'], 'save: two files');
  for (const download of downloads) {
    const text = readFileSync(await download.path(), 'utf8');
    check(text.includes('uvp  0075 003F') && text.includes('sko=271A6'), `save: ${download.suggestedFilename()} has every entry`);
    if (download.suggestedFilename().endsWith('.txt')) {
      check(text.includes('   - БВ 01-60 УВП 0-3'), 'save: the text report has the marks');
    } else {
      check(text.includes('<tr class="gone">') && text.startsWith('<!DOCTYPE html>'), 'save: the HTML report has the marks');
    }
  }
  equal(page.errors, [], 'history: no script errors');
  await page.close();

  // ---- An address opens its page decoded.
  for (const [address, name, words] of [['#sko=271A6', 'sko', ['271A6']], ['#uvp=0075-003F', 'uvp', ['0075', '003F']]]) {
    const opened = await openPage(context, pageUrl + address);
    const button = commands.find((c) => c.name === name).button;
    await opened.waitForFunction((b) => {
      const spec = window.ostrolen.layout.pages.find((p) => p.buttons.some((x) => x.name === b));
      return document.getElementById(spec.lists[0].name).children.length > 0;
    }, button);
    const view = await shown(opened, button);
    check(view.visible, `${address}: its page is in front`);
    equal(view.lines.map((l) => l.text), await decode(name, words), `${address}: decoded`);
    equal(await opened.evaluate(() => location.hash), address, `${address}: the address stays`);
    await opened.close();
  }
  const junk = await openPage(context, `${pageUrl}#nowhere=1`);
  equal(junk.errors, [], 'an address naming no page is left alone');
  await junk.close();
} finally {
  await close();
}
finish('web_session');
