// node tests/web/replay.mjs FILE (FILE -: standard input): runs a replay
// script through the browser page's own event handling, with real DOM input
// in Chromium (keys, clicks, context menus, pastes), and prints the dumps
// read off the page, in the records the window's and the command line's
// replays write (docs/replay.md). The page reads its built-in sample
// database; run it with TZ=UTC, as scripts/replay does.
import { readFileSync, writeFileSync } from 'node:fs';
import { basename, join } from 'node:path';
import { launch, openPage } from './browser.mjs';

// ---- The script, read as ui/replay.cpp reads it.

const kActions = ['open', 'focus', 'type', 'key', 'paste', 'press', 'click', 'dblclick', 'menu', 'choose', 'find', 'dump'];

// A field as ostrolen-cli decode escapes it.
export function escapeField(text) {
  let out = '';
  for (const c of text) {
    const code = c.codePointAt(0);
    if (c === '\\') out += '\\\\';
    else if (c === '\t') out += '\\t';
    else if (c === '\n') out += '\\n';
    else if (c === '\r') out += '\\r';
    else if (code < 0x20 || code === 0x7f) out += `\\x${code.toString(16).toUpperCase().padStart(2, '0')}`;
    else if (code >= 0x80 && code <= 0x9f) out += `\\u00${code.toString(16).toUpperCase()}`;
    else if (code === 0x2028 || code === 0x2029) out += `\\u${code.toString(16)}`;
    else out += c;
  }
  return out;
}

// The bytes of an escaped field; null for a bad escape.
function unescapeField(text) {
  const bytes = [];
  const hex = (at, digits) => {
    const part = text.slice(at, at + digits);
    return part.length === digits && /^[0-9a-fA-F]+$/.test(part) ? parseInt(part, 16) : null;
  };
  for (let i = 0; i < text.length; ++i) {
    if (text[i] !== '\\') {
      const code = text.codePointAt(i);
      const c = String.fromCodePoint(code);
      bytes.push(...Buffer.from(c, 'utf8'));
      i += c.length - 1;
      continue;
    }
    if (i + 1 >= text.length) return null;
    const kind = text[++i];
    if (kind === '\\') bytes.push(0x5c);
    else if (kind === 't') bytes.push(0x09);
    else if (kind === 'n') bytes.push(0x0a);
    else if (kind === 'r') bytes.push(0x0d);
    else if (kind === 'x') {
      const byte = hex(i + 1, 2);
      if (byte === null) return null;
      bytes.push(byte);
      i += 2;
    } else if (kind === 'u') {
      const code = hex(i + 1, 4);
      if (code === null) return null;
      bytes.push(...Buffer.from(String.fromCodePoint(code), 'utf8'));
      i += 4;
    } else return null;
  }
  return Buffer.from(bytes);
}

// A key as Qt writes a key sequence, as Playwright presses it; null for one not known.
const kKeyNames = {
  Enter: 'Enter', Return: 'Enter', Tab: 'Tab', Backspace: 'Backspace', Delete: 'Delete', Del: 'Delete',
  Left: 'ArrowLeft', Right: 'ArrowRight', Up: 'ArrowUp', Down: 'ArrowDown', PgUp: 'PageUp', PgDown: 'PageDown',
  PageUp: 'PageUp', PageDown: 'PageDown', Home: 'Home', End: 'End', Escape: 'Escape', Esc: 'Escape',
  Menu: 'ContextMenu', Space: 'Space',
};
export function parseKey(text) {
  const modifiers = { Ctrl: 'Control', Shift: 'Shift', Alt: 'Alt', Meta: 'Meta' };
  const held = new Set();
  let rest = text;
  for (;;) {
    const plus = rest.indexOf('+');
    if (plus < 0 || plus + 1 === rest.length) break;
    const modifier = modifiers[rest.slice(0, plus)];
    if (!modifier) return null;
    held.add(modifier);
    rest = rest.slice(plus + 1);
  }
  let key = null;
  if (Object.hasOwn(kKeyNames, rest)) key = kKeyNames[rest];
  else if (rest === 'F10' && held.size === 1 && held.has('Shift')) key = 'F10';
  else if (rest.length === 1 && rest > ' ' && rest < '\x7f') {
    key = held.has('Control') && rest >= 'A' && rest <= 'Z' ? rest.toLowerCase() : rest;
  }
  if (key === null) return null;
  return { modifiers: ['Control', 'Alt', 'Meta', 'Shift'].filter((m) => held.has(m)), key };
}

// The actions of a script, the last a dump; throws a message for one that cannot be run.
export function parseScript(bytes) {
  const actions = [];
  let number = 0;
  let at = 0;
  const utf8 = new TextDecoder('utf-8', { fatal: true });
  const lenient = new TextDecoder('utf-8');
  while (at < bytes.length) {
    let end = bytes.indexOf(0x0a, at);
    if (end < 0) end = bytes.length;
    let line = bytes.subarray(at, end);
    at = end + 1;
    ++number;
    if (line.length && line[line.length - 1] === 0x0d) line = line.subarray(0, line.length - 1);
    if (!line.length || line[0] === 0x23) continue;
    let text;
    try {
      text = utf8.decode(line);
    } catch {
      throw new Error(`line ${number}: not UTF-8`);
    }
    const blank = text.indexOf(' ');
    const name = blank < 0 ? text : text.slice(0, blank);
    const raw = blank < 0 ? '' : text.slice(blank + 1);
    if (!kActions.includes(name)) throw new Error(`line ${number}: unknown action '${escapeField(name)}'`);
    const arg = unescapeField(raw);
    if (arg === null) throw new Error(`line ${number}: a bad escape in '${escapeField(raw)}'`);
    const action = { line: number, name, arg: lenient.decode(arg) };
    if (name === 'key' && !parseKey(action.arg)) {
      throw new Error(`line ${number}: unknown key '${escapeField(action.arg)}'`);
    }
    actions.push(action);
  }
  if (!actions.length || actions[actions.length - 1].name !== 'dump') actions.push({ line: number + 1, name: 'dump', arg: '' });
  return actions;
}

// ---- The dump, as ui/replay.cpp FormatDump writes it.

export function formatDump(number, s) {
  const lines = [];
  const record = (...fields) => lines.push(fields.join('\t'));
  const n = (value) => (value < 0 ? '-' : String(value));
  record('dump', String(number));
  record('page', s.sheet, escapeField(s.caption));
  for (const b of s.buttons) record('button', b.name, escapeField(b.text));
  for (const b of s.boxes) record('box', b.name, escapeField(b.text));
  if (!s.focus) record('focus', '-');
  else record('focus', s.focus, n(s.caret), n(s.anchor));
  for (const l of s.lines) {
    record('line', l.list, String(l.index), l.mark, escapeField(l.text), escapeField(l.old), escapeField(l.tip), l.selected ? '1' : '0');
  }
  record('lit', ...s.lit);
  if (s.menu) {
    record('menu');
    for (const item of s.items) record('item', String(item.depth), n(item.checked), escapeField(item.text));
  }
  if (s.editor) record('editor', escapeField(s.editor.caption), escapeField(s.editor.text), s.editor.ok ? '1' : '0');
  for (const m of s.messages) record('message', m.kind, escapeField(m.text));
  if (s.clipboard !== null) record('clipboard', escapeField(s.clipboard));
  record('search', escapeField(s.search), s.searchOpen ? '1' : '0');
  if (s.searchOpen) {
    if (s.problem) record('problem', escapeField(s.problem));
    s.matches.forEach((m, i) => record('match', String(i), escapeField(m.text), m.marked ? '1' : '0'));
  }
  record('history', s.history ? '1' : '0');
  for (const e of s.entries) record('entry', String(e.number), escapeField(e.title), e.selected ? '1' : '0');
  for (const u of s.undo) record('undo', u.list, u.can ? '1' : '0');
  record('title', escapeField(s.title));
  record('address', escapeField(s.address));
  for (const [line, action] of s.skipped) record('skipped', String(line), action);
  record('end');
  return `${lines.join('\n')}\n`;
}

// ---- In the page: what is in front, and where things are.

// Runs in the page (Playwright hands it over as source): the helpers the
// other page functions use, on window.__replay.
function installHelpers() {
  const codePoints = (text, units) => Array.from(text.slice(0, units)).length;
  const ownText = (e) => [...e.childNodes].filter((c) => c.nodeType === Node.TEXT_NODE).map((c) => c.data).join('');
  const visible = (e) => e && !e.hidden && e.offsetParent !== null;
  const front = () => {
    for (const page of window.ostrolen.layout.pages) {
      const sheet = document.getElementById(page.sheet);
      if (sheet && sheet.offsetParent !== null) return { page, sheet };
    }
    return null;
  };
  const menu = () => document.querySelector('.menu:not(.submenu)');
  const editor = () => document.querySelector('#NumberEditor[open]');
  const historyView = () => document.querySelector('#HistoryView[open]');
  const modal = () => Boolean(menu() || editor() || historyView());
  // The middle of an element in the view, scrolled there first.
  const centre = (e) => {
    e.scrollIntoView({ block: 'nearest', inline: 'nearest' });
    const r = e.getBoundingClientRect();
    return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
  };
  // Where line `row` of the list in front is (the history's entries while
  // it is open); null for none.
  const lineAt = (row) => {
    const history = historyView();
    let list = history && history.querySelector('#HistoryEntries');
    if (!list) {
      const here = front();
      const spec = here && here.page.lists[0];
      list = spec && document.getElementById(spec.name);
    }
    return (list && list.children[row]) || null;
  };
  const linePoint = (row) => {
    const line = lineAt(row);
    return line ? centre(line) : null;
  };
  // The mouse's events of a click, a double click or a context menu, sent to line `row` itself.
  const dispatchAt = (row, kind) => {
    const line = lineAt(row);
    const { x, y } = centre(line);
    const fire = (type, button, detail) => line.dispatchEvent(new MouseEvent(type, {
      bubbles: true, cancelable: true, clientX: x, clientY: y, button, buttons: button === 2 ? 2 : 1, detail, view: window,
    }));
    if (kind === 'menu') {
      fire('mousedown', 2, 1);
      fire('mouseup', 2, 1);
      fire('contextmenu', 2, 1);
      return;
    }
    for (let n = 1; n <= (kind === 'dblclick' ? 2 : 1); ++n) {
      fire('mousedown', 0, n);
      fire('mouseup', 0, n);
      fire('click', 0, n);
    }
    if (kind === 'dblclick') fire('dblclick', 0, 2);
  };
  // The control with the focus by the name the controller gives it; '' for
  // none (a tab bar, a dialog's button, a menu's item).
  const focusedControl = () => {
    // A menu is a popup: the focus stays with the list it is the menu of.
    const open = menu();
    if (open) return open.dataset.list || '';
    const e = document.activeElement;
    if (!e || !e.id) return '';
    const here = front();
    const own = here && [...here.page.boxes, ...here.page.lists, ...here.page.buttons].some((c) => c.name === e.id);
    const box = e.tagName === 'INPUT' && e.readOnly;
    return (own || ['SearchBox', 'NumberEditorValue', 'HistoryEntries'].includes(e.id)) && !box ? e.id : '';
  };
  window.__replay = { ...window.__replay, codePoints, ownText, visible, front, menu, editor, historyView, modal, centre, lineAt, linePoint, dispatchAt, focusedControl };
}

// Runs in the page: the dump's state read off the DOM.
function readState() {
  const r = window.__replay;
  const o = window.ostrolen;
  const { page, sheet } = r.front();
  const s = { sheet: page.sheet, caption: page.caption };
  s.buttons = page.buttons.map((b) => {
    const e = sheet.querySelector(`#${CSS.escape(b.name)}`);
    return { name: b.name, text: e ? e.textContent : '' };
  });
  // The number in a box's name: its first run of digits; 0 for none.
  const number = (name) => {
    const digits = /[0-9]+/.exec(name);
    return digits ? Number(digits[0]) : 0;
  };
  s.boxes = page.boxes.map((b) => {
    const e = sheet.querySelector(`#${CSS.escape(b.name)}`);
    return { name: b.name, text: e ? e.value : '' };
  });
  s.boxes = s.boxes.map((b, i) => ({ ...b, i })).sort((a, b) => number(a.name) - number(b.name) || a.i - b.i);
  const focus = document.activeElement;
  s.focus = r.focusedControl();
  s.caret = -1;
  s.anchor = -1;
  if (s.focus && focus.tagName === 'INPUT' && focus.selectionStart !== null) {
    const start = focus.selectionStart;
    const end = focus.selectionEnd;
    const backward = focus.selectionDirection === 'backward';
    s.caret = r.codePoints(focus.value, backward ? start : end);
    s.anchor = r.codePoints(focus.value, backward ? end : start);
  }
  s.lines = [];
  s.undo = [];
  for (const spec of page.lists) {
    const list = document.getElementById(spec.name);
    if (!list) continue;
    [...list.children].forEach((line, index) => {
      const part = (name) => line.querySelector(`:scope > .${name}`);
      s.lines.push({
        list: spec.name,
        index,
        mark: line.dataset.mark || '',
        text: part('text') ? part('text').textContent : line.textContent,
        old: part('old') ? part('old').textContent : '',
        tip: line.title || '',
        selected: line.getAttribute('aria-selected') === 'true',
      });
    });
    s.undo.push({ list: spec.name, can: list.dataset.canUndo === '1' });
  }
  s.lit = [...sheet.querySelectorAll('.explained')].map((e) => e.id);
  const menu = r.menu();
  s.menu = Boolean(menu);
  s.items = [];
  if (menu) {
    const add = (from, depth) => {
      for (const item of from.querySelectorAll(':scope > .menu-item')) {
        const checked = item.getAttribute('aria-checked');
        s.items.push({ depth, checked: checked === null ? -1 : checked === 'true' ? 1 : 0, text: r.ownText(item) });
        const sub = item.querySelector(':scope > .submenu');
        if (sub) add(sub, depth + 1);
      }
    };
    add(menu, 0);
  }
  const editor = r.editor();
  s.editor = null;
  if (editor) {
    const ok = [...editor.querySelectorAll('button')].find((b) => b.textContent === o.layout.shell.ok);
    s.editor = {
      caption: editor.querySelector('.caption').textContent,
      text: editor.querySelector('#NumberEditorValue').value,
      ok: Boolean(ok && !ok.disabled),
    };
  }
  const box = document.getElementById('SearchBox');
  const found = document.getElementById('SearchList');
  s.search = box ? box.value : '';
  s.searchOpen = Boolean(found && !found.hidden);
  s.problem = '';
  s.matches = [];
  if (s.searchOpen) {
    const problem = found.querySelector('.search-line.problem');
    if (problem) s.problem = problem.textContent;
    s.matches = [...found.querySelectorAll('.search-line.match')].map((m) => ({
      text: m.textContent, marked: m.getAttribute('aria-selected') === 'true',
    }));
  }
  const history = r.historyView();
  s.history = Boolean(history);
  s.entries = history
    ? [...history.querySelector('#HistoryEntries').children].map((e) => ({
      number: Number(e.dataset.number), title: e.textContent, selected: e.getAttribute('aria-selected') === 'true',
    }))
    : [];
  s.title = document.title;
  s.address = location.hash.replace(/^#/, '');
  return s;
}

// ---- The run.

// Runs `actions` in a page of its own in `context`; the dumps.
async function run(context, actions) {
  let out = '';
  {
    const page = await openPage(context);
    await page.evaluate(installHelpers);
    // Nothing pending at the start: the sample's rows are listed for the search.
    await page.waitForFunction(() => Number(document.getElementById('DatabaseState')?.dataset.listings || 0) > 0 && !window.ostrolen.busy());
    await page.evaluate(() => window.ostrolen.send({ do: 'replayClock' }));

    let messages = [];
    let skipped = [];
    let dumps = 0;
    // Waits until the page is idle, answering each message box with Enter, oldest first.
    const settle = async () => {
      for (;;) {
        await page.waitForFunction(() => !window.ostrolen.busy() || document.querySelector('dialog.message[data-kind][open]'));
        const message = await page.evaluate(() => {
          const d = document.querySelector('dialog.message[data-kind][open]');
          return d ? { kind: d.dataset.kind, text: d.querySelector('.message-text').textContent } : null;
        });
        if (!message) return;
        messages.push(message);
        // The box answered goes; the next may come at once.
        await page.evaluate(() => {
          document.querySelector('dialog.message[data-kind][open]').dataset.answered = 'true';
        });
        await page.keyboard.press('Enter');
        await page.waitForFunction(() => !document.querySelector('dialog.message[data-answered][open]'));
      }
    };
    // Whether a control has the focus (the list behind an open menu counts).
    const focused = () => page.evaluate(() => window.__replay.focusedControl() !== '');
    // One key of a character: through Playwright's keyboard where its
    // layout has the key, else as a keyboard of another layout sends it,
    // a key whose key and text are the character.
    const cdp = await context.newCDPSession(page);
    const keyDown = async (c) => {
      if (c.length === 1 && c < '\x7f') {
        await page.keyboard.down(c);
        await page.keyboard.up(c);
        return;
      }
      await cdp.send('Input.dispatchKeyEvent', { type: 'keyDown', key: c, text: c, unmodifiedText: c });
      await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', key: c });
    };
    // A click on the element of `selector`: with the mouse where it can be
    // seen, else (under the search list) its events sent to it, as the
    // window's replay sends them to the widget.
    const clickOn = async (selector) => {
      const at = await page.evaluate((sel) => {
        const e = document.querySelector(sel);
        const point = window.__replay.centre(e);
        const top = document.elementFromPoint(point.x, point.y);
        return { ...point, covered: !top || !(top === e || e.contains(top)) };
      }, selector);
      if (!at.covered) {
        await page.mouse.click(at.x, at.y);
        return;
      }
      await page.evaluate(([sel, x, y]) => {
        const e = document.querySelector(sel);
        for (const type of ['mousedown', 'mouseup', 'click']) {
          e.dispatchEvent(new MouseEvent(type, { bubbles: true, cancelable: true, clientX: x, clientY: y, button: 0, detail: 1, view: window }));
        }
      }, [selector, at.x, at.y]);
    };
    const act = async (action) => {
      const { name, arg } = action;
      switch (name) {
        case 'open': {
          const sheet = await page.evaluate((n) => (Object.hasOwn(window.ostrolen.layout.commands, n) ? window.ostrolen.layout.commands[n] : ''), arg);
          if (!sheet || (await page.evaluate(() => window.__replay.modal()))) return false;
          // The tabs from the outermost to the page's own.
          const tabs = await page.evaluate((id) => {
            const ids = [];
            for (let s = document.getElementById(id); s; s = s.parentElement.closest('.sheet')) ids.unshift(`tab-${s.id}`);
            return ids;
          }, sheet);
          for (const tab of tabs) await clickOn(`#${tab}`);
          return true;
        }
        case 'focus':
          return page.evaluate((id) => {
            const r = window.__replay;
            const here = r.front();
            if (r.modal() || !here) return false;
            const control = id === 'SearchBox' ? document.getElementById(id) : here.sheet.querySelector(`#${CSS.escape(id)}`);
            if (!control || control.readOnly) return false;
            control.focus();
            if (document.activeElement !== control) return false;
            if (control.tagName === 'INPUT') control.setSelectionRange(control.value.length, control.value.length);
            return true;
          }, arg);
        case 'type':
          if (!(await focused())) return false;
          for (const c of Array.from(arg)) {
            await keyDown(c === '\n' || c === '\r' ? 'Enter' : c === '\t' ? 'Tab' : c);
            await settle();
          }
          return true;
        case 'key': {
          if (!(await focused())) return false;
          const key = parseKey(arg);
          await page.keyboard.press([...key.modifiers, key.key].join('+'));
          return true;
        }
        case 'paste': {
          if (!(await focused())) return false;
          await page.evaluate(async (text) => {
            window.__replay.pasting = true;
            try {
              await navigator.clipboard.writeText(text);
            } finally {
              window.__replay.pasting = false;
            }
          }, arg);
          await page.keyboard.press('Control+v');
          return true;
        }
        case 'press': {
          const at = await page.evaluate((id) => {
            const r = window.__replay;
            const here = r.front();
            if (r.modal() || !here) return null;
            return here.sheet.querySelector(`button#${CSS.escape(id)}`) ? `#${CSS.escape(id)}` : null;
          }, arg);
          if (!at) return false;
          await clickOn(at);
          return true;
        }
        case 'click':
        case 'dblclick':
        case 'menu': {
          if (!/^[0-9]{1,6}$/.test(arg)) return false;
          // The history's entries have no menu.
          const at = await page.evaluate(([row, menu]) => {
            const r = window.__replay;
            if (r.menu() || r.editor() || (menu && r.historyView())) return null;
            const point = r.linePoint(row);
            if (!point) return null;
            // A line under the search list: the events go to the line itself,
            // as the window's replay sends them to the list.
            const line = document.elementFromPoint(point.x, point.y)?.closest('.line');
            return { ...point, covered: !line || line !== r.lineAt(row) };
          }, [Number(arg), name === 'menu']);
          if (!at) return false;
          if (at.covered) {
            await page.evaluate(([row, kind]) => window.__replay.dispatchAt(row, kind), [Number(arg), name]);
            return true;
          }
          if (name === 'click') await page.mouse.click(at.x, at.y);
          else if (name === 'dblclick') await page.mouse.dblclick(at.x, at.y);
          else await page.mouse.click(at.x, at.y, { button: 'right' });
          return true;
        }
        case 'choose':
          return choose(arg);
        case 'find': {
          if (await page.evaluate(() => window.__replay.modal())) return false;
          await page.keyboard.press('Control+f');
          if (!arg) await page.keyboard.press('Backspace');
          for (const c of Array.from(arg)) await keyDown(c);
          return true;
        }
      }
      return false;
    };
    // An item of the open menu, a button of the number editor or the
    // history, an entry of the history (Ctrl+click), a line of the search list.
    const choose = async (text) => {
      const target = await page.evaluate((wanted) => {
        const r = window.__replay;
        const menu = r.menu();
        if (menu) {
          const menus = [menu];
          for (let m = 0; m < menus.length; ++m) {
            for (const item of menus[m].querySelectorAll(':scope > .menu-item')) {
              const sub = item.querySelector(':scope > .submenu');
              if (r.ownText(item) === wanted) {
                const at = [];
                if (m > 0) {
                  // The item of the submenu shows it when the pointer comes.
                  at.push({ hover: true, ...r.centre(menus[m].parentElement) });
                  menus[m].hidden = false;
                }
                // An item with a submenu is clicked, which opens its submenu as Right does.
                at.push({ hover: false, ...r.centre(item) });
                if (m > 0) menus[m].hidden = true;
                return at;
              }
              if (sub) menus.push(sub);
            }
          }
          return null;
        }
        const editor = r.editor();
        if (editor) {
          const button = [...editor.querySelectorAll('button')].find((b) => b.textContent === wanted && !b.disabled);
          return button ? [r.centre(button)] : null;
        }
        const history = r.historyView();
        if (history) {
          const entry = [...history.querySelector('#HistoryEntries').children].find((e) => e.textContent === wanted);
          if (entry) {
            entry.scrollIntoView({ block: 'nearest' });
            const b = entry.getBoundingClientRect();
            return [{ control: true, x: b.left + b.width / 2, y: b.top + b.height / 2 }];
          }
          const button = [...history.querySelectorAll('button')].find((b) => b.textContent === wanted && !b.disabled);
          return button ? [r.centre(button)] : null;
        }
        const found = document.getElementById('SearchList');
        if (!found || found.hidden) return null;
        const line = [...found.querySelectorAll('.search-line.match')].find((l) => l.textContent === wanted);
        return line ? [r.centre(line)] : null;
      }, text);
      if (!target) return false;
      for (const at of target) {
        if (at.hover) await page.mouse.move(at.x, at.y);
        else if (at.control) {
          await page.keyboard.down('Control');
          await page.mouse.click(at.x, at.y);
          await page.keyboard.up('Control');
        } else await page.mouse.click(at.x, at.y);
      }
      return true;
    };

    for (const action of actions) {
      if (action.name === 'dump') {
        const state = await page.evaluate(readState);
        state.messages = messages;
        state.clipboard = await page.evaluate(() => window.__replay.clipboard);
        state.skipped = skipped;
        await page.evaluate(() => {
          window.__replay.clipboard = null;
        });
        messages = [];
        skipped = [];
        out += formatDump(++dumps, state);
        continue;
      }
      if (!(await act(action))) skipped.push([action.line, action.name]);
      await settle();
    }
    if (page.errors.length) process.stderr.write(`replay: the page failed: ${page.errors.join('; ')}\n`);
    await page.close();
  }
  return out;
}

// node replay.mjs FILE: the dumps on standard output. node replay.mjs --out
// DIR FILE...: each script run in a page of its own in one browser, its
// dumps in DIR/NAME.out (NAME the script's file name less its extension).
async function main() {
  const args = process.argv.slice(2);
  let dir = null;
  if (args[0] === '--out') {
    dir = args[1];
    args.splice(0, 2);
  }
  if (!args.length || (dir === null && args.length !== 1)) {
    console.error('usage: node tests/web/replay.mjs FILE | --out DIR FILE...');
    return 2;
  }
  const scripts = [];
  for (const file of args) {
    let bytes;
    try {
      bytes = readFileSync(file === '-' ? 0 : file);
    } catch {
      console.error(`replay: cannot read '${file}'`);
      return 2;
    }
    try {
      scripts.push({ file, actions: parseScript(bytes) });
    } catch (error) {
      process.stderr.write(`replay: ${error.message}\n`);
      return 2;
    }
  }
  process.env.TZ = 'UTC';
  const { context, close } = await launch();
  try {
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    // A copy is seen after the page's own handler has had it: the text it
    // put on the clipboard, or the control's selection it left to the browser.
    await context.addInitScript(() => {
      window.__replay = { clipboard: null };
      window.addEventListener('copy', (event) => {
        if (window.__replay.pasting) return;
        let text = '';
        if (event.defaultPrevented) text = event.clipboardData.getData('text/plain');
        else {
          const e = document.activeElement;
          text = e && e.tagName === 'INPUT' ? e.value.slice(e.selectionStart, e.selectionEnd) : String(window.getSelection());
          if (!text) return;
        }
        window.__replay.clipboard = text;
      });
    });
    for (const { file, actions } of scripts) {
      const out = await run(context, actions);
      if (dir === null) process.stdout.write(out);
      else writeFileSync(join(dir, `${basename(file).replace(/\.[^.]*$/, '')}.out`), out);
    }
  } finally {
    await close();
  }
  return 0;
}

process.exitCode = await main();
