// The window on the desk in the browser page: the "Вид" menu (no zoom items,
// the browser zooms by itself) by mouse and by keys, its checks following
// the controller; the look's attribute following the desktop's colour
// scheme; the compact view (Ctrl+M) hiding the tabs and the toolbar; the desk
// kept in the browser's storage over a reload, a damaged or unusable storage
// giving the defaults; and "Поверх всех окон" only where the browser has
// document picture-in-picture, the page's content moving into its window and
// back.
import { launch, openPage, pageUrl } from './browser.mjs';
import { check, equal, finish } from './check.mjs';

// A page opened with `before` run ahead of the page's own scripts.
async function openWith(context, before) {
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  await page.addInitScript(before);
  await page.goto(pageUrl);
  await page.waitForSelector('html[data-ready="true"]');
  page.errors = errors;
  return page;
}

// The menu's items: their ids, texts, checks and keys.
const items = (page) =>
  page.$$eval('#DeskMenu .menu-item', (all) => all.map((e) => ({
    id: e.id,
    text: e.querySelector('.menu-text').textContent,
    checked: e.getAttribute('aria-checked'),
    key: e.querySelector('.menu-key')?.textContent ?? '',
  })));
const checked = async (page) => Object.fromEntries((await items(page)).map((item) => [item.id, item.checked === 'true']));
const look = (page) => page.evaluate(() => document.documentElement.dataset.look);
const stored = (page) => page.evaluate(() => localStorage.getItem('ostrolen.desk'));
const choose = async (page, id) => {
  await page.click('#DeskButton');
  await page.click(`#${id}`);
};

// What shows of the window: the toolbar, the tab bars, the page in front and their sizes.
const shows = (page) =>
  page.evaluate(() => {
    const seen = (e) => e.checkVisibility() && getComputedStyle(e).display !== 'none';
    const root = document.getElementById('Form1');
    const front = [...root.querySelectorAll('.sheet.page')].find((sheet) => sheet.offsetParent !== null);
    const size = (e) => {
      const rect = e.getBoundingClientRect();
      return [Math.round(rect.width), Math.round(rect.height)];
    };
    return {
      toolbar: seen(document.getElementById('ToolBar1')),
      tabBars: [...root.querySelectorAll('.tab-bar')].map(seen),
      compact: root.classList.contains('compact'),
      front: front?.id ?? null,
      page: front ? size(front) : null,
      window: size(root),
    };
  });

const { context, close } = await launch();
try {
  const page = await openPage(context);
  const realApi = await page.evaluate(() => 'documentPictureInPicture' in window);
  console.log(`document picture-in-picture in this browser: ${realApi ? 'yes' : 'no'}`);

  // ---- The menu: no zoom items, the keys shown, as the controller starts.
  const texts = await page.evaluate(() => window.ostrolen.layout.desk);
  const expected = [
    { id: 'DarkLook', text: texts.dark, checked: 'false', key: '' },
    { id: 'FollowDesktop', text: texts.followDesktop, checked: 'true', key: '' },
    ...(realApi ? [{ id: 'OnTop', text: texts.onTop, checked: 'false', key: '' }] : []),
    { id: 'Compact', text: texts.compact, checked: 'false', key: 'Ctrl+M' },
  ];
  equal(await items(page), expected, 'the menu lists the look, on top where the browser can, and the compact view');
  equal(await page.$eval('#DeskButton', (b) => b.textContent), 'Вид', 'the toolbar button is "Вид"');
  check(await page.$eval('#DeskButton', (b) => b.closest('#ToolBar1') !== null), 'the button is on the toolbar');
  equal(await look(page), 'light', 'the look is the desktop\'s, light');
  check(!(await page.$eval('#DeskMenu', (m) => m.checkVisibility())), 'the menu is closed');

  // ---- By keys: opened from its button, walked, closed, an item chosen.
  await page.focus('#DeskButton');
  await page.keyboard.press('ArrowDown');
  equal(await page.evaluate(() => document.activeElement.id), 'DarkLook', 'ArrowDown opens the menu on its first item');
  check(await page.$eval('#DeskMenu', (m) => m.checkVisibility()), 'the menu shows');
  equal(await page.$$eval('[role="menu"]', (all) => all.map((m) => m.id)), ['DeskMenu'], 'a menu while it is open');
  equal(await page.$eval('#DeskButton', (b) => b.getAttribute('aria-expanded')), 'true', 'the button tells the menu is open');
  await page.keyboard.press('ArrowDown');
  equal(await page.evaluate(() => document.activeElement.id), 'FollowDesktop', 'ArrowDown moves to the next item');
  await page.keyboard.press('ArrowUp');
  await page.keyboard.press('ArrowUp');
  equal(await page.evaluate(() => document.activeElement.id), 'Compact', 'ArrowUp from the first item goes round to the last');
  await page.keyboard.press('Escape');
  check(!(await page.$eval('#DeskMenu', (m) => m.checkVisibility())), 'Escape closes the menu');
  equal(await page.$('[role="menu"]'), null, 'closed, it is no menu for the line menus\' keys and tests');
  equal(await page.evaluate(() => document.activeElement.id), 'DeskButton', 'the focus goes back to the button');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('Enter');
  check(!(await page.$eval('#DeskMenu', (m) => m.checkVisibility())), 'an item chosen closes the menu');
  equal(await look(page), 'dark', 'the dark look chosen by Enter shows');
  const darkChosen = await checked(page);
  check(darkChosen.DarkLook && !darkChosen.FollowDesktop, 'its item is checked, the desktop\'s no longer followed',
    JSON.stringify(darkChosen));

  // ---- Following the desktop: the attribute follows the colour scheme.
  await choose(page, 'FollowDesktop');
  check((await checked(page)).FollowDesktop, 'the desktop\'s look followed again');
  equal(await look(page), 'light', 'and it is light');
  await page.emulateMedia({ colorScheme: 'dark' });
  await page.waitForFunction(() => document.documentElement.dataset.look === 'dark');
  check((await checked(page)).DarkLook, 'a dark desktop: the dark look shows, its item checked');
  await page.emulateMedia({ colorScheme: 'light' });
  await page.waitForFunction(() => document.documentElement.dataset.look === 'light');
  check(!(await checked(page)).DarkLook, 'a light desktop again: light');
  // Not followed: the desktop's changes leave the look alone.
  await choose(page, 'DarkLook');
  await page.emulateMedia({ colorScheme: 'dark' });
  await page.emulateMedia({ colorScheme: 'light' });
  await page.evaluate(() => window.ostrolen.whenIdle());
  equal(await look(page), 'dark', 'the chosen look stays whatever the desktop does');
  await choose(page, 'FollowDesktop');

  // ---- The compact view: Ctrl+M from a box of the page in front, and back.
  const full = await shows(page);
  check(full.toolbar && full.tabBars.some(Boolean) && !full.compact, 'the full window shows the toolbar and the tabs',
    JSON.stringify(full));
  const box = await page.evaluate((id) => document.querySelector(`#${id} .box:not([readonly])`)?.id, full.front);
  check(Boolean(box), 'the page in front has a box to type in');
  await page.focus(`#${box}`);
  await page.keyboard.press('Control+KeyM');
  const compact = await shows(page);
  check(compact.compact, 'Ctrl+M: the compact view');
  check(!compact.toolbar, 'the toolbar is hidden');
  equal(compact.tabBars.filter(Boolean), [], 'every tab bar is hidden');
  equal(compact.front, full.front, 'the same page is in front');
  equal(compact.window, full.page, 'the window has the page\'s size');
  equal(compact.page, full.page, 'the page keeps its size, filling the window');
  check((await checked(page)).Compact, 'the menu\'s item is checked');
  equal(await page.evaluate(() => document.activeElement.id), box, 'the focus stays in its box');
  await page.keyboard.press('Control+KeyM');
  const back = await shows(page);
  equal(back, full, 'Ctrl+M again: the full window as it was');
  // From the menu too, and Ctrl+M with the focus on no control.
  await choose(page, 'Compact');
  check((await shows(page)).compact, 'the menu\'s item turns the compact view on');
  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.press('Control+KeyM');
  check(!(await shows(page)).compact, 'Ctrl+M from nowhere in particular turns it off');
  // Ctrl+F: the full window again, the focus in the toolbar's search box.
  await page.focus(`#${box}`);
  await page.keyboard.press('Control+KeyM');
  check((await shows(page)).compact, 'the compact view once more');
  await page.keyboard.press('Control+KeyF');
  equal(await shows(page), full, 'Ctrl+F: the full window');
  check(await page.evaluate(() => document.activeElement?.classList.contains('search-box')), 'with the focus in the search box');
  await page.keyboard.press('Escape');

  // ---- Kept in the browser's storage: the dark look chosen and the compact view, over a reload.
  await choose(page, 'DarkLook');
  await page.keyboard.press('Control+KeyM');
  const kept = JSON.parse(await stored(page));
  equal(kept, { zoom: 100, chosenLook: 'dark', followDesktop: false, onTop: false, compact: true },
    'the desk is written to the storage');
  await page.reload();
  await page.waitForSelector('html[data-ready="true"]');
  equal(await look(page), 'dark', 'after a reload the dark look is back');
  const reloaded = await checked(page);
  check(reloaded.DarkLook && !reloaded.FollowDesktop && reloaded.Compact, 'and the menu shows it',
    JSON.stringify(reloaded));
  const again = await shows(page);
  check(again.compact && !again.toolbar && again.tabBars.every((shown) => !shown), 'the compact view is back',
    JSON.stringify(again));
  equal(again.window, full.page, 'in the page\'s size');
  equal(page.errors, [], 'no page errors');

  // The page in front kept over a reload; a page no longer there is passed over.
  await page.evaluate(() => window.ostrolen.send({ do: 'showPage', sheet: 'TabSheet9' }));
  await page.reload();
  await page.waitForSelector('html[data-ready="true"]');
  equal(await page.evaluate(() => [...document.querySelectorAll('.sheet.page')].find((s) => s.offsetParent !== null)?.id),
    'TabSheet9', 'after a reload the page in front is the one left');
  await page.evaluate(() => localStorage.setItem('ostrolen.page', 'TabSheet999'));
  await page.reload();
  await page.waitForSelector('html[data-ready="true"]');
  equal(page.errors, [], 'a kept page that is not there: no error');

  // A damaged value: the defaults, no error; the storage written anew.
  for (const damaged of ['{not json', '[1,2]', 'null', '{"compact":"yes","chosenLook":"purple","zoom":"big"}']) {
    await page.evaluate((value) => localStorage.setItem('ostrolen.desk', value), damaged);
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    const now = await checked(page);
    check(now.FollowDesktop && !now.DarkLook && !now.Compact, `kept as ${damaged}: the defaults`, JSON.stringify(now));
    check(!(await shows(page)).compact, `kept as ${damaged}: the full window`);
    equal(await look(page), 'light', `kept as ${damaged}: the desktop's light look`);
    equal(JSON.parse(await stored(page)).followDesktop, true, `kept as ${damaged}: the defaults written back`);
  }
  equal(page.errors, [], 'no page errors from damaged values');
  await page.close();

  // A storage that refuses: the page works all the same.
  const refusing = await openWith(context, () => {
    Storage.prototype.getItem = () => {
      throw new DOMException('refused', 'SecurityError');
    };
    Storage.prototype.setItem = Storage.prototype.getItem;
  });
  await choose(refusing, 'DarkLook');
  equal(await look(refusing), 'dark', 'with a refusing storage the menu works');
  await refusing.keyboard.press('Control+KeyM');
  check((await shows(refusing)).compact, 'and so does Ctrl+M');
  equal(refusing.errors, [], 'no page errors with a refusing storage');
  await refusing.close();

  // ---- On top: no item where the browser has no document picture-in-picture.
  const without = await openWith(context, () => {
    delete window.documentPictureInPicture;
    delete Window.prototype.documentPictureInPicture;
  });
  equal(await without.evaluate(() => 'documentPictureInPicture' in window), false, 'the browser made to lack the API');
  equal((await items(without)).map((item) => item.id), ['DarkLook', 'FollowDesktop', 'Compact'],
    'no "Поверх всех окон" without it');
  equal(without.errors, [], 'no page errors without it');
  await without.close();

  // Where it is (a stand-in giving a frame's window): the content moves there and back.
  const pip = await openWith(context, () => {
    Object.defineProperty(window, 'documentPictureInPicture', {
      configurable: true,
      value: {
        requestWindow: async ({ width, height }) => {
          const frame = document.createElement('iframe');
          frame.id = 'StandIn';
          frame.dataset.size = `${width}x${height}`;
          document.body.append(frame);
          return frame.contentWindow;
        },
      },
    });
  });
  await pip.evaluate(() => localStorage.removeItem('ostrolen.desk'));
  check((await items(pip)).some((item) => item.id === 'OnTop'), '"Поверх всех окон" where the API is');
  const size = await pip.$eval('#Form1', (root) => `${root.offsetWidth}x${root.offsetHeight}`);
  await choose(pip, 'OnTop');
  await pip.waitForFunction(() => document.getElementById('StandIn')?.contentDocument.getElementById('Form1'));
  const moved = await pip.evaluate(() => {
    const inner = document.getElementById('StandIn').contentDocument;
    return {
      left: document.getElementById('Form1') !== null,
      styles: inner.querySelectorAll('style').length > 0,
      // The look's colours come with the style sheets.
      face: inner.defaultView.getComputedStyle(inner.documentElement).getPropertyValue('--face').trim() !== '',
      look: inner.documentElement.dataset.look,
      size: document.getElementById('StandIn').dataset.size,
      onTop: inner.getElementById('OnTop').getAttribute('aria-checked'),
      drawn: getComputedStyle(inner.getElementById('ToolBar1')).display,
    };
  });
  equal(moved, { left: false, styles: true, face: true, look: 'light', size, onTop: 'true', drawn: 'flex' },
    'the content is in the picture-in-picture window, styled, asked at its size');
  await pip.evaluate(() => document.getElementById('StandIn').contentWindow.dispatchEvent(new Event('pagehide')));
  const home = await pip.evaluate(() => ({
    back: document.getElementById('Form1')?.parentElement === document.body,
    first: document.body.firstElementChild.id,
    onTop: document.getElementById('OnTop').getAttribute('aria-checked'),
  }));
  equal(home, { back: true, first: 'Form1', onTop: 'false' }, 'its window gone, the content is back and on top is off');
  // A request the browser refuses: on top goes off again.
  await pip.evaluate(() => {
    window.refusals = 0;
    window.documentPictureInPicture.requestWindow = async () => {
      ++window.refusals;
      throw new DOMException('no activation', 'NotAllowedError');
    };
  });
  await choose(pip, 'OnTop');
  await pip.waitForFunction(() => window.refusals === 1 && document.getElementById('OnTop').getAttribute('aria-checked') === 'false');
  check(await pip.evaluate(() => document.getElementById('Form1')?.parentElement === document.body),
    'refused: the content stays in the page, on top off');
  equal(pip.errors, [], 'no page errors with picture-in-picture');
  await pip.close();
} finally {
  await close();
}
finish('desk');
