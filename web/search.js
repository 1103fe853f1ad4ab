// The search box in the toolbar of the browser page: Ctrl+F puts the caret
// in it, the list under it shows the matches as the operator types (arrows
// move, Enter or a click chooses, Escape closes), and choosing a match goes
// there. What is listed and what choosing does is the controller's; this
// draws the box and its list.
'use strict';

// `page`: what the page script lends: element, texts (layout.web), toolbar,
// send (an intent to the controller), drawers (where the search's drawing
// goes), others (the controls that are no page's own), scrollWithin (a list
// scrolled to show a line, the page left where it is) and quiet (effects or
// a message box under way: the focus moved by them is no operator's).
globalThis.OstrolenSearch = (page) => {
  const { element, texts, send } = page;
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
  page.others.set('SearchBox', () => box);

  let last = { lines: [], total: 0 };
  page.drawers.search = (view) => {
    last = view;
    if (box.value !== view.text) box.value = view.text;
    if (!view.open) {
      list.hidden = true;
      list.replaceChildren();
      return;
    }
    const lines = [];
    if (view.problem) lines.push(element('div', { class: 'search-line problem', textContent: view.problem }));
    view.lines.forEach((text, i) => {
      const line = element('div', { class: 'search-line match', role: 'option', textContent: text });
      line.dataset.match = String(i);
      line.setAttribute('aria-selected', String(i === view.current));
      lines.push(line);
    });
    if (!view.lines.length) lines.push(element('div', { class: 'search-line none', textContent: texts.searchNone }));
    list.replaceChildren(...lines);
    list.hidden = false;
    if (view.current === 0) list.scrollTop = 0;
    else if (view.current > 0) page.scrollWithin(list, lines[view.current + (view.problem ? 1 : 0)]);
  };

  // A click on a line chooses it; the box keeps the caret meanwhile.
  list.addEventListener('mousedown', (event) => event.preventDefault());
  list.addEventListener('click', (event) => {
    const line = event.target.closest('.search-line.match');
    if (line) send({ do: 'chooseMatch', index: Number(line.dataset.match) });
  });
  // A change the browser made itself (its clear button, an input method).
  box.addEventListener('input', () => {
    if (!page.quiet()) send({ do: 'searchEdited', text: box.value });
  });
  // The list closes when the focus leaves the box.
  box.addEventListener('blur', () => {
    if (!page.quiet()) send({ do: 'closeSearch' });
  });

  // The matches of `text` as the list shows them, for scripts: typed into the box.
  const find = (text) => {
    send({ do: 'find', text });
    return { total: last.total, lines: last.lines };
  };
  // Rows as the row lister writes them, in place of the file's, for scripts.
  const rows = (text) => send({ do: 'searchRows' }, new TextEncoder().encode(text));
  return { box, list, find, rows };
};
