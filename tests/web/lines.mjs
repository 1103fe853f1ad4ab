// Explaining and composing result lines in the browser page: a selected
// line lights the boxes its bits are in and names them in its tooltip, as
// `ostrolen-cli decode --explain` gives its bits; a line's switch, menu,
// number editor and form menu change the words as `ostrolen-cli encode`
// does, the page then showing what `ostrolen-cli decode` shows; Ctrl+Z takes
// a change back.
import { execFile } from 'node:child_process';
import { launch, openPage } from './browser.mjs';
import { check, equal, finish } from './check.mjs';
import { cli } from './drive.mjs';

const run = (...args) =>
  new Promise((resolve, reject) => {
    execFile(cli, args, { encoding: 'utf8' }, (error, stdout, stderr) => {
      if (error) reject(new Error(`ostrolen-cli ${args.join(' ')}: ${stderr}`));
      else resolve(stdout);
    });
  });
const outputLines = (text) => text.split('\n').filter((l, i, all) => i < all.length - 1 || l !== '');
const encode = async (page, words, setting) => outputLines(await run('encode', page, ...words, setting));
const decode = async (page, words) => outputLines(await run('decode', page, ...words));
// Each line's bits by --explain, "w0:....1..........." items joined by a blank.
const explained = async (page, words) =>
  outputLines(await run('decode', '--explain', page, ...words)).map((l) => l.split('\t'));
const fields = async (page) =>
  new Map(outputLines(await run('encode', page, '--fields')).map((l) => {
    const [name, , ...values] = l.split('\t');
    return [name, values];
  }));
const names = (first, count) => Array.from({ length: count }, (_, i) => `Edit${first + i}`);
// A line's field: its text before " = " or "=", without trailing blanks.
const fieldName = (text) => text.split('=')[0].trimEnd();

// The source the tooltip describes, rebuilt as --explain writes it:
// "Слово 0, биты 5–9 (позиции 2–4): 10110; бит 12 (позиция 4): 1".
function tipSource(tip) {
  return tip
    .split('\n')
    .map((line) => {
      const [, word, runs] = /^Слово (\d+), (.*)$/.exec(line) || [];
      const bits = Array(16).fill('.');
      for (const run of (runs || '').split('; ')) {
        const m = /^биты? (\d+)(?:–(\d+))? \(позици[яи] [\d–]+\): ([01]+)$/.exec(run);
        if (!m) return `unreadable ${run}`;
        const first = Number(m[1]);
        [...m[3]].forEach((v, i) => { bits[first - 1 + i] = v; });
      }
      return `w${word}:${bits.join('')}`;
    })
    .join(' ');
}
// The positions the tooltip names, word by word.
function tipPositions(tip) {
  const positions = [];
  for (const line of tip.split('\n')) {
    const word = Number(/^Слово (\d+)/.exec(line)[1]);
    for (const m of line.matchAll(/\(позици[яи] (\d+)(?:–(\d+))?\)/g)) {
      for (let p = Number(m[1]); p <= Number(m[2] || m[1]); ++p) positions.push([word, p]);
    }
  }
  return positions;
}

const { context, close } = await launch();
try {
  const page = await openPage(context);
  const layout = await page.evaluate(() => window.ostrolen.layout);
  const pageOf = (sheet) => layout.pages.find((p) => p.sheet === sheet);
  // The tabs that lead to a page.
  const pathTo = (node, sheet) => {
    if (node.sheet === sheet) return [];
    for (const child of node.children || []) {
      const rest = pathTo(child, sheet);
      if (rest) return [child.sheet, ...rest];
    }
    return null;
  };
  const show = async (sheet) => {
    for (const s of pathTo(layout.tree, sheet)) await page.click(`#tab-${s}`);
  };
  const idle = () => page.waitForFunction(() => !window.ostrolen.busy() && !document.querySelector('dialog[open]'));
  const texts = (boxes) => page.evaluate((boxes) => boxes.map((n) => document.getElementById(n).value), boxes);
  const lines = (list) =>
    page.evaluate((list) => [...document.getElementById(list).children].map((l) => l.textContent), list);
  const lit = () => page.evaluate(() => [...document.querySelectorAll('input.box.explained')].map((b) => b.id).sort());
  const selected = (list) =>
    page.evaluate((list) => [...document.querySelectorAll(`#${list} .line[aria-selected="true"]`)].map((l) => l.textContent), list);
  const lineOf = (list, name) => page.locator(`#${list} .line`).filter({ hasText: name }).first();
  const enter = async (boxes, words) => {
    const digits = words.join('');
    await page.evaluate(([boxes, digits]) => boxes.forEach((b, i) => { document.getElementById(b).value = digits[i]; }), [boxes, digits]);
  };
  const words = async (boxes) => {
    const t = (await texts(boxes)).join('');
    return t.match(/.{5}/g);
  };

  // ---- Explaining: every line of a subscriber page and of a fault page.
  const explainPage = async (sheet, cliPage, boxes, button, given, expectedBoxes) => {
    const spec = pageOf(sheet);
    const list = spec.lists[0].name;
    await show(sheet);
    await enter(boxes, given);
    await page.click(`#${button}`);
    await idle();
    const expected = await explained(cliPage, given);
    equal(await lines(list), expected.map(([t]) => t), `${cliPage}: the lines`);
    equal(await lit(), [], `${cliPage}: nothing lit before a line is chosen`);
    const count = expected.length;
    check(expected.some(([, s]) => s), `${cliPage}: some line has bits`);
    if (process.env.OSTROLEN_WEB_VERBOSE) console.log(cliPage, JSON.stringify(expected));
    for (let i = 0; i < count; ++i) {
      const line = page.locator(`#${list} .line`).nth(i);
      if (i === 0) await line.click();
      else await page.keyboard.press('ArrowDown');  // the arrow keys choose lines too
      const [text, source] = expected[i];
      equal(await selected(list), [text], `${cliPage} line ${i}: selected`);
      const tip = await line.getAttribute('title');
      if (!source) {
        equal(tip, null, `${cliPage} line ${i}: no tooltip for a line of no bits`);
        equal(await lit(), [], `${cliPage} line ${i}: nothing lit`);
        continue;
      }
      equal(tipSource(tip), source, `${cliPage} line ${i} (${text}): the tooltip's bits`);
      equal(await lit(), expectedBoxes(source, tip).sort(), `${cliPage} line ${i} (${text}): the boxes lit`);
      const colours = await page.evaluate((list) => {
        const line = document.querySelector(`#${list} .line[aria-selected="true"]`);
        const box = document.querySelector('input.box.explained');
        return [getComputedStyle(line).backgroundColor, box && getComputedStyle(box).backgroundColor];
      }, list);
      equal(colours, ['rgb(255, 227, 140)', 'rgb(255, 227, 140)'], `${cliPage} line ${i}: the line and its boxes in one colour`);
    }
    if (process.env.OSTROLEN_WEB_SHOTS) await page.screenshot({ path: `${process.env.OSTROLEN_WEB_SHOTS}/${cliPage}-line-chosen.png` });
    await page.click(`#${button}`);
    await idle();
    equal([await lit(), await selected(list)], [[], []], `${cliPage}: a press puts the light out`);
    await line0Click(list);
    await page.locator(`#${boxes[0]}`).press('Backspace');
    equal(await lit(), [], `${cliPage}: an edit of a box puts the light out`);
  };
  const line0Click = async (list) => {
    // A line with bits, to light something before the next step.
    const n = await page.locator(`#${list} .line[title]`).count();
    if (n) await page.locator(`#${list} .line[title]`).first().click();
    check(n === 0 || (await lit()).length > 0, 'a line with bits lights boxes');
  };

  const sko = pageOf('TabSheet8');
  const skoBoxes = names(274, 5);
  // A code word's positions: the tooltip names them, the page lights their boxes.
  await explainPage('TabSheet8', 'sko', skoBoxes, 'SpeedButton14', ['271A6'], (source, tip) =>
    tipPositions(tip).map(([w, p]) => sko.words[w].positions[p - 1]));
  // A fault page: each bit's box in the mask and the check rows.
  const uvp = layout.pages.find((p) => p.words.length && p.words[0].bitRows.length === 2);
  check(uvp !== undefined, 'a fault page with a mask and a check row');
  const faultBoxes = (source) => {
    const ids = [];
    for (const item of source.split(' ')) {
      const [, w, bits] = /^w(\d+):(.{16})$/.exec(item);
      for (const row of uvp.words[Number(w)].bitRows) [...bits].forEach((b, i) => { if (b !== '.') ids.push(row[i]); });
    }
    return ids;
  };
  if (uvp) {
    const inputs = uvp.boxes.filter((b) => b.role === 'input').map((b) => b.name);
    const given = uvp.words.length === 2 ? ['0075', '003F'] : ['0030'];
    const cliPage = { 2: 'uvp', 1: 'bg' }[uvp.words.length];
    await show(uvp.sheet);
    await page.evaluate(([inputs, digits]) => inputs.forEach((b, i) => { document.getElementById(b).value = digits[i] || ''; }),
      [inputs, given.join('')]);
    await explainPage(uvp.sheet, cliPage, inputs, uvp.buttons[0].name, given, faultBoxes).catch((e) => check(false, String(e)));
  }

  // ---- Composing on СКО.
  const skoList = sko.lists[0].name;
  const skoFields = await fields('sko');
  const expectPage = async (cliPage, boxes, list, wordsNow, what, field) => {
    equal(await words(boxes), wordsNow, `${what}: the words in the boxes`);
    equal(await lines(list), await decode(cliPage, wordsNow), `${what}: the lines`);
    if (field) equal((await selected(list)).map(fieldName), [field], `${what}: the line of the field chosen again`);
  };
  await show('TabSheet8');
  await enter(skoBoxes, ['271A6']);
  await page.click('#SpeedButton14');
  await idle();
  let now = ['271A6'];
  const history = [];
  const step = async (what, field, setting, act) => {
    history.push(now);
    const next = await encode('sko', now, setting);
    await act();
    await idle();
    await expectPage('sko', skoBoxes, skoList, next, what, field);
    now = next;
  };
  // A two-state line switches at a double-click...
  const dialing = 'Набор номера';
  const dialingValue = fieldName((await lines(skoList)).find((l) => l.startsWith(dialing)).split('= ')[1]);
  const otherDialing = skoFields.get(dialing).find((v) => v !== dialingValue);
  await step('double-click', dialing, `${dialing}=${otherDialing}`, () => lineOf(skoList, dialing).dblclick());
  check((await lit()).length > 0, 'after a switch the chosen line lights its boxes');
  // OSTROLEN_WEB_SHOTS=DIR keeps a picture of the page after the switch, to look at.
  if (process.env.OSTROLEN_WEB_SHOTS) await page.screenshot({ path: `${process.env.OSTROLEN_WEB_SHOTS}/sko-after-switch.png` });
  // ...and at Enter.
  const service = 'Услуга "КФ"(КФ)';
  const serviceValue = (await lines(skoList)).find((l) => l.startsWith(service)).split(' = ')[1];
  const otherService = skoFields.get(service).find((v) => v !== serviceValue);
  await lineOf(skoList, service).click();
  await step('Enter', service, `${service}=${otherService}`, () => page.keyboard.press('Enter'));
  // A choice from the menu, which lists every value with the current one marked.
  const type = 'Тип абонентской линии';
  await lineOf(skoList, type).click({ button: 'right' });
  const items = await page.evaluate(() =>
    [...document.querySelectorAll('.menu > .menu-item')].map((i) => [i.textContent, i.getAttribute('aria-checked')]));
  const typeValue = (await lines(skoList)).find((l) => l.startsWith(type)).split(' = ')[1];
  equal(items, [...skoFields.get(type).map((v) => [v, String(v === typeValue)]), [layout.web.copyLines, null]],
    'the menu of a line: its values, the current one marked, then copying');
  const chosen = skoFields.get(type).find((v) => v !== typeValue && !v.startsWith('0b'));
  await step('menu choice', type, `${type}=${chosen}`, () =>
    page.locator('.menu > .menu-item').filter({ hasText: new RegExp(`^${chosen.replace(/[()".]/g, '\\$&')}$`) }).click());
  // Ctrl+Z takes the changes back, one at a time.
  for (const what of ['menu choice', 'Enter', 'double-click']) {
    await page.keyboard.press('Control+z');
    await idle();
    now = history.pop();
    await expectPage('sko', skoBoxes, skoList, now, `Ctrl+Z after the ${what}`);
  }
  equal(now, ['271A6'], 'Ctrl+Z back to the word first given');
  // A line of a bad word offers copying only.
  await page.fill(`#${skoBoxes[4]}`, 'Ж');
  await lineOf(skoList, type).click({ button: 'right' });
  equal(await page.evaluate(() => [...document.querySelectorAll('.menu .menu-item')].map((i) => i.textContent)),
    [layout.web.copyLines], 'a bad character in the boxes: the menu offers copying only');
  await page.keyboard.press('Escape');
  await page.fill(`#${skoBoxes[4]}`, '6');

  // ---- A number on the second stage: the editor refuses what the field cannot hold.
  const second = pageOf('TabSheet5');
  const secondBoxes = names(34, 20);
  const secondList = second.lists[0].name;
  const secondWords = ['03245', '253A7', '12345', '701F0'];
  await show('TabSheet5');
  await enter(secondBoxes, secondWords);
  await page.click(`#${second.buttons[0].name}`);
  await idle();
  const count = 'Количество сокращённых номеров';
  const [low, high] = (await fields('second-stage')).get(count)[0].split('..');
  await lineOf(secondList, count).dblclick();
  await page.waitForSelector('#NumberEditor[open]');
  check((await page.textContent('#NumberEditor label')).includes(`(от ${low} до ${high}):`), 'the editor shows the range',
    await page.textContent('#NumberEditor label'));
  const okDisabled = () => page.evaluate(() => document.querySelector('#NumberEditor .ok').disabled);
  await page.fill('#NumberEditorValue', String(Number(high) + 1));
  check(await okDisabled(), 'a number over the range: OK is disabled');
  await page.keyboard.press('Enter');
  check(await page.isVisible('#NumberEditor[open]'), 'Enter does not take a refused number');
  await page.fill('#NumberEditorValue', 'x');
  check(await okDisabled(), 'a letter: OK is disabled');
  // A text that names no value grows to 18 characters, as in the window, and no further.
  await page.type('#NumberEditorValue', 'y'.repeat(30));
  equal(await page.inputValue('#NumberEditorValue'), 'x' + 'y'.repeat(17), 'a text that is no value stops at 18 characters');
  const value = String(Number(high) - 2);
  await page.fill('#NumberEditorValue', value);
  check(!(await okDisabled()), 'a number in range: OK is enabled');
  const secondNext = await encode('second-stage', secondWords, `${count}=${value}`);
  await page.click('#NumberEditor .ok');
  await idle();
  await expectPage('second-stage', secondBoxes, secondList, secondNext, 'a number', count);
  await page.keyboard.press('Control+z');
  await idle();
  await expectPage('second-stage', secondBoxes, secondList, secondWords, 'Ctrl+Z after a number');

  // ---- The first stage's form.
  const first = pageOf('TabSheet4');
  const firstBoxes = names(22, 5);
  const firstList = first.lists[0].name;
  await show('TabSheet4');
  await enter(firstBoxes, ['3529C']);
  await page.click(`#${first.buttons[0].name}`);
  await idle();
  const forms = (await fields('first-stage')).get('форма');
  const line = page.locator(`#${firstList} .line[title]`).first();
  const lineField = fieldName(await line.textContent());
  await line.click({ button: 'right' });
  const formItem = page.locator('.menu .has-submenu');
  await formItem.hover();
  const formItems = await page.evaluate(() =>
    [...document.querySelectorAll('.menu .submenu .menu-item')].map((i) => [i.textContent, i.getAttribute('aria-checked')]));
  const current = formItems.find(([, c]) => c === 'true');
  equal(formItems.map(([t]) => t), forms, 'the form menu lists both forms');
  check(current !== undefined, 'the current form is marked');
  const other = forms.find((f) => f !== current?.[0]);
  const firstNext = await encode('first-stage', ['3529C'], `форма=${other}`);
  await page.locator('.menu .submenu .menu-item').filter({ hasText: other }).click();
  await idle();
  equal(await words(firstBoxes), firstNext, 'a form switch: the words in the boxes');
  equal(await lines(firstList), await decode('first-stage', firstNext), 'a form switch: the lines');
  const reselected = await selected(firstList);
  check(reselected.length <= 1 && reselected.every((t) => fieldName(t) === lineField),
    'a form switch: the same field chosen again, if its line is still there');
  await page.keyboard.press('Control+z');
  await idle();
  await expectPage('first-stage', firstBoxes, firstList, ['3529C'], 'Ctrl+Z after a form switch');

  // Every line of a field on the five pages that compose words: its menu
  // offers the values `ostrolen-cli encode PAGE --fields` lists (the current
  // one marked), or the number editor for a range.
  const composing = [
    ['first-stage', 'TabSheet4', 22, ['3529C']],
    ['second-stage', 'TabSheet5', 34, ['03245', '253A7', '12345', '701F0']],
    ['third-stage', 'TabSheet7', 54, ['1235C', '5227F', '00000', '00000']],
    ['sko', 'TabSheet8', 274, ['271A6']],
    ['rko', 'TabSheet13', 279, ['00359', '362C5']],
  ];
  for (const [cliPage, sheet, firstBox, given] of composing) {
    const spec = pageOf(sheet);
    const list = spec.lists[0].name;
    const listed = await fields(cliPage);
    await show(sheet);
    await enter(names(firstBox, 5 * given.length), given);
    await page.click(`#${spec.buttons[0].name}`);
    await idle();
    const count = await page.locator(`#${list} .line`).count();
    let offered = 0;
    for (let i = 0; i < count; ++i) {
      const line = page.locator(`#${list} .line`).nth(i);
      const text = await line.textContent();
      await line.click({ button: 'right' });
      const items = await page.evaluate(() =>
        [...document.querySelector('.menu:not(.submenu)').children].filter((i) => i.matches('.menu-item:not(.has-submenu)')).map((i) => [i.textContent, i.getAttribute('aria-checked')]));
      await page.keyboard.press('Escape');
      // The field whose name the line starts with (the longest such name).
      const name = [...listed.keys()].filter((k) => text.startsWith(k)).sort((x, y) => y.length - x.length)[0];
      const values = name && listed.get(name);
      const own = items.slice(0, -1);
      if (!values) {
        equal(own, [], `${cliPage} line ${i} (${text}): no field, copying only`);
        continue;
      }
      ++offered;
      if (values.length === 1 && values[0].includes('..')) {
        equal(own.map(([, c]) => c), [null], `${cliPage} line ${i} (${text}): a number's one item`);
      } else {
        equal(own.map(([t]) => t), values, `${cliPage} line ${i} (${text}): the values`);
        const marked = own.filter(([, c]) => c === 'true').map(([t]) => t);
        const shown = text.slice(name.length).replace(/^\s*=?\s*/, '').trim() || null;
        check(marked.length === 1 && (shown === null || marked[0] === shown), `${cliPage} line ${i} (${text}): the current value marked`,
          JSON.stringify(marked));
      }
    }
    check(offered > 0, `${cliPage}: some lines offer values`);
  }

  // Each page keeps its own chosen line: choosing one on another page, or
  // a press there, puts out nothing here.
  await show('TabSheet8');
  await lineOf(skoList, type).click();
  const skoLit = (await lit()).filter((b) => skoBoxes.includes(b));
  await show('TabSheet4');
  await page.locator(`#${firstList} .line[title]`).first().click();
  const both = await lit();
  check(skoLit.length > 0 && skoLit.every((b) => both.includes(b)) && both.some((b) => firstBoxes.includes(b)),
    'a line chosen on another page leaves this page\'s boxes lit', JSON.stringify([skoLit, both]));
  await page.click(`#${first.buttons[0].name}`);
  await idle();
  const after = await lit();
  check(skoLit.every((b) => after.includes(b)) && !after.some((b) => firstBoxes.includes(b)),
    'a press puts out its own page\'s boxes only', JSON.stringify(after));

  equal(page.errors, [], 'no script errors');
} finally {
  await close();
}
finish('lines');
