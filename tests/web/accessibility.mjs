// The browser page as a screen reader and a keyboard-only operator meet it:
// Chromium's own accessibility tree (names, roles, selected and focused
// states, descriptions) for the tabs, the boxes, the buttons, the result
// lines, a line's menu and the about box; Tab from the boxes to the button
// and then the list on every page; and a walk through every page, a
// decoding, a line's menu, a change, its undoing and the about box with
// nothing but keys.
import { launch, openPage } from './browser.mjs';
import { check, equal, finish } from './check.mjs';

const { context, close } = await launch();
try {
  const page = await openPage(context);
  const cdp = await context.newCDPSession(page);
  await cdp.send('Accessibility.enable');
  const layout = await page.evaluate(() => window.ostrolen.layout);
  const web = layout.web;

  // What the accessibility tree holds for the element `selector` finds.
  const ax = async (selector) => {
    const { root } = await cdp.send('DOM.getDocument', { depth: 0 });
    const { nodeId } = await cdp.send('DOM.querySelector', { nodeId: root.nodeId, selector });
    if (!nodeId) return null;
    const { nodes } = await cdp.send('Accessibility.getPartialAXTree', { nodeId, fetchRelatives: false });
    const node = nodes[0];
    const props = Object.fromEntries((node.properties || []).map((p) => [p.name, p.value]));
    return {
      role: node.role?.value,
      name: node.name?.value ?? '',
      description: node.description?.value ?? '',
      selected: props.selected?.value === true,
      focused: props.focused?.value === true,
      checked: props.checked?.value,
      // The id of the element a composite names as its current one.
      active: props.activedescendant?.relatedNodes?.[0]?.idref ?? '',
    };
  };
  const focused = () => page.evaluate(() => document.activeElement && document.activeElement.id);
  const idle = () => page.waitForFunction(() => !window.ostrolen.busy());
  const pathTo = (node, sheet) => {
    if (node.sheet === sheet) return [];
    for (const child of node.children || []) {
      const rest = pathTo(child, sheet);
      if (rest) return [child, ...rest];
    }
    return null;
  };
  const show = async (sheet) => {
    for (const node of pathTo(layout.tree, sheet)) await page.click(`#tab-${node.sheet}`);
  };

  // ---- Tabs: each a tab, the chosen one selected; each sheet a tab panel named after its tab.
  const tabsOf = (node) => (node.children || []).flatMap((c) => [c, ...tabsOf(c)]);
  for (const node of tabsOf(layout.tree)) {
    await show(node.sheet);
    const tab = await ax(`#tab-${node.sheet}`);
    equal([tab.role, tab.name, tab.selected], ['tab', node.caption, true], `the tab of ${node.caption}`);
    const sheet = await ax(`#${node.sheet}`);
    equal([sheet.role, sheet.name], ['tabpanel', node.caption], `the sheet of ${node.caption}`);
  }
  const sko = layout.pages.find((p) => p.sheet === 'TabSheet8');
  await show(sko.sheet);
  equal((await ax('#tab-TabSheet9')).selected, false, 'a tab not chosen is not selected');

  // ---- Every button of every page has a name of its own; the converter's arrows say their row.
  for (const p of layout.pages) {
    await show(p.sheet);
    const names = [];
    for (const b of p.buttons) {
      const node = await ax(`#${b.name}`);
      equal([node.role, node.name], ['button', b.accessibleName], `${p.caption}: ${b.name}`);
      names.push(node.name);
    }
    equal(new Set(names).size, names.length, `${p.caption}: no two buttons share a name`);
  }

  // ---- Tab on every page: the boxes Tab stops at, then the buttons, then the list.
  for (const p of layout.pages) {
    await show(p.sheet);
    const inputs = p.boxes.filter((b) => b.role === 'input').map((b) => b.name);
    const expected = [...inputs, ...p.buttons.map((b) => b.name), ...p.lists.map((l) => l.name)];
    await page.focus(`#${expected[0]}`);
    const order = [];
    for (let i = 0; i < expected.length; ++i) {
      order.push(await focused());
      await page.keyboard.press('Tab');
    }
    equal(order, expected, `${p.caption}: Tab runs boxes, button, list`);
  }

  // ---- A result list: its current line is the list's active descendant,
  // focused and selected, its bits its description; the boxes it lights
  // say so, and are framed.
  await show(sko.sheet);
  await page.evaluate(() => {
    '271A6'.split('').forEach((d, i) => { document.getElementById(`Edit${274 + i}`).value = d; });
  });
  await page.click('#SpeedButton14');
  await idle();
  const list = sko.lists[0].name;
  await page.focus(`#${list}`);
  check(!(await page.getAttribute(`#${list}`, 'aria-activedescendant')), 'no current line before the arrows');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  const current = await page.evaluate((list) => {
    const l = document.getElementById(list);
    const line = l.querySelector('.line[aria-selected="true"]');
    return { active: l.getAttribute('aria-activedescendant'), id: line.id, text: line.textContent, tip: line.title,
      ids: [...l.children].map((c) => c.id) };
  }, list);
  equal(current.active, current.id, 'the list names its current line');
  equal(new Set(current.ids).size, current.ids.length, 'every line has an id of its own');
  const line = await ax(`#${current.id}`);
  equal([line.role, line.name, line.selected], ['option', current.text, true], 'the current line: an option, selected');
  const listNode = await ax(`#${list}`);
  equal([listNode.role, listNode.focused, listNode.active], ['listbox', true, current.id],
    'the focused list names the line as its active descendant');
  check(current.tip.length > 0, 'the line has a tooltip');
  equal(line.description, current.tip, "the line's bits are its description");
  const lit = await page.evaluate(() => [...document.querySelectorAll('.box.explained')].map((b) => b.id));
  check(lit.length > 0, 'the line lights boxes');
  const frame = await page.evaluate(([box, list]) => {
    const style = getComputedStyle(document.getElementById(box));
    const l = document.getElementById(list).querySelector('.line[aria-selected="true"]');
    return { box: [style.outlineStyle, style.outlineColor], line: getComputedStyle(l).boxShadow };
  }, [lit[0], list]);
  const hex = (rgb) => '#' + rgb.match(/\d+/g).slice(0, 3).map((n) => Number(n).toString(16).padStart(2, '0')).join('').toUpperCase();
  equal([frame.box[0], hex(frame.box[1])], ['solid', web.explainFrameColour], 'a lit box is framed');
  equal(hex(frame.line), web.explainFrameColour, 'the selected line is framed');
  for (const b of sko.boxes) {
    const node = await ax(`#${b.name}`);
    // The tree gives descriptions with their blanks run together and trimmed.
    const told = lit.includes(b.name) ? (web.litBoxDescription + current.text).replace(/\s+/g, ' ').trim() : '';
    equal(node.description, told, `${b.name}: described as lit only when lit`);
  }
  await page.keyboard.press('ArrowDown');
  const moved = await page.evaluate((list) => document.getElementById(list).getAttribute('aria-activedescendant'), list);
  check(moved !== current.id && (await ax(`#${list}`)).active === moved, 'the arrow moves the current line on');

  // ---- The menu of a line: its values read without their mark, the current one checked.
  await page.keyboard.press('Shift+F10');
  await page.waitForSelector('.menu');
  const items = await page.evaluate(() =>
    [...document.querySelectorAll('.menu .menu-item')].map((i, k) => { i.id = `menu-item-${k}`; return i.id; }));
  let checked = 0;
  for (const id of items) {
    const node = await ax(`#${id}`);
    check(!/[●▸]/.test(node.name), `menu item ${node.name} read without its mark`);
    if (node.checked === 'true') ++checked;
  }
  check(items.length > 2, 'the menu lists values');
  equal(checked, 1, 'one value is checked');
  await page.keyboard.press('Escape');

  // ---- The about box: named with its version line.
  await page.keyboard.press('F1');
  await page.waitForSelector('dialog[open]');
  const about = await ax('dialog[open]');
  equal([about.role, about.name], ['dialog', `${layout.shell.aboutCaption} ${layout.shell.aboutLine}`],
    'the about box is named with its version');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !document.querySelector('dialog[open]'));

  // ---- With the keys alone, on a fresh page: every page through its tabs.
  const fresh = await openPage(context);
  const keys = fresh.keyboard;
  const focusedIn = () => fresh.evaluate(() => document.activeElement && document.activeElement.id);
  const tabTo = async (reached, most = 300) => {
    for (let i = 0; i < most; ++i) {
      if (await reached(await focusedIn())) return true;
      await keys.press('Tab');
    }
    return reached(await focusedIn());
  };
  const selectedSheet = (control) =>
    fresh.evaluate((control) => document.querySelector(`#${control} > .tab-bar > [aria-selected="true"]`)
      .getAttribute('aria-controls'), control);
  const goTo = async (sheet) => {
    let set = layout.tree;
    for (const node of pathTo(layout.tree, sheet)) {
      const tabIds = set.children.map((c) => `tab-${c.sheet}`);
      check(await tabTo((id) => tabIds.includes(id)), `Tab reaches the tabs of ${node.caption}`);
      const index = set.children.indexOf(node);
      const now = set.children.map((c) => c.sheet).indexOf(await selectedSheet(set.control));
      const way = index > now ? 'ArrowRight' : 'ArrowLeft';
      for (let i = 0; i < set.children.length && (await selectedSheet(set.control)) !== node.sheet; ++i) {
        await keys.press(way);
      }
      equal(await selectedSheet(set.control), node.sheet, `the arrows choose ${node.caption}`);
      set = node;
    }
    check(await tabTo((id) => fresh.evaluate(([id, sheet]) =>
      !!id && document.getElementById(sheet).contains(document.getElementById(id)), [id, sheet])),
    `Tab goes into ${sheet}`);
  };
  for (const p of layout.pages) await goTo(p.sheet);

  // "СКО": a word, Enter decodes it; Tab to the button and the list.
  await goTo(sko.sheet);
  check(await tabTo((id) => id === 'Edit274'), 'Tab reaches the first box of СКО');
  await keys.type('271A6');
  await keys.press('Enter');
  await fresh.waitForFunction((list) => document.getElementById(list).children.length > 5, list);
  check(await tabTo((id) => id === sko.buttons[0].name, 6), 'Tab from the boxes reaches the button');
  await keys.press('Tab');
  equal(await focusedIn(), list, '... and then the list');
  const currentText = () => fresh.evaluate((list) => {
    const l = document.getElementById(list);
    const id = l.getAttribute('aria-activedescendant');
    return id ? document.getElementById(id).textContent : '';
  }, list);
  for (let i = 0; i < 40 && !(await currentText()).startsWith('Посылка вызова'); ++i) await keys.press('ArrowDown');
  check((await currentText()).startsWith('Посылка вызова'), 'the arrows reach the line of the ringing');
  await keys.press('Shift+F10');
  await fresh.waitForSelector('.menu');
  check(await fresh.evaluate(() => document.activeElement.classList.contains('menu-item')), 'the menu has the focus');
  await keys.press('Escape');
  equal(await focusedIn(), list, 'Escape closes the menu, back on the list');
  const word = () => fresh.evaluate(() => [274, 275, 276, 277, 278].map((n) => document.getElementById(`Edit${n}`).value).join(''));
  equal(await word(), '271A6', 'the word as typed');
  await keys.press('Enter');
  await fresh.waitForFunction(() => !window.ostrolen.busy());
  equal(await word(), '261A6', 'Enter switches the ringing');
  await keys.press('Control+z');
  await fresh.waitForFunction(() => !window.ostrolen.busy());
  equal(await word(), '271A6', 'Ctrl+Z takes it back');
  await keys.press('F1');
  await fresh.waitForSelector('dialog[open]');
  equal(await fresh.evaluate(() => document.querySelector('dialog[open]').id), 'Form2', 'F1 shows the about box');
  await keys.press('Escape');
  await fresh.waitForFunction(() => !document.querySelector('dialog[open]'));
  equal(await focusedIn(), list, 'closed, the focus is back on the list');
  equal([...page.errors, ...fresh.errors], [], 'no script errors');
} finally {
  await close();
}
finish('accessibility');
