// The keyboard flow of the window in the browser page, on one page of each
// kind: typing runs from box to box, a pasted word spreads over the boxes,
// Enter presses the box's button, arrows and Backspace move between boxes;
// result lines are copied; the about box. What a press shows is compared
// with ostrolen-cli for the same boxes.
import { launch, openPage, pageTitle } from './browser.mjs';
import { check, equal, finish } from './check.mjs';
import { runCli } from './drive.mjs';

const names = (first, last) => Array.from({ length: last - first + 1 }, (_, i) => `Edit${first + i}`);

const { context, close } = await launch();
try {
  const page = await openPage(context);
  const texts = (list) => page.evaluate((list) => list.map((n) => document.getElementById(n).value), list);
  const focused = () => page.evaluate(() => document.activeElement && document.activeElement.id);
  const lines = (list) =>
    page.evaluate((list) => [...document.getElementById(list).children].map((l) => l.textContent), list);
  const tab = async (...sheets) => {
    for (const sheet of sheets) await page.click(`#tab-${sheet}`);
  };
  const focus = (box) => page.focus(`#${box}`);
  const paste = (text) =>
    page.evaluate((text) => {
      const data = new DataTransfer();
      data.setData('text/plain', text);
      document.activeElement.dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true }));
    }, text);
  const idle = () => page.waitForFunction(() => !window.ostrolen.busy() && !document.querySelector('dialog[open]'));
  // The last press of ostrolen-cli given the texts the page shows now in `boxes`.
  const cliPress = async (button, boxes) => {
    const values = await texts(boxes);
    const presses = await runCli([{ button, settings: boxes.map((b, i) => [b, values[i]]) }]);
    return presses[0];
  };

  // ---- The converter: typing, Enter, Backspace, arrows.
  await tab('TabSheet1');
  await focus('Edit1');
  await page.keyboard.type('271a6');
  equal(await texts(names(1, 5)), ['2', '7', '1', 'a', '6'], 'typing runs from box to box');
  equal(await focused(), 'Edit5', "the code word's last box keeps the focus");
  await page.keyboard.press('Enter');
  await idle();
  const converted = await cliPress('SpeedButton1', names(1, 5));
  equal(await texts(converted.boxes.map(([b]) => b)), converted.boxes.map(([, t]) => t), 'Enter converts the word as ostrolen-cli does');
  check(converted.boxes.length === 16, 'the conversion writes the sixteen bits', JSON.stringify(converted.boxes));
  await focus('Edit6');
  await page.keyboard.type('0101110110100110');
  equal((await texts(names(6, 21))).join(''), '0101110110100110', 'a row of one button runs on across its groups');
  equal(await focused(), 'Edit21', "the page's last box keeps the focus");

  for (const n of names(1, 5)) await page.fill(`#${n}`, '');
  await focus('Edit1');
  await page.keyboard.type('7731');
  equal(await focused(), 'Edit5', 'four characters typed: the fifth box is next');
  await page.keyboard.press('Backspace');
  equal(await focused(), 'Edit4', 'Backspace in an empty box goes back');
  equal(await texts(names(1, 5)), ['7', '7', '3', '', ''], '... and deletes the character there');
  await page.keyboard.press('Backspace');
  await page.keyboard.press('Backspace');
  equal(await focused(), 'Edit2', 'Backspace twice more');
  equal(await texts(names(1, 5)), ['7', '', '', '', ''], '... deletes two more');
  await page.keyboard.type('5');
  equal(await texts(names(1, 3)), ['7', '5', ''], 'typing goes on where Backspace stopped');

  await focus('Edit5');
  await page.keyboard.press('ArrowRight');
  equal(await focused(), 'Edit6', 'Right goes on to the next box');
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  equal(await focused(), 'Edit4', 'Left goes back');
  const layout = await page.evaluate(() => window.ostrolen.layout);
  const converter = layout.pages.find((p) => p.sheet === 'TabSheet1');
  const at = (name) => converter.boxes.findIndex((b) => b.name === name);
  await focus('Edit3');
  await page.keyboard.press('ArrowDown');
  equal(await focused(), converter.boxes[converter.boxes[at('Edit3')].down].name, 'Down goes to the nearest box of the row below');
  check(names(6, 21).includes(await focused()), 'Down from the code word lands in the bit row');
  await page.keyboard.press('ArrowUp');
  check(names(1, 5).includes(await focused()), 'Up comes back to the code word');

  // A box with its own button: Enter presses that one.
  await focus('Edit29');
  await page.keyboard.type('a');
  equal(await focused(), 'Edit29', 'a box read by its own button keeps the focus');
  await page.keyboard.press('Enter');
  await idle();
  const hex = await cliPress('SpeedButton8', ['Edit29']);
  equal(await texts(hex.boxes.map(([b]) => b)), hex.boxes.map(([, t]) => t), "Enter in the HEX box presses its own button");
  check(hex.boxes.length > 0, 'the HEX conversion writes boxes');

  // ---- A fault page: paste, Enter, and the list's lines copied.
  await tab('TabSheet3', 'TabSheet9');
  await focus('Edit74');
  await paste('0075 003F');
  equal(await texts([...names(74, 77), ...names(79, 82)]), ['0', '0', '7', '5', '0', '0', '3', 'F'], 'a pasted word spreads over the boxes');
  equal(await texts(names(100, 103)), ['0', '0', '3', '5'], 'the fixed boxes keep their texts');
  equal(await texts(['Edit78']), [''], 'the bit rows are not written by a paste');
  equal(await focused(), 'Edit82', 'the focus is on the last box written');
  await page.keyboard.press('Enter');
  await idle();
  const uvp = await cliPress('SpeedButton11', [...names(74, 77), ...names(79, 82)]);
  equal(await lines('ListBox4'), uvp.lines, 'Enter on the fault page gives the lines of ostrolen-cli');
  check(uvp.lines.length > 0, 'the fault page shows lines');
  await focus('Edit74');
  await paste('4035');
  equal(await texts([...names(74, 77), ...names(79, 82)]), ['4', '0', '3', '5', '0', '0', '3', 'F'], 'a short paste writes only its characters');
  equal(await focused(), 'Edit79', 'and the focus moves on to the next box');
  await paste('4035 403F');
  await focus('Edit74');
  await paste('4035 403F');
  await page.keyboard.press('Enter');
  await idle();
  const many = await lines('ListBox4');
  check(many.length > 1, 'a message with several faults gives several lines', JSON.stringify(many));
  const copy = () =>
    page.evaluate(() => {
      const data = new DataTransfer();
      document.activeElement.dispatchEvent(new ClipboardEvent('copy', { clipboardData: data, bubbles: true, cancelable: true }));
      return data.getData('text/plain');
    });
  await page.focus('#ListBox4');
  equal(await copy(), many.join('\n'), 'copying a list with nothing selected copies every line');
  await page.click('#ListBox4 > .line:nth-child(2)');
  await page.click('#ListBox4 > .line:nth-child(1)', { modifiers: ['Control'] });
  equal(await copy(), [many[0], many[1]].join('\n'), 'copying the selected lines, in list order');
  // PageDown goes as many lines as the list declares it shows, less one; End to the last.
  const pageStep = await page.evaluate(() => {
    const spec = window.ostrolen.layout.pages.flatMap((p) => p.lists).find((l) => l.name === 'ListBox4');
    return Math.max(1, Math.floor(spec.height / spec.lineHeight) - 1);
  });
  const selectedRows = () => page.evaluate(() =>
    [...document.getElementById('ListBox4').children].flatMap((l, i) => (l.getAttribute('aria-selected') === 'true' ? [i] : [])));
  await page.click('#ListBox4 > .line:nth-child(1)');
  await page.keyboard.press('PageDown');
  equal(await selectedRows(), [Math.min(pageStep, many.length - 1)], 'PageDown goes the visible lines less one');
  await page.keyboard.press('End');
  equal(await selectedRows(), [many.length - 1], 'End goes to the last line');
  await page.keyboard.press('Home');
  equal(await selectedRows(), [0], 'Home goes to the first line');
  const childrenAreLines = await page.evaluate(() =>
    [...document.getElementById('ListBox4').children].every((c) => c.classList.contains('line')));
  check(childrenAreLines, 'every result line is an element of its own');

  // ---- СКО: typing and Enter; then the error box.
  await tab('TabSheet2', 'TabSheet8');
  await focus('Edit274');
  await page.keyboard.type('271A6');
  await page.keyboard.press('Enter');
  await idle();
  const sko = await cliPress('SpeedButton14', names(274, 278));
  equal(await lines('ListBox7'), sko.lines, 'СКО 271A6 as ostrolen-cli decodes it');
  check(sko.lines.length > 5, 'СКО shows its lines');
  await page.click('#Edit274');  // a click readies the full box for a new character
  await page.keyboard.type('G');
  equal(await texts(['Edit274']), ['G'], 'a click into a full box lets the typed character replace its own');
  await page.keyboard.press('Enter');
  const dialog = await page.waitForSelector('dialog[open]');
  const shown = await dialog.evaluate((d) => ({
    caption: document.getElementById(d.getAttribute('aria-labelledby')).textContent,
    text: document.getElementById(d.getAttribute('aria-describedby')).textContent,
    buttons: d.querySelectorAll('button').length,
    modal: d.matches(':modal'),
  }));
  const expected = await cliPress('SpeedButton14', names(274, 278));
  equal(shown.text, expected.messages[0][1], 'the message box shows the text of ostrolen-cli');
  equal(shown.caption, expected.messages[0][0] === 'report' ? 'Ошибка!!!' : pageTitle, 'with the caption of its kind');
  check(shown.modal && shown.buttons === 1, 'a modal box with one button');
  await page.keyboard.press('Enter');
  await idle();
  check((await page.$('dialog[open]')) === null, 'Enter answers the message box');

  // ---- Сегменты: wide boxes type as usual and move at their ends; Enter asks the sample.
  await tab('TabSheet3', 'TabSheet15');
  await focus('Edit329');
  await page.keyboard.type('3C');
  equal(await texts(['Edit329']), ['3C'], 'a wide box takes its characters');
  equal(await focused(), 'Edit329', '... and keeps the focus');
  await page.keyboard.press('ArrowLeft');
  equal(await focused(), 'Edit329', 'Left inside the text moves the cursor');
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowRight');
  equal(await focused(), 'Edit330', 'Right at the end goes to the next box');
  await page.keyboard.type('7');
  await page.keyboard.press('Backspace');
  await page.keyboard.press('Backspace');
  equal(await focused(), 'Edit329', 'Backspace in the empty box goes back into the wide box');
  equal(await texts(['Edit329', 'Edit330']), ['3', ''], '... deleting its last character');

  // ---- УСК: wide boxes, each row with its own button; Enter presses the row's.
  await tab('TabSheet3', 'TabSheet14');
  await focus('Edit340');
  await page.keyboard.type('12345');
  await page.keyboard.press('ArrowRight');
  equal(await focused(), 'Edit342', 'Right at the end of a wide box goes on');
  await page.keyboard.type('0F0F');
  await page.keyboard.press('Enter');
  await idle();
  const usk = await cliPress('SpeedButton20', ['Edit340', 'Edit342', 'Edit343']);
  equal(await lines('ListBox11'), usk.lines, "Enter in a row of УСК presses that row's button, as ostrolen-cli shows");
  check(usk.lines.length > 0 || usk.messages.length > 0, 'the УСК row gives lines or a report');

  // ---- The list's context menu copies too.
  await tab('TabSheet2', 'TabSheet8');
  await page.click('#ListBox7 > .line:nth-child(3)');
  await page.click('#ListBox7 > .line:nth-child(3)', { button: 'right' });
  const menu = await page.waitForSelector('[role="menu"]');
  const items = await menu.evaluate((m) => [...m.querySelectorAll('[role="menuitem"]')].map((i) => i.textContent));
  equal(items, ['Копировать'], 'the context menu of a list offers to copy');
  const copied = page.evaluate(
    () =>
      new Promise((resolve) =>
        window.addEventListener('copy', (event) => resolve(event.clipboardData.getData('text/plain')), { once: true })));
  await page.click('[role="menuitem"]');
  equal(await copied, (await lines('ListBox7'))[2], 'the context menu copies the selected line');
  check((await page.$('[role="menu"]')) === null, 'the menu closes');

  // ---- What a screen reader says for a control: the name the window gives it.
  const labels = await page.evaluate((pages) => {
    const label = (name) => document.getElementById(name)?.getAttribute('aria-label') ?? null;
    return pages.map((p) => [...p.boxes, ...p.buttons, ...p.lists].map((c) => [c.name, label(c.name), c.accessibleName]));
  }, layout.pages);
  const unlabelled = labels.flat().filter(([, label, name]) => !label || label !== name);
  equal(unlabelled, [], 'every box, button and list carries its accessible name as aria-label');
  const repeated = layout.pages.filter((p) => new Set(p.boxes.map((b) => b.accessibleName)).size !== p.boxes.length);
  equal(repeated.map((p) => p.sheet), [], 'no two boxes of a page share a name');
  const label = (name) => page.getAttribute(`#${name}`, 'aria-label');
  equal(await label('Edit277'), 'Слово 0, позиция 4 (до F)', 'a position box of СКО');
  equal(await label('ListBox7'), 'Результат: СКО', 'the result list of СКО');
  equal(await label('SpeedButton3'), 'Декодировать: Первая ступень', 'a button with a picture only');
  const uvpWord = layout.pages.find((p) => p.caption === 'УВП').words[1];
  equal(await label(uvpWord.bitRows[1][9]), 'Проверка, слово 1, бит 10', 'a box of the check row of УВП');
  equal(await label('Edit1'), 'Кодовое слово, позиция 1 (до 7)', 'the code word of the converter');
  await tab('TabSheet2', 'TabSheet8');
  equal(
    await page.getByRole('textbox', { name: 'Слово 0, позиция 4 (до F)', exact: true }).getAttribute('id'),
    'Edit277',
    'the browser finds the box by its name',
  );

  // ---- The about box, twice; the pages unchanged.
  const before = await page.evaluate(() => [...document.querySelectorAll('input.box')].map((b) => b.value).join('|'));
  for (let i = 0; i < 2; ++i) {
    await page.click('#Action2');
    const about = await page.waitForSelector('dialog[open]');
    const info = await about.evaluate((d) => ({
      caption: document.getElementById(d.getAttribute('aria-labelledby')).textContent.replace('×', ''),
      line: d.querySelector('#Label1').textContent,
    }));
    equal(info, { caption: 'О программе', line: 'Ostrolen v.1.0.3' }, 'the about box');
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => !document.querySelector('dialog[open]'));
  }
  const after = await page.evaluate(() => [...document.querySelectorAll('input.box')].map((b) => b.value).join('|'));
  equal(after, before, 'the about box leaves the pages as they were');
  check((await page.$('#Action1')) === null, 'no "Выход" in a browser tab');
  equal(page.errors, [], 'no script errors');
} finally {
  await close();
}
finish('keyboard');
