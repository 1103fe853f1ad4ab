// What a small screen and a browser without the file picker meet: the menu
// of a long line stays whole inside the view (upwards when there is no room
// below, scrolling inside itself when it is taller than the view), and the
// plain file chooser takes the same file again after it changed on disk.
import { copyFileSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chooseFile, launch, openPage, pageTitle, root } from './browser.mjs';
import { check, equal, finish } from './check.mjs';
import { difference, runCli, runInPage } from './drive.mjs';

const fixtures = process.env.OSTROLEN_SEGMENT_FIXTURES || join(root, 'build/test/tests/pages/segments/fixtures');
const sample = process.env.OSTROLEN_WEB_SAMPLE || join(root, 'build/web/native/sample/dbveltra.mdb');
const work = mkdtempSync(join(tmpdir(), 'ostrolen-menu-chooser-'));

const { context, close } = await launch();
try {
  // ---- The menu of "Тип абонентской линии" on СКО: 16 values and copying.
  const page = await openPage(context);
  const layout = await page.evaluate(() => window.ostrolen.layout);
  const sko = layout.pages.find((p) => p.sheet === 'TabSheet8');
  const pathTo = (node, sheet) => {
    if (node.sheet === sheet) return [];
    for (const child of node.children || []) {
      const rest = pathTo(child, sheet);
      if (rest) return [child.sheet, ...rest];
    }
    return null;
  };
  for (const s of pathTo(layout.tree, 'TabSheet8')) await page.click(`#tab-${s}`);
  await page.evaluate(() => {
    '271A6'.split('').forEach((d, i) => { document.getElementById(`Edit${274 + i}`).value = d; });
  });
  await page.click('#SpeedButton14');
  await page.waitForFunction(() => !window.ostrolen.busy());
  const list = sko.lists[0].name;
  const line = page.locator(`#${list} .line`).filter({ hasText: 'Тип абонентской линии' }).first();

  // Where the open menu lies, and whether its last item can be shown.
  const placed = () => page.evaluate(() => {
    const menu = document.querySelector('.menu');
    const box = menu.getBoundingClientRect();
    const items = [...menu.children].filter((i) => i.matches('.menu-item'));
    const viewWidth = document.documentElement.clientWidth;
    const viewHeight = document.documentElement.clientHeight;
    // Measured before the focus moves, which may scroll the page to the item.
    const last = items.at(-1);
    last.focus();
    const lastBox = last.getBoundingClientRect();
    const nowBox = menu.getBoundingClientRect();
    return {
      top: box.top, bottom: box.bottom, left: box.left, right: box.right, viewWidth, viewHeight,
      items: items.length, scrolls: menu.scrollHeight > menu.clientHeight + 1,
      lastInside: lastBox.top >= nowBox.top - 1 && lastBox.bottom <= nowBox.bottom + 1 && lastBox.top >= 0 &&
        lastBox.bottom <= viewHeight + 0.5,
    };
  });
  const inView = (at, what) => {
    check(at.top >= 0 && at.bottom <= at.viewHeight + 0.5, `${what}: the menu's top and bottom are in the view`,
      JSON.stringify(at));
    check(at.left >= 0 && at.right <= at.viewWidth + 0.5, `${what}: the menu's sides are in the view`, JSON.stringify(at));
    equal(at.items, 17, `${what}: the 16 values and copying`);
    check(at.lastInside, `${what}: the last item can be shown inside the menu`, JSON.stringify(at));
  };

  let full = 0;
  for (const height of [600, 420, 300, 160]) {
    await page.setViewportSize({ width: 840, height });
    for (const where of ['start', 'end']) {
      // The line at the top of the view, then at its bottom; the mouse, then the keyboard.
      await line.evaluate((e, where) => e.scrollIntoView({ block: where }), where);
      const lineBox = await line.boundingBox();
      const y = lineBox.y + lineBox.height / 2;
      await page.mouse.click(lineBox.x + 10, y, { button: 'right' });
      const byMouse = await placed();
      const what = `view ${height} px high, line at the ${where}`;
      inView(byMouse, `${what}, mouse`);
      const height0 = byMouse.bottom - byMouse.top;
      if (!byMouse.scrolls) full = Math.max(full, height0);
      if (!byMouse.scrolls && y + height0 <= byMouse.viewHeight) {
        check(Math.abs(byMouse.top - y) <= 1, `${what}: room below, so the menu opens downwards from the point`,
          JSON.stringify({ y, ...byMouse }));
      } else if (!byMouse.scrolls && y >= height0) {
        check(Math.abs(byMouse.bottom - y) <= 1, `${what}: no room below, so the menu opens upwards from the point`,
          JSON.stringify({ y, ...byMouse }));
      } else if (byMouse.scrolls) {
        check(height0 <= byMouse.viewHeight + 0.5, `${what}: taller than the view, the menu scrolls inside it`);
      }
      await page.keyboard.press('Escape');
      await line.click();
      await page.keyboard.press('Shift+F10');
      inView(await placed(), `${what}, Shift+F10`);
      await page.keyboard.press('Escape');
    }
  }
  check(full > 160, 'the menu is taller than the smallest view', String(full));
  // A choice at the bottom of a scrolled menu still changes the line.
  await line.click({ button: 'right' });
  const before = await line.textContent();
  await page.keyboard.press('ArrowUp');  // copying, the last item
  await page.keyboard.press('ArrowUp');  // the last value
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !window.ostrolen.busy());
  const after = await line.textContent();
  check(after !== before, 'a value chosen in a scrolled menu changes the line', after);
  await line.click({ button: 'right' });
  const marked = await page.evaluate(() =>
    [...document.querySelectorAll('.menu > .menu-item')].map((i) => i.getAttribute('aria-checked')));
  await page.keyboard.press('Escape');
  equal(marked.indexOf('true'), 15, 'the last value, chosen in a scrolled menu, is the current one');
  await page.close();

  // ---- The plain file chooser, where the browser has no file picker.
  await context.addInitScript(() => {
    delete Window.prototype.showOpenFilePicker;
    delete window.showOpenFilePicker;
  });
  const plain = await openPage(context);
  equal(await plain.evaluate(() => typeof window.showOpenFilePicker), 'undefined', 'the page runs without the picker');
  const file = join(work, 'chosen.mdb');
  const lookups = [['0', '0'], ['12', '1'], ['3C', '5'], ['0', '']];
  const session = lookups.map(([segment, step]) => ({
    button: 'SpeedButton17', settings: [['Edit329', segment], ['Edit330', step]],
  }));
  const onDesktop = (from) => {
    const folder = mkdtempSync(join(work, 'cli-'));
    copyFileSync(from, join(folder, 'dbveltra.mdb'));
    return runCli(session, { cwd: folder });
  };
  const choose = async () => equal(await chooseFile(plain, file), 'Запрос читает файл chosen.mdb', 'the chosen file is named');
  const answers = async (from, what) => {
    const [[inPage], desktop] = await Promise.all([runInPage(plain, [session]), onDesktop(from)]);
    const diff = difference(inPage, desktop, pageTitle);
    check(diff === null, what, diff);
    return desktop;
  };

  copyFileSync(sample, file);
  await choose();
  const first = await answers(sample, 'the chosen file answers as on the desktop');
  // The file changes on disk; the same file is chosen again and read afresh.
  copyFileSync(join(fixtures, 'lookup.mdb'), file);
  await choose();
  const second = await answers(join(fixtures, 'lookup.mdb'), 'the same file chosen again after it changed: its new answers');
  check(JSON.stringify(first) !== JSON.stringify(second), 'the two files answer differently');
  check(second.every((p) => p.messages.length === 0) && second[0].lines.length > 0, 'the changed file gives lines',
    JSON.stringify(second[0]));
  // And once more, unchanged: still the same answers.
  await choose();
  await answers(join(fixtures, 'lookup.mdb'), 'the same file chosen a third time');
  equal(plain.errors, [], 'no script errors');
} finally {
  await close();
  rmSync(work, { recursive: true, force: true });
}
finish('menu_and_chooser');
