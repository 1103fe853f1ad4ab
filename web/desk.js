// The window on the desk in the browser page: the toolbar's "Вид" menu (the
// look, on top, the compact view), the look and the compact view drawn on
// the page, and the desk kept in the browser's storage from one visit to the
// next. What the desk is stays the controller's; this draws it. The zoom is
// the browser's own.
'use strict';

(() => {
  const storageKey = 'ostrolen.desk';
  const pageKey = 'ostrolen.page';

  // The desk as kept from the last visit, its fields checked one by one;
  // nothing when nothing was kept, the value is damaged or the storage is off.
  function kept() {
    let text = null;
    try {
      text = localStorage.getItem(storageKey);
    } catch {
      return null;
    }
    if (text === null) return null;
    let value = null;
    try {
      value = JSON.parse(text);
    } catch {
      return null;
    }
    if (!value || typeof value !== 'object' || Array.isArray(value)) return null;
    const desk = {};
    if (Number.isInteger(value.zoom)) desk.zoom = value.zoom;
    if (value.chosenLook === 'light' || value.chosenLook === 'dark') desk.chosenLook = value.chosenLook;
    for (const flag of ['followDesktop', 'onTop', 'compact']) {
      if (typeof value[flag] === 'boolean') desk[flag] = value[flag];
    }
    return desk;
  }
  function keep(effect) {
    // On top needs the operator's own click to open its window: it is not brought back.
    const desk = { zoom: effect.zoom, chosenLook: effect.chosenLook, followDesktop: effect.followDesktop, onTop: false, compact: effect.compact };
    try {
      localStorage.setItem(storageKey, JSON.stringify(desk));
    } catch {
      // A storage that is off or full: the desk lasts this visit only.
    }
  }

  function start() {
    const page = window.ostrolen;
    const { element, send } = page;
    const texts = page.layout.desk;
    const root = document.getElementById('Form1');
    // A window above the others needs the browser's document picture-in-picture.
    const canBeOnTop = 'documentPictureInPicture' in window;

    // ---- On top: the page's content in a picture-in-picture window, back when it closes.
    let above = null;  // {window, parent, next}
    let raising = false;
    async function raise() {
      if (above || raising) return;
      raising = true;
      const home = { parent: root.parentNode, next: root.nextSibling };
      let opened = null;
      try {
        opened = await window.documentPictureInPicture.requestWindow({ width: root.offsetWidth, height: root.offsetHeight });
      } catch {
        opened = null;
      }
      raising = false;
      if (!opened) {
        send({ do: 'onTop', on: false });
        return;
      }
      above = { window: opened, ...home };
      const into = opened.document;
      for (const style of document.querySelectorAll('style, link[rel="stylesheet"]')) into.head.append(style.cloneNode(true));
      // The page's sizes are set on the document's root element, its look by an attribute there.
      into.documentElement.style.cssText = document.documentElement.style.cssText;
      into.documentElement.lang = document.documentElement.lang;
      if (document.documentElement.dataset.look) into.documentElement.dataset.look = document.documentElement.dataset.look;
      into.body.append(root);
      opened.addEventListener('pagehide', () => {
        if (!above || above.window !== opened) return;
        above = null;
        home.parent.insertBefore(root, home.next);
        send({ do: 'onTop', on: false });
      }, { once: true });
    }
    function lower() {
      if (above) above.window.close();
    }

    // ---- The menu under its toolbar button; its checks drawn from the desk.
    const items = [
      { id: 'DarkLook', text: texts.dark, checked: (desk) => desk.look === 'dark', intent: (on) => ({ do: 'chooseLook', look: on ? 'dark' : 'light' }) },
      { id: 'FollowDesktop', text: texts.followDesktop, checked: (desk) => desk.followDesktop, intent: (on) => ({ do: 'followDesktop', follow: on }) },
      canBeOnTop && { id: 'OnTop', text: texts.onTop, checked: (desk) => desk.onTop, intent: (on) => ({ do: 'onTop', on }) },
      { id: 'Compact', text: texts.compact, key: texts.compactKey, checked: (desk) => desk.compact, intent: (on) => ({ do: 'compact', on }) },
    ].filter(Boolean);
    const button = element('button', {
      type: 'button',
      id: 'DeskButton',
      class: 'tool text',
      textContent: texts.menu,
      title: texts.menu,
      'aria-haspopup': 'menu',
      'aria-expanded': 'false',
      'aria-controls': 'DeskMenu',
    });
    // A menu only while it is open: the line menus are the page's one menu otherwise.
    const menu = element('div', { id: 'DeskMenu', class: 'desk-menu', hidden: true, 'aria-label': texts.menu });
    for (const item of items) {
      const e = element('div', { id: item.id, class: 'menu-item', role: 'menuitemcheckbox', tabIndex: -1, 'aria-checked': 'false' }, [
        element('span', { class: 'mark', 'aria-hidden': 'true' }),
        element('span', { class: 'menu-text', textContent: item.text }),
      ]);
      if (item.key) {
        e.append(element('span', { class: 'menu-key', textContent: item.key }));
        e.setAttribute('aria-keyshortcuts', item.key.replace('Ctrl', 'Control'));
      }
      e.addEventListener('click', () => choose(item, e));
      item.element = e;
      menu.append(e);
    }
    const holder = element('span', { class: 'desk' }, [button, menu]);
    const toolbar = document.getElementById('ToolBar1');
    const search = toolbar.querySelector('.search');
    toolbar.insertBefore(element('span', { class: 'tool-separator', role: 'separator' }), search);
    toolbar.insertBefore(holder, search);

    const entries = () => [...menu.children];
    // A click away from the menu closes it, in whichever window the page is.
    const away = (event) => {
      if (!holder.contains(event.target)) close(false);
    };
    function open(at) {
      if (menu.hidden) {
        menu.hidden = false;
        menu.setAttribute('role', 'menu');
        button.setAttribute('aria-expanded', 'true');
        root.ownerDocument.addEventListener('mousedown', away, true);
      }
      const all = entries();
      all[(at + all.length) % all.length].focus();
    }
    function close(refocus) {
      if (menu.hidden) return;
      menu.hidden = true;
      menu.removeAttribute('role');
      button.setAttribute('aria-expanded', 'false');
      root.ownerDocument.removeEventListener('mousedown', away, true);
      if (refocus) button.focus();
    }
    function choose(item, e) {
      close(true);
      send(item.intent(e.getAttribute('aria-checked') !== 'true'));
    }
    button.addEventListener('mousedown', (event) => event.preventDefault());
    button.addEventListener('click', () => (menu.hidden ? open(0) : close(false)));
    button.addEventListener('keydown', (event) => {
      if (event.key !== 'ArrowDown' && event.key !== 'ArrowUp') return;
      event.preventDefault();
      open(event.key === 'ArrowDown' ? 0 : -1);
    });
    menu.addEventListener('keydown', (event) => {
      if (event.ctrlKey || event.altKey || event.metaKey) return;
      const all = entries();
      const at = all.indexOf(event.target.closest('.menu-item'));
      const moves = { ArrowDown: at + 1, ArrowUp: at - 1, Home: 0, End: -1 };
      if (event.key in moves) open(moves[event.key]);
      else if (event.key === 'Enter' || event.key === ' ') choose(items[at], all[at]);
      else if (event.key === 'Escape') close(true);
      else if (event.key === 'Tab') close(false);
      else return;
      if (event.key !== 'Tab') event.preventDefault();
      event.stopPropagation();
    });
    menu.addEventListener('focusout', (event) => {
      if (!holder.contains(event.relatedTarget)) close(false);
    });

    // ---- The desk as the controller holds it: the look's attribute (the
    // colours are the style sheet's), the compact view, the window on top.
    page.drawers.desk = (desk) => {
      for (const item of items) item.element.setAttribute('aria-checked', String(Boolean(item.checked(desk))));
      document.documentElement.dataset.look = desk.look;
      if (above) above.window.document.documentElement.dataset.look = desk.look;
      if (desk.compact !== root.classList.contains('compact')) {
        if (desk.compact) {
          // The window takes the size the page in front has in the full view.
          const shown = [...root.querySelectorAll('.sheet.page:not([hidden])')].find((sheet) => sheet.offsetParent !== null);
          const size = shown ? shown.getBoundingClientRect() : root.getBoundingClientRect();
          root.style.setProperty('--compact-width', `${size.width}px`);
          root.style.setProperty('--compact-height', `${size.height}px`);
        }
        root.classList.toggle('compact', desk.compact);
      }
      if (canBeOnTop && desk.onTop) raise();
      else lower();
      keep(desk);
    };

    // ---- The page in front, kept as the visit ends; the next one opens on it
    // unless its address names a decode.
    const pageInFront = () => [...document.querySelectorAll('.sheet.page')].find((sheet) => sheet.offsetParent !== null)?.id;
    window.addEventListener('pagehide', () => {
      try {
        const sheet = pageInFront();
        if (sheet) localStorage.setItem(pageKey, sheet);
      } catch {
        // A storage that is off: the next visit opens on the first page.
      }
    });
    if (location.hash.length <= 1) {
      let last = null;
      try {
        last = localStorage.getItem(pageKey);
      } catch {
        last = null;
      }
      if (last && page.layout.pages.some((p) => p.sheet === last)) send({ do: 'showPage', sheet: last });
    }

    // ---- As the page starts: the desk kept from the last visit, then the desktop's look.
    const stored = kept();
    if (stored) send({ do: 'desk', ...stored, onTop: false });
    const dark = window.matchMedia('(prefers-color-scheme: dark)');
    const desktopLook = () => send({ do: 'desktopLook', look: dark.matches ? 'dark' : 'light' });
    desktopLook();
    dark.addEventListener('change', desktopLook);
  }

  if (window.ostrolen && window.ostrolen.drawers) start();
  else document.addEventListener('ostrolen-ready', start, { once: true });
})();
