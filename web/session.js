// The session in the browser page: the toolbar's commands (a page's result
// kept as the reference, the history, the report, printing), the history
// view, the report downloaded, the printout printed through the browser's
// own printing, and the address (#sko=271A6) that reopens a decode.
// What is kept, compared, chosen and written is the controller's; this
// draws it.
'use strict';

(() => {
  function start() {
    const page = window.ostrolen;
    const { element, send } = page;
    const texts = page.layout.session;

    // ---- The history view: modal, its entries chosen as the controller has them.
    let view = null;  // {dialog, entries, choose, compare}
    page.others.set('HistoryEntries', () => view?.entries);
    page.drawers.history = (history) => {
      if (!history.open) {
        if (view) {
          const { dialog } = view;
          view = null;
          page.closeDialog(dialog);
        }
        return;
      }
      if (!view) build(history);
      const options = [...view.entries.children];
      options.forEach((option, i) => option.setAttribute('aria-selected', String(Boolean(history.entries[i]?.selected))));
      const current = options[history.current];
      if (current) {
        view.entries.setAttribute('aria-activedescendant', current.id);
        page.scrollWithin(view.entries, current);
      }
      view.choose.disabled = !history.canChoose;
      view.compare.disabled = !history.canCompare;
    };
    function build(history) {
      const entries = element('div', {
        id: 'HistoryEntries',
        class: 'list history-entries',
        role: 'listbox',
        tabIndex: 0,
        'aria-multiselectable': 'true',
        'aria-label': texts.caption,
      });
      history.entries.forEach((entry, i) => {
        const option = element('div', {
          class: 'line',
          role: 'option',
          id: `HistoryEntries-${i}`,
          textContent: entry.title,
          title: entry.tip,
        });
        option.dataset.number = String(entry.number);
        entries.append(option);
      });
      const rowOf = (event) => {
        const option = event.target.closest('.line');
        return option ? [...entries.children].indexOf(option) : -1;
      };
      entries.addEventListener('mousedown', (event) => event.preventDefault());
      entries.addEventListener('click', (event) => {
        const row = rowOf(event);
        if (row >= 0) send({ do: 'clickLine', line: row, shift: event.shiftKey, ctrl: event.ctrlKey || event.metaKey });
      });
      entries.addEventListener('dblclick', (event) => {
        const row = rowOf(event);
        if (row >= 0) send({ do: 'doubleClickLine', line: row });
      });
      const choose = element('button', { type: 'button', class: 'ok', id: 'ChooseEntry', textContent: texts.choose });
      const compare = element('button', { type: 'button', class: 'ok', id: 'CompareEntries', textContent: texts.compare });
      const print = element('button', { type: 'button', class: 'ok', id: 'PrintHistory', textContent: texts.print });
      const close = element('button', { type: 'button', class: 'ok', id: 'CloseHistory', textContent: texts.close });
      choose.addEventListener('click', () => send({ do: 'chooseEntry' }));
      print.addEventListener('click', () => send({ do: 'print' }));
      compare.addEventListener('click', () => send({ do: 'compareEntries' }));
      close.addEventListener('click', () => send({ do: 'closeHistory' }));
      const captionId = 'history-caption';
      const dialog = element('dialog', { id: 'HistoryView', class: 'message history', 'aria-labelledby': captionId }, [
        element('div', { id: captionId, class: 'caption', textContent: texts.caption }),
        entries,
        element('div', { class: 'message-buttons' }, [choose, compare, print, close]),
      ]);
      view = { dialog, entries, choose, compare };
      page.openDialog(dialog, () => {
        if (view && view.dialog === dialog) send({ do: 'closeHistory' });
      });
    }

    // ---- The report: downloaded as plain text and as HTML.
    const { download } = page;
    page.drawers.saveReport = (report) => {
      download(`${texts.fileName}.txt`, 'text/plain;charset=utf-8', report.text);
      download(`${texts.fileName}.html`, 'text/html;charset=utf-8', report.html);
    };

    // ---- The printout: the controller's document in a container of its
    // own, which alone is printed (page.css), through the browser's printing.
    // A print the browser starts itself (its menu) takes the printout too,
    // filled in without a second print dialog.
    let printing = false;  // the browser's print dialog is up
    page.drawers.print = (printout) => {
      let container = document.getElementById('Printout');
      if (!container) {
        container = element('div', { id: 'Printout', class: 'printout' });
        document.body.append(container);
      }
      container.innerHTML = printout.body;
      document.body.classList.add('printing');
      if (printing) return;
      // The document's title names the PDF file the browser offers to save.
      const { title } = document;
      document.title = printout.title;
      try {
        printing = true;
        window.print();
      } finally {
        printing = false;
        document.title = title;
      }
    };
    window.addEventListener('beforeprint', () => {
      if (printing) return;
      printing = true;
      try {
        document.body.classList.remove('printing');
        send({ do: 'print' });
      } finally {
        printing = false;
      }
    });
    window.addEventListener('afterprint', () => document.body.classList.remove('printing'));

    // The address follows the decodes only: a press of another page (or
    // none at all) leaves whatever else the address says alone.
    page.drawers.address = (address) => {
      if (address.text && location.hash !== `#${address.text}`) history.replaceState(null, '', `#${address.text}`);
    };

    // ---- The toolbar: its commands before the search box, as in the window;
    // their keys are the window's own (the controller's).
    const commands = [
      { id: 'KeepReference', text: texts.keep, key: texts.keepKey, intent: 'keepReference' },
      { id: 'ShowHistory', text: texts.history, key: texts.historyKey, intent: 'openHistory' },
      { id: 'SaveHistory', text: texts.save, key: texts.saveKey, intent: 'saveHistory' },
      { id: 'Print', text: texts.print, key: texts.printKey, intent: 'print' },
    ];
    const toolbar = document.getElementById('ToolBar1');
    const search = toolbar.querySelector('.search');
    toolbar.insertBefore(element('span', { class: 'tool-separator', role: 'separator' }), search);
    for (const command of commands) {
      const button = element('button', {
        type: 'button',
        id: command.id,
        class: 'tool text',
        textContent: command.text,
        title: `${command.text} (${command.key})`,
        'aria-keyshortcuts': command.key.replace('Ctrl', 'Control'),
      });
      button.addEventListener('mousedown', (event) => event.preventDefault());
      button.addEventListener('click', () => send({ do: command.intent }));
      toolbar.insertBefore(button, search);
    }

    // ---- An address opens its page decoded.
    if (location.hash.length > 1) send({ do: 'open', address: location.hash });
  }

  if (window.ostrolen && window.ostrolen.drawers) start();
  else document.addEventListener('ostrolen-ready', start, { once: true });
})();
