// The session in the browser page: a page's result kept as the reference
// and the marks of the next press beside its lines, the history view, the
// report downloaded, and the address (#sko=271A6) that reopens a decode.
// What is kept, compared and written comes from the pages' own session;
// this only draws it.
'use strict';

(() => {
  function start() {
    const page = window.ostrolen;
    const { call, element } = page;
    const texts = JSON.parse(call('ostrolen_session_texts'));
    for (const [mark, colour] of Object.entries(texts.colours)) {
      const name = { '=': 'same', '~': 'changed', '+': 'added', '-': 'gone' }[mark];
      document.documentElement.style.setProperty(`--mark-${name}`, colour);
    }

    // ---- Marks: the page's own lines keep their texts; a mark and an old
    // value are drawn after a line, the gone lines before the line that now
    // stands in their place (or after the last).
    function drawMarks(listName) {
      const list = page.lists.get(listName);
      if (!list) return;
      delete list.dataset.goneEnd;
      const marks = JSON.parse(call('ostrolen_marks', listName));
      if (!marks) return;
      const own = [...list.children];
      let row = 0;
      let gone = [];
      for (const line of marks) {
        if (line.mark === '-') {
          gone.push(line.text);
          continue;
        }
        const item = own[row++];
        if (!item) break;
        item.dataset.mark = line.mark;
        item.dataset.old = line.old;
        if (gone.length) item.dataset.gone = gone.map((t) => `${t}  -`).join('\n');
        const lost = gone.length ? `; ${gone.map((t) => `${texts.goneWord}: ${t}`).join('; ')}` : '';
        item.setAttribute('aria-description', line.description + lost);
        item.title = item.title ? `${item.title}\n${line.description}` : line.description;
        gone = [];
      }
      if (gone.length) list.dataset.goneEnd = gone.map((t) => `${t}  -`).join('\n');
    }

    // The address follows the decodes only: a press of another page (or
    // none at all) leaves whatever else the address says alone.
    let decoded = '';
    function updateAddress() {
      const address = call('ostrolen_address');
      if (!address || address === decoded) return;
      decoded = address;
      if (location.hash !== `#${address}`) history.replaceState(null, '', `#${address}`);
    }

    page.afterJournal.push((journal) => {
      const touched = new Set();
      for (const event of journal) if (event.list) touched.add(event.list);
      for (const list of touched) drawMarks(list);
      updateAddress();
    });

    // Brings the page of `button` to the front: its tab and every tab above it.
    function showPageOf(button) {
      const control = document.getElementById(button);
      for (let sheet = control && control.closest('.sheet'); sheet; sheet = sheet.parentElement.closest('.sheet')) {
        const tab = document.getElementById(`tab-${sheet.id}`);
        if (tab && sheet.hidden) tab.click();
      }
    }
    async function showPress(answer) {
      if (!answer || answer.error) return false;
      showPageOf(answer.button);
      await page.applyJournal(answer.journal);
      return true;
    }

    // The list of the page in front.
    function currentList() {
      for (const [name, list] of page.lists) if (list.offsetParent !== null) return name;
      return '';
    }
    function keepReference() {
      const list = currentList();
      return list ? call('ostrolen_keep', list) === '1' : false;
    }

    // ---- The history view.
    let view = null;
    function showHistory() {
      if (view) return;
      const entries = element('select', { id: 'HistoryEntries', multiple: true, size: 12, 'aria-label': texts.caption });
      for (const entry of JSON.parse(call('ostrolen_history'))) {
        const option = element('option', { value: String(entry.number), textContent: entry.title });
        option.dataset.page = entry.page;
        entries.append(option);
      }
      if (entries.options.length) entries.options[0].selected = true;
      const choose = element('button', { type: 'button', id: 'ChooseEntry', textContent: texts.choose });
      const compare = element('button', { type: 'button', id: 'CompareEntries', textContent: texts.compare });
      const close = element('button', { type: 'button', id: 'CloseHistory', textContent: texts.close });
      const update = () => {
        const chosen = [...entries.selectedOptions];
        choose.disabled = chosen.length !== 1;
        compare.disabled = !(chosen.length === 2 && chosen[0].dataset.page === chosen[1].dataset.page);
      };
      entries.addEventListener('change', update);
      update();
      const captionId = 'history-caption';
      view = element('dialog', { id: 'HistoryView', class: 'message history', 'aria-labelledby': captionId }, [
        element('div', { id: captionId, class: 'caption', textContent: texts.caption }),
        entries,
        element('div', { class: 'message-buttons' }, [choose, compare, close]),
      ]);
      const finish = async (answer) => {
        view.close();
        await showPress(JSON.parse(answer));
      };
      choose.addEventListener('click', () => finish(call('ostrolen_choose_entry', Number(entries.selectedOptions[0].value))));
      compare.addEventListener('click', () => {
        const [newer, older] = [...entries.selectedOptions].map((o) => Number(o.value));
        finish(call('ostrolen_compare_entries', Math.min(older, newer), Math.max(older, newer)));
      });
      entries.addEventListener('dblclick', () => {
        if (!choose.disabled) choose.click();
      });
      close.addEventListener('click', () => view.close());
      view.addEventListener('close', () => {
        view.remove();
        view = null;
      });
      document.body.append(view);
      view.showModal();
      entries.focus();
    }

    // ---- The report: downloaded as plain text and as HTML.
    function download(name, type, text) {
      const url = URL.createObjectURL(new Blob([text], { type }));
      const link = element('a', { href: url, download: name });
      document.body.append(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(url), 1000);
    }
    function saveHistory() {
      download(`${texts.fileName}.txt`, 'text/plain;charset=utf-8', call('ostrolen_report', 0));
      download(`${texts.fileName}.html`, 'text/html;charset=utf-8', call('ostrolen_report', 1));
    }

    // ---- The toolbar and the keys.
    const commands = [
      { id: 'KeepReference', text: texts.keep, key: texts.keepKey, run: keepReference },
      { id: 'ShowHistory', text: texts.history, key: texts.historyKey, run: showHistory },
      { id: 'SaveHistory', text: texts.save, key: texts.saveKey, run: saveHistory },
    ];
    const toolbar = document.getElementById('ToolBar1');
    toolbar.append(element('span', { class: 'tool-separator', role: 'separator' }));
    for (const command of commands) {
      const button = element('button', {
        type: 'button',
        id: command.id,
        class: 'tool text',
        textContent: command.text,
        title: `${command.text} (${command.key})`,
        'aria-keyshortcuts': command.key.replace('Ctrl', 'Control'),
      });
      button.addEventListener('click', () => command.run());
      toolbar.append(button);
    }
    document.addEventListener('keydown', (event) => {
      if (!event.ctrlKey || event.altKey || event.shiftKey || event.metaKey) return;
      const command = commands.find((c) => c.key === `Ctrl+${event.key.toUpperCase()}`);
      if (!command) return;
      event.preventDefault();
      command.run();
    });

    page.session = { keepReference, showHistory, saveHistory, texts };

    // ---- An address opens its page decoded.
    if (location.hash.length > 1) showPress(JSON.parse(call('ostrolen_open', location.hash)));
  }

  if (window.ostrolen && window.ostrolen.afterJournal) start();
  else document.addEventListener('ostrolen-ready', start, { once: true });
})();
