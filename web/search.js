// The search box in the toolbar of the browser page: Ctrl+F puts the caret
// in it, the list under it shows the matches as the operator types (arrows
// move, Enter or a click chooses, Escape closes), and choosing a match goes
// there. What is listed and what choosing does come from the compiled pages.
'use strict';

// `page`: what the page script lends: call (a bridge function), press,
// applyJournal, lists, selectLine, element, toolbar, texts (layout.web),
// busy, chosenLine (the line of a list the chosen match selects) and
// setRows (takes a database's rows as the row lister writes them).
globalThis.OstrolenSearch = (page) => {
  const { call, element, texts } = page;
  const box = element('input', {
    type: 'search',
    id: 'SearchBox',
    class: 'search-box',
    placeholder: texts.searchPrompt,
    autocomplete: 'off',
    spellcheck: false,
    'aria-label': texts.searchPrompt,
    style: { width: `${texts.searchBoxWidth}px` },
  });
  const list = element('div', {
    id: 'SearchList',
    class: 'search-list',
    role: 'listbox',
    hidden: true,
    style: { width: `${texts.searchListWidth}px`, maxHeight: `${texts.searchListHeight}px` },
  });
  box.setAttribute('aria-controls', list.id);
  const holder = element('div', { class: 'search' }, [box, list]);
  page.toolbar.append(holder);

  let shown = { problem: '', lines: [], total: 0 };
  let current = -1;  // the match chosen by the arrows
  const matchLines = () => [...list.querySelectorAll('.search-line.match')];
  function mark(index) {
    const lines = matchLines();
    current = lines.length ? Math.max(0, Math.min(index, lines.length - 1)) : -1;
    lines.forEach((line, i) => line.setAttribute('aria-selected', String(i === current)));
    if (current === 0) list.scrollTop = 0;
    else if (current >= 0) lines[current].scrollIntoView({ block: 'nearest' });
  }
  const close = () => {
    list.hidden = true;
  };
  function refresh() {
    shown = JSON.parse(call('ostrolen_search', box.value));
    if (!box.value.trim()) {
      list.replaceChildren();
      close();
      return;
    }
    const lines = [];
    if (shown.problem) lines.push(element('div', { class: 'search-line problem', textContent: shown.problem }));
    shown.lines.forEach((text, i) => {
      const line = element('div', { class: 'search-line match', role: 'option', textContent: text });
      line.dataset.match = String(i);
      lines.push(line);
    });
    if (!shown.lines.length) lines.push(element('div', { class: 'search-line none', textContent: texts.searchNone }));
    list.replaceChildren(...lines);
    list.hidden = false;
    mark(0);
  }

  // Shows the tab sheet and every sheet that holds it.
  function showSheet(id) {
    for (let sheet = document.getElementById(id); sheet; sheet = sheet.parentElement) {
      if (sheet.classList.contains('sheet')) {
        const tab = document.getElementById(`tab-${sheet.id}`);
        if (tab) tab.click();
      }
    }
  }

  async function choose(index) {
    if (page.busy()) return;
    const chosen = JSON.parse(call('ostrolen_choose', index));
    close();
    if (!chosen) return;
    await page.applyJournal(chosen.journal);
    showSheet(chosen.sheet);
    if (chosen.button) await page.press(chosen.button);
    const target = page.lists.get(chosen.list);
    if (!target) return;
    const row = page.chosenLine(chosen.list);
    if (row >= 0 && target.children[row]) {
      page.selectLine(target, target.children[row]);
      target.focus();
    }
  }
  // A click on a line chooses it; the box keeps the caret meanwhile.
  list.addEventListener('mousedown', (event) => event.preventDefault());
  list.addEventListener('click', (event) => {
    const line = event.target.closest('.search-line.match');
    if (line) choose(Number(line.dataset.match));
  });
  box.addEventListener('input', refresh);
  box.addEventListener('blur', close);
  box.addEventListener('keydown', (event) => {
    switch (event.key) {
      case 'ArrowDown':
      case 'ArrowUp':
      case 'PageDown':
      case 'PageUp': {
        event.preventDefault();
        if (list.hidden) refresh();
        // As far as the list declares it shows lines, less one, as in the window.
        const rows = Math.max(1, Math.floor(texts.searchListHeight / texts.searchLineHeight) - 1);
        const step = { ArrowDown: 1, ArrowUp: -1, PageDown: rows, PageUp: -rows }[event.key];
        mark(current + step);
        break;
      }
      case 'Enter':
        event.preventDefault();
        if (!list.hidden && current >= 0) choose(current);
        break;
      case 'Escape':
        if (!list.hidden) {
          event.preventDefault();
          close();
        }
        break;
    }
  });
  document.addEventListener('keydown', (event) => {
    if ((event.ctrlKey || event.metaKey) && !event.altKey && event.code === 'KeyF') {
      event.preventDefault();
      box.focus();
      box.select();
      if (box.value.trim()) refresh();
    }
  });
  // The matches of `text` as the list would show them, for scripts.
  const find = (text) => JSON.parse(call('ostrolen_search', text));
  // Rows as the row lister writes them, in place of the file's, for scripts.
  const rows = (text, name) => page.setRows(text, name);
  return { box, list, refresh, choose, find, rows };
};
