// The table of many records in the browser page: a dialog drawn from the
// controller's table (the page chooser, the records typed, pasted or opened
// from a file, the rows under their headings, the filter, the counts and
// the progress). Its events go to the controller. The rows are drawn a
// screenful at a time, asked of the controller as they come into view.
'use strict';

(() => {
  function start() {
    const page = window.ostrolen;
    const { element, send } = page;
    const texts = page.layout.table;
    const rowHeight = 22;  // px, as .table-row is drawn
    const batchMilliseconds = 40;
    const progressAfterMilliseconds = 500;
    let view = null;
    let state = null;  // the controller's table, as its last effect gave it
    let building = null;  // the promise of the records being decoded
    let wake = null;  // goes on decoding once the database answered
    let since = 0;

    page.drawers.table = (effect) => {
      state = effect;
      if (wake && !(effect.open && effect.building && effect.reading)) {
        const woken = wake;
        wake = null;
        woken();
      }
      if (!effect.open) {
        if (view) {
          const { dialog } = view;
          view = null;
          page.closeDialog(dialog);
        }
        return;
      }
      if (!view) build();
      draw();
    };
    page.drawers.tableChoice = (effect) => {
      if (!state || !view) return;
      state.chosen = effect.chosen;
      state.current = effect.current;
      drawChoice();
      if (state.current >= 0) showRow(state.current);
    };
    page.drawers.tableRows = (effect) => drawRows(effect.first, effect.rows);
    page.drawers.saveTable = (effect) => {
      const format = texts.formats.find((f) => effect.name.endsWith(f.extension));
      page.download(effect.name, format ? format.type : 'text/plain;charset=utf-8', effect.text);
    };

    function build() {
      const pages = element('select', { id: 'TablePage' });
      texts.pages.forEach((p, i) => pages.append(element('option', { value: String(i), textContent: p.caption })));
      const file = element('input', { type: 'file', id: 'TableFile', class: 'table-file', tabIndex: -1 });
      const open = element('button', { type: 'button', class: 'ok', id: 'TableOpenFile', textContent: texts.openFile });
      const input = element('textarea', { id: 'TableInput', class: 'table-input', spellcheck: false, wrap: 'off', 'aria-label': texts.input });
      const buildButton = element('button', { type: 'button', class: 'ok', id: 'TableBuild', textContent: texts.build });
      const stop = element('button', { type: 'button', class: 'ok', id: 'TableStop', textContent: texts.stop });
      const progress = element('progress', { id: 'TableProgress', class: 'table-progress' });
      const filter = element('input', { type: 'search', id: 'TableFilter', class: 'table-filter', title: texts.filterTip, autocomplete: 'off', spellcheck: false });
      const head = element('div', { class: 'table-head', role: 'row' });
      const spacer = element('div', { class: 'table-spacer' });
      const body = element('div', { class: 'table-body', role: 'rowgroup' });
      const scroller = element('div', {
        id: 'TableRows', class: 'table-rows', role: 'grid', tabIndex: 0, 'aria-label': texts.caption, 'aria-multiselectable': 'true',
      }, [head, spacer, body]);
      const counts = element('div', { id: 'TableCounts', class: 'table-counts', role: 'status' });
      const openRow = element('button', { type: 'button', class: 'ok', id: 'TableOpenRow', textContent: texts.openRow });
      const copy = element('button', { type: 'button', class: 'ok', id: 'TableCopy', textContent: texts.copy });
      const exports = texts.formats.map((f) => {
        const button = element('button', { type: 'button', class: 'ok', id: `TableSave_${f.name}`, textContent: f.button });
        button.addEventListener('click', () => send({ do: 'tableExport', format: f.name }));
        return button;
      });
      const close = element('button', { type: 'button', class: 'ok', id: 'TableClose', textContent: texts.close });
      const captionId = 'table-caption';
      const dialog = element('dialog', { id: 'TableView', class: 'message table-view', 'aria-labelledby': captionId }, [
        element('div', { id: captionId, class: 'caption', textContent: texts.caption }),
        element('div', { class: 'table-line' }, [
          element('label', { for: 'TablePage', textContent: texts.page }), pages, open, file,
        ]),
        element('label', { for: 'TableInput', class: 'table-input-label', textContent: texts.input }),
        input,
        element('div', { class: 'table-line' }, [
          buildButton, stop, progress,
          element('label', { for: 'TableFilter', textContent: texts.filter }), filter,
        ]),
        scroller,
        counts,
        element('div', { class: 'message-buttons table-buttons' }, [openRow, copy, element('span', { class: 'table-gap' }), ...exports, close]),
      ]);
      pages.addEventListener('change', () => send({ do: 'tablePage', index: Number(pages.value) }));
      open.addEventListener('click', () => file.click());
      file.addEventListener('change', async () => {
        const chosen = file.files[0];
        file.value = '';
        if (!chosen) return;
        const bytes = new Uint8Array(await chosen.arrayBuffer());
        decode({ do: 'tableBuild', source: chosen.name }, bytes);
      });
      buildButton.addEventListener('click', () => decode({ do: 'tableBuild', text: input.value }));
      stop.addEventListener('click', () => send({ do: 'tableStop' }));
      filter.addEventListener('input', () => send({ do: 'tableFilter', text: filter.value }));
      scroller.addEventListener('scroll', () => askRows());
      head.addEventListener('click', (event) => {
        const cell = event.target.closest('.table-heading');
        if (cell) send({ do: 'tableSort', column: Number(cell.dataset.column) });
      });
      body.addEventListener('mousedown', (event) => event.preventDefault());
      body.addEventListener('click', (event) => {
        const row = event.target.closest('.table-row');
        if (!row) return;
        scroller.focus();
        send({ do: 'tableClick', row: Number(row.dataset.row), shift: event.shiftKey, ctrl: event.ctrlKey || event.metaKey });
      });
      body.addEventListener('dblclick', (event) => {
        const row = event.target.closest('.table-row');
        if (row) send({ do: 'tableOpenRow', row: Number(row.dataset.row) });
      });
      scroller.addEventListener('keydown', (event) => {
        const key = page.keyOf(event);
        if (!key || !send({ do: 'tableKey', ...key })) return;
        event.preventDefault();
        event.stopPropagation();
      });
      openRow.addEventListener('click', () => send({ do: 'tableOpenRow', row: state.current }));
      copy.addEventListener('click', () => send({ do: 'tableCopy' }));
      close.addEventListener('click', () => send({ do: 'closeTable' }));
      view = { dialog, pages, input, buildButton, stop, progress, filter, head, spacer, body, scroller, counts, openRow, copy, exports };
      page.openDialog(dialog, () => {
        if (view && view.dialog === dialog) send({ do: 'tableKey', code: 'escape', text: '', shift: false, ctrl: false, alt: false, meta: false });
      });
      // How many rows the view shows: the step of Page Up and Page Down.
      new ResizeObserver(() => {
        send({ do: 'tableRowsInView', rows: Math.max(1, Math.floor((scroller.clientHeight - rowHeight) / rowHeight) - 1) });
      }).observe(scroller);
      input.focus();
    }

    // The chosen rows' marks, on the rows drawn (they stay: a double click needs both clicks on one row).
    function drawChoice() {
      const chosen = new Set(state.chosen);
      for (const drawn of view.body.children) {
        const index = Number(drawn.dataset.row);
        drawn.setAttribute('aria-selected', String(chosen.has(index)));
        drawn.classList.toggle('current', index === state.current);
      }
    }

    function showRow(row) {
      const top = row * rowHeight;
      const { scroller } = view;
      const visible = scroller.clientHeight - rowHeight;
      if (top < scroller.scrollTop) scroller.scrollTop = top;
      else if (top + rowHeight > scroller.scrollTop + visible) scroller.scrollTop = top + rowHeight - visible;
    }

    // Decodes the records a batch at a time, the page answering between batches.
    async function decode(intent, bytes) {
      if (building) return;
      since = performance.now();
      building = (async () => {
        send(intent, bytes);
        while (state && state.building) {
          // Waiting for the database: its answer draws the table, and that wakes this.
          if (state.reading) await new Promise((resolve) => { wake = resolve; });
          else await new Promise((resolve) => setTimeout(resolve, 0));
          const batch = performance.now();
          while (state && state.building && !state.reading && performance.now() - batch < batchMilliseconds) {
            send({ do: 'tableStep', count: 2000 });
          }
        }
      })();
      try {
        await building;
      } finally {
        building = null;
        if (view) {
          view.dialog.dataset.built = String(Number(view.dialog.dataset.built || 0) + 1);
          draw();
        }
      }
    }

    function draw() {
      if (!view || !state) return;
      const v = view;
      if (Number(v.pages.value) !== state.page) v.pages.value = String(state.page);
      if (v.filter.value !== state.filter) v.filter.value = state.filter;
      v.counts.textContent = state.counts;
      v.buildButton.disabled = state.building;
      v.stop.hidden = !state.building;
      v.progress.hidden = !(state.building && performance.now() - since >= progressAfterMilliseconds);
      v.progress.max = Math.max(1, state.total);
      v.progress.value = state.done;
      const rows = state.hasTable && !state.building && state.shown > 0;
      for (const button of v.exports) button.disabled = !state.hasTable || state.building;
      v.copy.disabled = !rows;
      v.openRow.disabled = !rows;
      v.dialog.dataset.building = state.building ? '1' : '0';
      // While records are decoded, the rows are not drawn: only the counts and the progress move.
      if (state.building && v.head.childElementCount === state.columns.length) return;
      const headings = state.columns.map((name, i) => {
        const sorted = state.sort === i;
        return element('div', {
          class: 'table-heading', role: 'columnheader', textContent: name, title: name,
          'aria-sort': sorted ? (state.descending ? 'descending' : 'ascending') : 'none',
        }, []);
      });
      headings.forEach((h, i) => {
        h.dataset.column = String(i);
      });
      v.head.replaceChildren(...headings);
      v.head.style.gridTemplateColumns = columnsTemplate();
      v.spacer.style.height = `${state.shown * rowHeight}px`;
      askRows();
    }

    // Columns of one width under their headings, a cell's whole text in its tooltip.
    const columnWidth = 150;
    const columnsTemplate = () => `repeat(${state.columns.length}, ${columnWidth}px)`;

    // The rows in view, asked of the controller; they come back as a tableRows effect.
    function askRows() {
      if (!view || !state || state.building) {
        view?.body.replaceChildren();
        return;
      }
      const first = Math.floor(view.scroller.scrollTop / rowHeight);
      const count = Math.ceil(view.scroller.clientHeight / rowHeight) + 1;
      send({ do: 'tableRows', first, count });
    }

    function drawRows(first, rows) {
      if (!view) return;
      const chosen = new Set(state.chosen);
      const template = columnsTemplate();
      view.body.replaceChildren(...rows.map((cells, i) => {
        const index = first + i;
        const row = element('div', {
          class: 'table-row', role: 'row', id: `TableRow-${index}`,
          'aria-selected': String(chosen.has(index)), 'aria-rowindex': String(index + 1),
          style: { top: `${(index + 1) * rowHeight}px`, gridTemplateColumns: template },
        }, cells.map((text) => element('div', { class: 'table-cell', role: 'gridcell', textContent: text, title: text })));
        row.dataset.row = String(index);
        if (index === state.current) row.classList.add('current');
        return row;
      }));
    }

    // ---- The toolbar's command, before the search box as the session's are.
    const toolbar = document.getElementById('ToolBar1');
    const search = toolbar.querySelector('.search');
    const button = element('button', {
      type: 'button', id: 'ShowTable', class: 'tool text', textContent: texts.command,
      title: `${texts.command} (${texts.key})`, 'aria-keyshortcuts': texts.key.replace('Ctrl', 'Control'),
    });
    button.addEventListener('mousedown', (event) => event.preventDefault());
    button.addEventListener('click', () => send({ do: 'openTable' }));
    toolbar.insertBefore(button, search);
    page.table = { decode, whenBuilt: () => building || Promise.resolve(), state: () => state };
  }

  if (window.ostrolen && window.ostrolen.drawers) start();
  else document.addEventListener('ostrolen-ready', start, { once: true });
})();
