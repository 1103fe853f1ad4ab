// The window in a browser page: built from the page declarations that the
// compiled pages hand over, every press run by the same handlers. Nothing
// here knows a page, a box or a text of its own: all of them come from the
// declarations.
'use strict';

(async () => {
  const started = performance.now();
  const Module = await OstrolenModule();
  const call = (name, ...args) =>
    Module.ccall(name, 'string', args.map((a) => (typeof a === 'number' ? 'number' : 'string')), args);

  const layout = JSON.parse(call('ostrolen_layout'));
  const shell = layout.shell;
  const boxes = new Map();  // control name -> input element
  const lists = new Map();  // control name -> list element
  const buttons = new Map();
  const pageOfBox = new Map();  // input element -> {page, index}
  Module.boxText = (name) => {
    const box = boxes.get(name);
    return box ? box.value : '';
  };

  const element = (tag, props = {}, children = []) => {
    const e = document.createElement(tag);
    for (const [key, value] of Object.entries(props)) {
      if (key === 'style') Object.assign(e.style, value);
      else if (key === 'class') e.className = value;
      else if (key.startsWith('aria-') || key === 'role' || key === 'for') e.setAttribute(key, value);
      else e[key] = value;
    }
    for (const child of children) e.append(child);
    return e;
  };
  const px = (n) => `${n}px`;
  const place = (spec) => ({ left: px(spec.x), top: px(spec.y), width: px(spec.width), height: px(spec.height) });

  // The application's title, from the page's file name as the desktop takes
  // it from the program's.
  const title = (() => {
    let name = '';
    try {
      name = decodeURIComponent(location.pathname.split('/').pop() || '');
    } catch {
      name = location.pathname.split('/').pop() || '';
    }
    return call('ostrolen_title', name);
  })();

  // ---- Message boxes: modal, one at a time, each answered by OK.
  let dialogCount = 0;
  let dialogQueue = Promise.resolve();
  function showMessage(caption, text, icon) {
    const shown = dialogQueue.then(
      () =>
        new Promise((resolve) => {
          const n = ++dialogCount;
          const captionId = `message-caption-${n}`;
          const textId = `message-text-${n}`;
          const ok = element('button', { type: 'button', class: 'ok', textContent: shell.ok });
          const body = element('div', { class: 'message-body' }, [
            ...(icon ? [element('span', { class: 'message-icon', innerHTML: OstrolenPictures.svg(icon) })] : []),
            element('p', { id: textId, class: 'message-text', textContent: text }),
          ]);
          const dialog = element(
            'dialog',
            { class: 'message', 'aria-labelledby': captionId, 'aria-describedby': textId },
            [
              element('div', { id: captionId, class: 'caption', textContent: caption }),
              body,
              element('div', { class: 'message-buttons' }, [ok]),
            ]);
          dialog.dataset.kind = icon ? 'error' : 'report';
          ok.addEventListener('click', () => dialog.close());
          dialog.addEventListener('close', () => {
            dialog.remove();
            resolve();
          });
          document.body.append(dialog);
          dialog.showModal();
          ok.focus();
        }));
    dialogQueue = shown;
    return shown;
  }

  function showAbout() {
    const n = ++dialogCount;
    const captionId = `message-caption-${n}`;
    const dialog = element('dialog', { class: 'about', id: 'Form2', 'aria-labelledby': captionId }, [
      // Its name is the caption with the version line, not the close button's "OK".
      element('div', { id: captionId, class: 'caption', 'aria-label': `${shell.aboutCaption} ${shell.aboutLine}` }, [
        element('span', { textContent: shell.aboutCaption }),
        element('button', { type: 'button', class: 'close', textContent: '×', 'aria-label': shell.ok }),
      ]),
      element('div', {
        id: 'Label1',
        class: 'about-line',
        textContent: shell.aboutLine,
        style: { fontSize: px(shell.aboutLinePixels) },
      }),
    ]);
    dialog.style.width = px(shell.aboutWidth);
    dialog.querySelector('.close').addEventListener('click', () => dialog.close());
    dialog.addEventListener('close', () => dialog.remove());
    document.body.append(dialog);
    dialog.showModal();
    dialog.querySelector('.close').focus();
  }

  // ---- The database of "Сегменты": the chosen file, or the sample.
  // `file` is what the file chooser gave (a snapshot in some browsers);
  // `handle`, where the browser has them, reads the file on disk as it is
  // now, and is kept for the next visit. `choice` counts the choices, and
  // `holds` is the stamp of the file whose bytes the worker has (see
  // readOnce); `fileSent` tells the status line that bytes went to it, and
  // `rowsListed` that the search has the rows of a listing.
  const database = {
    file: null,
    handle: null,
    choice: 0,
    worker: null,
    holds: null,
    pending: null,
    sequence: 0,
    showProgress: () => {},
    fileSent: () => {},
    rowsListed: () => {},
  };
  const remembered = {
    open() {
      return new Promise((resolve, reject) => {
        const request = indexedDB.open('ostrolen', 1);
        request.onupgradeneeded = () => request.result.createObjectStore('database');
        request.onsuccess = () => resolve(request.result);
        request.onerror = () => reject(request.error);
      });
    },
    async run(mode, work) {
      const db = await this.open();
      return new Promise((resolve, reject) => {
        const transaction = db.transaction('database', mode);
        const request = work(transaction.objectStore('database'));
        transaction.oncomplete = () => resolve(request.result);
        transaction.onerror = () => reject(transaction.error);
      });
    },
    keep: (handle) => remembered.run('readwrite', (store) => store.put(handle, 'file')).catch(() => {}),
    load: () => remembered.run('readonly', (store) => store.get('file')).catch(() => undefined),
  };
  const sampleBytes = () => {
    const text = document.getElementById('ostrolen-sample').textContent.trim();
    const binary = atob(text);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  };
  // The time the worker may go without reading on, as the desktop's reader
  // program may; "#reader-time-limit=MS" after the page's address
  // sets another (for a very slow machine, or to try the limit). A long
  // healthy file tells how far it is, and the limit starts again each time.
  const readerTimeLimit = () => {
    const match = /reader-time-limit=(\d+)/.exec(location.hash);
    return match ? Number(match[1]) : 5000;
  };

  function startWorker() {
    const source =
      document.getElementById('ostrolen-module').textContent + '\n' +
      document.getElementById('ostrolen-worker').textContent;
    const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
    const worker = new Worker(url);
    URL.revokeObjectURL(url);
    worker.onmessage = ({ data }) => {
      const pending = database.pending;
      if (!pending || pending.id !== data.id) return;
      if (data.progress !== undefined) {
        pending.wait();
        database.showProgress(data.progress);
        return;
      }
      database.pending = null;
      database.showProgress(null);
      clearTimeout(pending.timer);
      if (data.needsFile) {
        // The worker has not the file of that stamp (a worker started since): it gets the bytes.
        database.holds = null;
        pending.resolve({ needsFile: true });
      } else if (data.crashed) {
        stopWorker();
        pending.resolve({ bytes: new Uint8Array(0), failure: 'crashed' });
      } else {
        pending.resolve({ bytes: new Uint8Array(data.bytes), failure: 'crashed' });
      }
    };
    worker.onerror = (event) => {
      event.preventDefault();
      const pending = database.pending;
      database.pending = null;
      database.showProgress(null);
      stopWorker();
      if (pending) {
        clearTimeout(pending.timer);
        pending.resolve({ bytes: new Uint8Array(0), failure: 'crashed' });
      }
    };
    return worker;
  }
  function stopWorker() {
    if (database.worker) database.worker.terminate();
    database.worker = null;
    database.holds = null;
  }

  // Answers `request` in the worker (see readOnce), within the time limit;
  // one reading at a time, in the order they were asked for, but that a
  // lookup goes before the search's listings that have not begun: the
  // operator's press does not wait for the rows of the search.
  const waiting = [];
  let reading = false;
  function readDatabase(request, listing = false) {
    return new Promise((resolve, reject) => {
      const before = listing ? -1 : waiting.findIndex((w) => w.listing);
      waiting.splice(before < 0 ? waiting.length : before, 0, { request, listing, resolve, reject });
      readNext();
    });
  }
  async function readNext() {
    if (reading || !waiting.length) return;
    reading = true;
    const next = waiting.shift();
    try {
      next.resolve(await readOnce(next.request));
    } catch (e) {
      next.reject(e);
    } finally {
      reading = false;
      readNext();
    }
  }
  // Reads what a lookup with the boxes as they are would read, and forgets the
  // answer: the worker keeps what it read while the file stays the same, so
  // the operator's first lookup on a newly chosen file need not wait for it.
  function readAhead() {
    const request = call('ostrolen_request', layout.web.databaseButton, chosenName());
    if (request) readDatabase(request);
    listRows();
  }
  // The rows of the chosen file (or the sample) for the search box, listed
  // in the worker once a file is chosen, a piece at a time (see
  // web/mdb_worker.js): a lookup asked for meanwhile waits for one piece at
  // most. A listing that a newer choice overtakes is left to that one's; one
  // whose file changed on the way begins again. A piece that fails (the
  // worker crashed or ran out of time) fails the whole listing.
  const listedPiece = 16384;
  async function listRows() {
    const choice = database.choice;
    const request = JSON.parse(call('ostrolen_rows_request'));
    let pieces = [];
    let stamp = null;
    let from = [0, 0];
    for (;;) {
      const answer = await readDatabase(JSON.stringify({ ...request, from, most: listedPiece }), true);
      if (database.choice !== choice) return;
      const bytes = answer.bytes;
      if (bytes.length === 0) {
        pieces = [];
        break;
      }
      if (stamp !== null && answer.stamp !== stamp) {
        pieces = [];
        from = [0, 0];
        stamp = null;
        continue;
      }
      stamp = answer.stamp;
      // The last record: "more TABLE ROW" when the listing goes on.
      const start = bytes.lastIndexOf(10, bytes.length - 2) + 1;
      const last = new TextDecoder().decode(bytes.subarray(start)).split('\t');
      if (last[0] !== 'more') {
        pieces.push(bytes);
        break;
      }
      pieces.push(bytes.subarray(0, start));
      from = [Number(last[1]), Number(last[2])];
    }
    const rows = new Uint8Array(pieces.reduce((n, piece) => n + piece.length, 0));
    pieces.reduce((at, piece) => (rows.set(piece, at), at + piece.length), 0);
    setSearchRows(rows, chosenName());
    database.rowsListed();
  }
  // Rows as the row lister writes them, its UTF-8 bytes or a text, from the
  // file `name`; a large file's are far more than a call's stack can take.
  function setSearchRows(rows, name) {
    const bytes = typeof rows === 'string' ? new TextEncoder().encode(rows) : rows;
    const pointer = Module._malloc(bytes.length + 1);
    Module.HEAPU8.set(bytes, pointer);
    Module.HEAPU8[pointer + bytes.length] = 0;
    Module.ccall('ostrolen_search_rows', null, ['number', 'string'], [pointer, name]);
    Module._free(pointer);
  }
  // The name the press's messages give the file: the chosen one's, or the sample's.
  function chosenName() {
    const chosen = database.handle || database.file;
    return chosen ? chosen.name : '';
  }
  // Answers `request` on the chosen file (or the sample). The worker keeps
  // the file's bytes and what it read from them under the file's stamp: the
  // choice, the size and the time of the last change. While the stamp stays
  // the same, a press sends the request alone; a file that changed (a kept
  // handle gives the file as it is on disk now), a new choice or a new
  // worker has the file read and sent again.
  async function readOnce(request) {
    let file = null;  // null: the sample
    if (database.handle || database.file) {
      try {
        file = database.file;
        if (database.handle) {
          // A file remembered from an earlier visit asks for leave to read it again.
          const options = { mode: 'read' };
          if ((await database.handle.queryPermission(options)) !== 'granted' &&
              (await database.handle.requestPermission(options)) !== 'granted') {
            return { bytes: new Uint8Array(0), failure: 'no-access' };
          }
          file = await database.handle.getFile();
        } else if (database.holds === stampOf(file) && database.worker) {
          // A chosen file is a snapshot: once it has changed on disk it can
          // no longer be read, which its first byte shows as well as the whole.
          await file.slice(0, 1).arrayBuffer();
        }
      } catch (e) {
        return unread(e);
      }
    }
    const stamp = stampOf(file);
    if (database.worker && database.holds === stamp) {
      const answer = await ask(request, stamp, null);
      if (!answer.needsFile) return { ...answer, stamp };
    }
    let bytes;
    try {
      bytes = file ? new Uint8Array(await file.arrayBuffer()) : sampleBytes();
    } catch (e) {
      return unread(e);
    }
    return { ...(await ask(request, stamp, bytes)), stamp };
  }
  const stampOf = (file) => (file ? `${database.choice}:${file.size}:${file.lastModified}` : 'sample');
  const unread = (e) => ({ bytes: new Uint8Array(0), failure: e && e.name === 'NotFoundError' ? 'missing' : 'unreadable' });
  // Has the worker answer `request` on the file of `stamp`, within the time
  // limit; `bytes`, when given, are the file's, which the worker then keeps.
  function ask(request, stamp, bytes) {
    if (!database.worker) database.worker = startWorker();
    const id = ++database.sequence;
    return new Promise((resolve) => {
      const pending = { id, resolve, timer: 0 };
      pending.wait = () => {
        clearTimeout(pending.timer);
        pending.timer = setTimeout(() => {
          database.pending = null;
          database.showProgress(null);
          stopWorker();
          resolve({ bytes: new Uint8Array(0), failure: 'timed-out' });
        }, readerTimeLimit());
      };
      pending.wait();
      database.pending = pending;
      if (bytes) {
        database.holds = stamp;
        database.worker.postMessage({ id, request, stamp, buffer: bytes.buffer }, [bytes.buffer]);
        database.fileSent();
      } else {
        database.worker.postMessage({ id, request, stamp });
      }
    });
  }

  // ---- Presses.
  const afterJournal = [];  // other scripts' work once a press's journal is shown
  let busy = false;  // a press or an edit is under way
  async function press(name) {
    if (busy) return;
    busy = true;
    try {
      const request = call('ostrolen_request', name, chosenName());
      if (request) {
        const answer = await readDatabase(request);
        const size = answer.bytes.length;
        const pointer = Module._malloc(Math.max(size, 1));
        Module.HEAPU8.set(answer.bytes, pointer);
        Module._ostrolen_set_outcomes(pointer, size, Module.ccall('ostrolen_failure_code', 'number', ['string'], [answer.failure]), 64);
        Module._free(pointer);
      }
      forgetExplained(name);
      const journal = JSON.parse(call('ostrolen_press', name));
      if (!journal) return;
      await applyJournal(journal);
    } finally {
      busy = false;
    }
  }
  async function applyJournal(journal) {
    for (const event of journal) {
      switch (event.op) {
        case 'box': boxes.get(event.name).value = event.text; break;
        case 'clear': clearList(lists.get(event.list)); break;
        case 'line': lists.get(event.list).append(resultLine(event, lists.get(event.list))); break;
        case 'report': await showMessage(shell.reportCaption, event.text, null); break;
        case 'error': await showMessage(title, event.text, 'stop'); break;
      }
    }
    for (const hook of afterJournal) hook(journal);
  }
  // One result line; a line of a decoded word knows the field it shows, the
  // boxes its bits are in and says which bits in its tooltip.
  function resultLine(event, list) {
    const line = element('div', {
      class: 'line',
      role: 'option',
      id: `${list.id}-line-${list.children.length}`,
      textContent: event.text,
      'aria-selected': 'false',
    });
    if (event.tip !== undefined) {
      line.title = event.tip;
      line.dataset.field = String(event.field);
    }
    return line;
  }

  function clearList(list) {
    list.replaceChildren();
    list.anchor = null;
    list.removeAttribute('aria-activedescendant');
  }
  // The line the arrows move from, which a screen reader reads as the list's current one.
  function setCurrent(list, line) {
    list.anchor = line;
    if (line) list.setAttribute('aria-activedescendant', line.id);
    else list.removeAttribute('aria-activedescendant');
  }

  // ---- Explaining: the one selected line of a decoding page lights the
  // boxes its bits are in; the next press or edit puts them out.
  const lit = new Map();  // list element -> the boxes its chosen line lights
  const pageList = new Map();  // box or button name -> the list of its page
  function putOut(list) {
    for (const box of lit.get(list) || []) {
      box.classList.remove('explained');
      box.removeAttribute('aria-description');
    }
    lit.delete(list);
  }
  const chosenFlags = (list) =>
    [...list.children].map((l) => (l.getAttribute('aria-selected') === 'true' ? '1' : '0')).join('');
  function explain(list) {
    putOut(list);
    if (!list.classList.contains('explains')) return;
    const boxesLit = new Set();
    const chosen = list.querySelector('.line[aria-selected="true"]');
    for (const name of JSON.parse(call('ostrolen_lit', list.id, chosenFlags(list)))) {
      const box = boxes.get(name);
      if (box) {
        box.classList.add('explained');
        box.setAttribute('aria-description', layout.web.litBoxDescription + chosen.textContent);
        boxesLit.add(box);
      }
    }
    lit.set(list, boxesLit);
  }
  // A press on a page, or an edit of one of its boxes: its list's line is
  // no longer chosen and its boxes go out.
  function forgetExplained(name) {
    const list = lists.get(pageList.get(name));
    if (!list || !list.classList.contains('explains')) return;
    putOut(list);
    for (const line of list.querySelectorAll('.line[aria-selected="true"]')) line.setAttribute('aria-selected', 'false');
  }
  function selectLine(list, line) {
    for (const l of list.children) l.setAttribute('aria-selected', String(l === line));
    setCurrent(list, line);
    if (line) line.scrollIntoView({ block: 'nearest' });
    explain(list);
  }

  // ---- Composing: a line of a field switches, offers its values or edits
  // its number; every change is one press of the page's button and is
  // taken back by Ctrl+Z.
  const fieldOf = (line) => (line && line.dataset.field !== undefined ? Number(line.dataset.field) : -1);
  const lineMenu = (list, line) => {
    const field = fieldOf(line);
    return field < 0 ? null : JSON.parse(call('ostrolen_line_menu', list.id, field));
  };
  async function edit(list, field, form, value) {
    if (busy) return;
    busy = true;
    try {
      const change = JSON.parse(call('ostrolen_edit', list.id, field, form ? 1 : 0, value));
      if (!change) return;
      forgetExplained(change.button);
      await applyJournal(change.journal);
      field = change.field;
    } finally {
      busy = false;
    }
    reselect(list, field);
  }
  function reselect(list, field) {
    const line = [...list.children].find((l) => fieldOf(l) === field);
    if (line) selectLine(list, line);
  }
  async function undoEdit(list) {
    if (busy) return;
    busy = true;
    let change;
    try {
      change = JSON.parse(call('ostrolen_undo', list.id));
      if (!change) return;
      forgetExplained(change.button);
      await applyJournal(change.journal);
    } finally {
      busy = false;
    }
    reselect(list, change.field);
  }
  function activate(list, line) {
    const menu = lineMenu(list, line);
    if (!menu) return;
    if (menu.activation === 'number') editNumber(list, fieldOf(line), menu.number);
    else if (menu.activation === 'toggle') edit(list, fieldOf(line), false, menu.toggle);
    else {
      const rect = line.getBoundingClientRect();
      openMenu(list, line, rect.left, rect.bottom);
    }
  }
  // The editor of a number: OK only for a value the field takes.
  function editNumber(list, field, spec) {
    const n = ++dialogCount;
    const captionId = `message-caption-${n}`;
    const input = element('input', { type: 'text', id: 'NumberEditorValue', value: spec.value, autocomplete: 'off' });
    const ok = element('button', { type: 'button', class: 'ok', textContent: spec.ok });
    const cancel = element('button', { type: 'button', class: 'ok', textContent: layout.web.cancel });
    const dialog = element('dialog', { class: 'message number-editor', id: 'NumberEditor', 'aria-labelledby': captionId }, [
      element('div', { id: captionId, class: 'caption', textContent: spec.caption }),
      element('div', { class: 'message-body number-body' }, [
        element('label', { for: 'NumberEditorValue', textContent: spec.label }),
        input,
      ]),
      element('div', { class: 'message-buttons' }, [ok, cancel]),
    ]);
    const valid = () => Module.ccall('ostrolen_value_ok', 'number', ['string', 'number', 'string'], [list.id, field, input.value]) === 1;
    // A text that names no value yet may grow to 18 characters, as in the window; no further.
    let kept = input.value;
    input.addEventListener('input', () => {
      if (!valid() && [...input.value].length > 18) {
        input.value = kept;
      } else {
        kept = input.value;
      }
      ok.disabled = !valid();
    });
    input.addEventListener('keydown', (e) => {
      if (e.key === 'Enter') {
        e.preventDefault();
        if (!ok.disabled) ok.click();
      }
    });
    // The change is made at once, so that a press waits for it.
    ok.addEventListener('click', () => {
      if (!valid()) return;
      const value = input.value;
      dialog.close();
      edit(list, field, false, value);
    });
    cancel.addEventListener('click', () => dialog.close());
    dialog.addEventListener('close', () => {
      dialog.remove();
      list.focus();
    });
    document.body.append(dialog);
    dialog.showModal();
    input.select();
  }

  // ---- Typing, by the typing rules of the pages.
  const focusBox = (box, caret) => {
    box.focus();
    if (caret === 'all') box.select();
    else if (caret === 'start') box.setSelectionRange(0, 0);
    else box.setSelectionRange(box.value.length, box.value.length);
  };
  const characters = (text) => Array.from(text);

  // The key as the typing rules take it; null for one they never see.
  const keyCode = (event) => {
    switch (event.key) {
      case 'Enter': return 'enter';
      case 'Backspace': return 'backspace';
      case 'ArrowLeft': return 'left';
      case 'ArrowRight': return 'right';
      case 'ArrowUp': return 'up';
      case 'ArrowDown': return 'down';
    }
    return characters(event.key).length === 1 && !event.isComposing ? 'character' : null;
  };
  const modifiers = (event) =>
    (event.shiftKey ? 1 : 0) | (event.ctrlKey ? 2 : 0) | (event.altKey ? 4 : 0) | (event.metaKey ? 8 : 0);
  // Carries out what the typing rules say a key does in a box; false when
  // they leave it to the box itself.
  function carry(box, code, text, event) {
    const { page, index } = pageOfBox.get(box);
    const outcome = JSON.parse(call('ostrolen_key', page.number, index, code, text, modifiers(event),
      box.value, box.selectionStart || 0, box.selectionStart !== box.selectionEnd ? 1 : 0));
    if (!outcome || !outcome.handled) return false;
    event.preventDefault();
    for (const action of outcome.actions) {
      const target = action.box >= 0 ? boxes.get(page.boxes[action.box].name) : null;
      switch (action.kind) {
        case 'write': target.value = action.text; break;
        case 'erase': target.value = characters(target.value).slice(0, -1).join(''); break;
        case 'focus': focusBox(target, action.caret); break;
        case 'press': press(action.button); break;
        case 'forget': forgetExplained(box.id); break;
      }
    }
    return true;
  }

  function keyDown(event) {
    const code = keyCode(event);
    if (code) carry(event.target, code, code === 'character' ? event.key : '', event);
  }

  function paste(event) {
    const text = (event.clipboardData || window.clipboardData).getData('text/plain');
    carry(event.target, 'paste', text, event);
  }

  // ---- Result lists: lines are selected by clicks and copied with Ctrl+C.
  function listClick(event) {
    const list = event.currentTarget;
    const line = event.target.closest('.line');
    if (!line) return;
    const all = [...list.children];
    if (event.shiftKey && list.anchor && list.contains(list.anchor)) {
      const [a, b] = [all.indexOf(list.anchor), all.indexOf(line)].sort((x, y) => x - y);
      all.forEach((l, i) => l.setAttribute('aria-selected', String(i >= a && i <= b)));
    } else if (event.ctrlKey || event.metaKey) {
      line.setAttribute('aria-selected', String(line.getAttribute('aria-selected') !== 'true'));
      setCurrent(list, line);
    } else {
      all.forEach((l) => l.setAttribute('aria-selected', String(l === line)));
      setCurrent(list, line);
    }
    explain(list);
  }
  // The selected lines in list order, or every line when none is selected.
  const copiedLines = (list) => call('ostrolen_copy', list.id, chosenFlags(list));
  document.addEventListener('copy', (event) => {
    const list = document.activeElement;
    if (!list || !list.classList || !list.classList.contains('list')) return;
    if (list.children.length === 0) return;
    event.preventDefault();
    event.clipboardData.setData('text/plain', copiedLines(list));
  });

  // The context menu of a result list: a line of a field lists its values
  // (or edits its number) and the page's forms; "Копировать" copies as
  // Ctrl+C does.
  function listMenu(event) {
    const list = event.currentTarget;
    event.preventDefault();
    list.focus();
    const line = event.target.closest('.line');
    if (line && line.getAttribute('aria-selected') !== 'true') listClick({ currentTarget: list, target: line });
    openMenu(list, line, event.clientX, event.clientY);
  }
  function openMenu(list, line, x, y) {
    document.querySelector('.menu')?.remove();
    const offer = line ? lineMenu(list, line) : null;
    const field = fieldOf(line);
    const closeMenu = () => {
      menu.remove();
      document.removeEventListener('mousedown', outside, true);
      list.focus();
    };
    const outside = (e) => {
      if (!menu.contains(e.target)) closeMenu();
    };
    // The mark of the value the field holds is drawn, not read: a screen
    // reader says "checked" from aria-checked instead.
    const mark = () => element('span', { class: 'mark', 'aria-hidden': 'true' });
    const item = (text, action, checked) => {
      const e = element('div', {
        class: 'menu-item',
        role: checked === undefined ? 'menuitem' : 'menuitemradio',
        tabIndex: -1,
        textContent: text,
      });
      if (checked !== undefined) e.prepend(mark());
      if (checked !== undefined) e.setAttribute('aria-checked', String(checked));
      e.addEventListener('click', (event) => {
        event.stopPropagation();
        closeMenu();
        action();
      });
      return e;
    };
    const values = (choices, form) =>
      choices.map((c) => item(c.text, () => edit(list, field, form, c.value), c.current));
    const items = [];
    if (offer) {
      if (offer.number) items.push(item(offer.number.item, () => editNumber(list, field, offer.number)));
      if (offer.choices) items.push(...values(offer.choices, false));
      if (offer.form) {
        const sub = element('div', { class: 'menu submenu', role: 'menu' }, values(offer.form.choices, true));
        const open = element('div', {
          class: 'menu-item has-submenu',
          role: 'menuitem',
          tabIndex: -1,
          textContent: offer.form.item,
          'aria-haspopup': 'menu',
        }, [mark(), sub]);
        const show = () => {
          sub.hidden = false;
          open.setAttribute('aria-expanded', 'true');
        };
        sub.hidden = true;
        open.addEventListener('mouseenter', show);
        open.addEventListener('click', (e) => {
          if (e.target === open) {
            show();
            sub.firstChild?.focus();
          }
        });
        open.addEventListener('keydown', (e) => {
          if (e.target === open && e.key === 'ArrowRight') {
            e.stopPropagation();
            show();
            sub.firstChild?.focus();
          }
        });
        items.push(open);
      }
      items.push(element('div', { class: 'menu-separator', role: 'separator' }));
    }
    items.push(item(layout.web.copyLines, () => {
      if (list.children.length) document.execCommand('copy');
    }));
    const menu = element('div', { class: 'menu', role: 'menu' }, items);
    menu.addEventListener('keydown', (e) => {
      const here = document.activeElement;
      const siblings = [...here.parentElement.children].filter((c) => c.classList.contains('menu-item'));
      const i = siblings.indexOf(here);
      if (e.key === 'Escape') closeMenu();
      else if (e.key === 'Enter' || e.key === ' ') here.click();
      else if (e.key === 'ArrowDown') siblings[(i + 1) % siblings.length].focus();
      else if (e.key === 'ArrowUp') siblings[(i - 1 + siblings.length) % siblings.length].focus();
      else if (e.key === 'ArrowLeft' && here.parentElement.classList.contains('submenu')) {
        here.parentElement.hidden = true;
        here.parentElement.parentElement.focus();
      } else return;
      e.preventDefault();
      e.stopPropagation();
    });
    document.addEventListener('mousedown', outside, true);
    document.body.append(menu);
    // The whole menu stays in the view: upwards from the point when there is
    // no room below it, scrolling inside itself when it is taller than the view.
    const view = document.documentElement;
    if (menu.offsetHeight > view.clientHeight) {
      menu.style.boxSizing = 'border-box';
      menu.style.maxHeight = px(view.clientHeight);
      menu.style.overflowY = 'auto';
    }
    let top = y;
    if (top + menu.offsetHeight > view.clientHeight) {
      top = y >= menu.offsetHeight ? y - menu.offsetHeight : Math.max(0, view.clientHeight - menu.offsetHeight);
    }
    const left = Math.max(0, Math.min(x, view.clientWidth - menu.offsetWidth));
    menu.style.left = px(left + window.scrollX);
    menu.style.top = px(top + window.scrollY);
    menu.querySelector('.menu-item').focus();
  }
  // Arrow keys move the selection; Enter switches or edits the selected
  // line; Ctrl+Z takes the last change back.
  const lineSteps = { ArrowDown: 1, ArrowUp: -1, PageDown: 'page', PageUp: '-page', End: Infinity, Home: -Infinity };
  function listKey(event) {
    const list = event.currentTarget;
    const all = [...list.children];
    const selected = all.filter((l) => l.getAttribute('aria-selected') === 'true');
    const plain = !(event.shiftKey || event.ctrlKey || event.altKey || event.metaKey);
    if ((event.ctrlKey || event.metaKey) && !event.shiftKey && !event.altKey && event.key.toLowerCase() === 'z') {
      event.preventDefault();
      undoEdit(list);
    } else if (plain && event.key in lineSteps && all.length) {
      event.preventDefault();
      // PageUp and PageDown go as many lines as the list declares it shows, less one.
      const step = lineSteps[event.key] === 'page' ? list.pageStep : lineSteps[event.key] === '-page' ? -list.pageStep
        : lineSteps[event.key];
      const current = list.anchor && list.contains(list.anchor) ? all.indexOf(list.anchor) : -1;
      const from = current < 0 ? (step === Infinity ? all.length - 1 : 0) : current + step;
      const next = Math.max(0, Math.min(all.length - 1, from));
      selectLine(list, all[next]);
    } else if (plain && event.key === 'Enter' && selected.length === 1) {
      event.preventDefault();
      activate(list, selected[0]);
    } else if (event.key === 'ContextMenu' || (event.shiftKey && event.key === 'F10')) {
      event.preventDefault();
      const line = selected[0] || null;
      const rect = (line || list).getBoundingClientRect();
      openMenu(list, line, rect.left, rect.bottom);
    }
  }

  // ---- The window.
  function buildPage(page, sheet) {
    let width = 0;
    let height = 0;
    const grow = (x, y) => {
      width = Math.max(width, x);
      height = Math.max(height, y);
    };
    for (const label of page.labels) {
      const e = element('span', {
        class: 'label',
        textContent: label.text,
        style: {
          left: px(label.x),
          top: px(label.y),
          fontSize: px(label.pixelSize),
          fontWeight: label.bold ? 'bold' : 'normal',
        },
      });
      if (label.width > 0) {
        e.style.width = px(label.width);
        e.style.textAlign = 'center';
      }
      sheet.append(e);
      grow(label.x + (label.width || 40), label.y + label.pixelSize + 4);
    }
    page.boxes.forEach((spec, index) => {
      const box = element('input', {
        type: 'text',
        id: spec.name,
        name: spec.name,
        class: `box ${spec.role}${spec.maxLength === 1 ? ' single' : ''}`,
        maxLength: spec.maxLength,
        autocomplete: 'off',
        spellcheck: false,
        style: place(spec),
      });
      box.setAttribute('autocapitalize', 'off');
      box.setAttribute('aria-label', spec.accessibleName);
      if (spec.role === 'fixed') {
        box.readOnly = true;
        box.value = spec.text;
        box.tabIndex = -1;
      } else if (spec.role === 'output') {
        box.tabIndex = -1;  // every press rewrites the bit rows: Tab passes them by
      }
      box.addEventListener('keydown', keyDown);
      box.addEventListener('paste', paste);
      box.addEventListener('input', () => forgetExplained(spec.name));
      if (page.lists.length) pageList.set(spec.name, page.lists[0].name);
      box.addEventListener('mouseup', () => {
        if (spec.role === 'input' && spec.maxLength === 1 && box.selectionStart === box.selectionEnd) box.select();
      });
      boxes.set(spec.name, box);
      pageOfBox.set(box, { page, index });
      sheet.append(box);
      grow(spec.x + spec.width, spec.y + spec.height);
    });
    // Tab runs as in the window: the boxes, the buttons they press, then the list.
    for (const spec of page.buttons) {
      const button = element('button', {
        type: 'button',
        id: spec.name,
        class: `button${spec.caption ? ' with-caption' : ''}`,
        style: place(spec),
      });
      const picture = element('span', { class: 'picture', innerHTML: OstrolenPictures.svg(spec.picture) });
      const icon = Math.min(spec.height - 6, spec.caption ? 24 : spec.width - 6);
      picture.style.width = picture.style.height = px(icon);
      button.append(picture);
      if (spec.caption) button.append(element('span', { textContent: spec.caption }));
      button.setAttribute('aria-label', spec.accessibleName);
      button.addEventListener('click', () => press(spec.name));
      if (page.lists.length) pageList.set(spec.name, page.lists[0].name);
      buttons.set(spec.name, button);
      sheet.append(button);
      grow(spec.x + spec.width, spec.y + spec.height);
    }
    for (const spec of page.lists) {
      const list = element('div', {
        id: spec.name,
        class: 'list',
        role: 'listbox',
        tabIndex: 0,
        style: { ...place(spec), fontSize: px(spec.pixelSize), fontWeight: spec.bold ? 'bold' : 'normal' },
        'aria-multiselectable': 'true',
        'aria-label': spec.accessibleName,
      });
      list.style.setProperty('--line-height', px(spec.lineHeight));
      list.pageStep = Math.max(1, Math.floor(spec.height / spec.lineHeight) - 1);
      list.addEventListener('click', listClick);
      list.addEventListener('contextmenu', listMenu);
      list.addEventListener('keydown', listKey);
      list.addEventListener('dblclick', (event) => {
        const line = event.target.closest('.line');
        if (line) activate(list, line);
      });
      if (spec.explains) list.classList.add('explains');
      lists.set(spec.name, list);
      sheet.append(list);
      grow(spec.x + spec.width, spec.y + spec.height);
    }
    sheet.style.minWidth = px(width + 4);
    sheet.style.minHeight = px(height + 4);
  }

  function buildTabs(node) {
    const set = element('div', { class: 'tabs', id: node.control });
    const bar = element('div', { class: 'tab-bar', role: 'tablist' });
    const sheets = [];
    const tabs = [];
    const select = (i) => {
      tabs.forEach((tab, j) => {
        tab.setAttribute('aria-selected', String(i === j));
        tab.tabIndex = i === j ? 0 : -1;
        sheets[j].hidden = i !== j;
      });
    };
    node.children.forEach((child, i) => {
      const tab = element('button', {
        type: 'button',
        role: 'tab',
        class: 'tab',
        id: `tab-${child.sheet}`,
        textContent: child.caption,
        'aria-controls': child.sheet,
      });
      tab.addEventListener('click', () => select(i));
      tab.addEventListener('keydown', (event) => {
        const step = event.key === 'ArrowRight' ? 1 : event.key === 'ArrowLeft' ? -1 : 0;
        if (!step) return;
        const j = (i + step + tabs.length) % tabs.length;
        select(j);
        tabs[j].focus();
      });
      const sheet = element('div', {
        class: child.page === undefined ? 'sheet nested' : 'sheet page',
        id: child.sheet,
        role: 'tabpanel',
        'aria-labelledby': tab.id,
      });
      if (child.page !== undefined) {
        const page = layout.pages[child.page];
        page.number = child.page;
        buildPage(page, sheet);
      } else {
        sheet.append(buildTabs(child));
      }
      bar.append(tab);
      tabs.push(tab);
      sheets.push(sheet);
    });
    set.append(bar, ...sheets);
    select(node.initial);
    return set;
  }

  function buildDatabaseChooser() {
    const page = layout.pages.find((p) => p.buttons.some((b) => b.name === layout.web.databaseButton));
    if (!page) return;
    const sheet = document.getElementById(page.sheet);
    const button = buttons.get(layout.web.databaseButton);
    const chooser = element('div', {
      class: 'database',
      style: {
        left: button.style.left,
        top: px(parseInt(button.style.top, 10) + parseInt(button.style.height, 10) + 10),
      },
    });
    const input = element('input', { type: 'file', id: 'DatabaseFile', accept: '.mdb,application/x-msaccess' });
    const label = element('label', { class: 'button choose', textContent: layout.web.chooseDatabase });
    label.setAttribute('for', 'DatabaseFile');
    const state = element('div', { class: 'database-state', id: 'DatabaseState', role: 'status' });
    input.setAttribute('aria-label', layout.web.chooseDatabase);
    // `cameToNothing`: the last choice gave the page no file (the operator
    // cancelled, or the browser could not hand the file over); the file read
    // before stays, and the line says both.
    let cameToNothing = false;
    const show = () => {
      const chosen = database.handle || database.file;
      state.textContent = (cameToNothing ? layout.web.noFileChosen : '') +
        (chosen ? layout.web.chosenDatabase + chosen.name : layout.web.sampleDatabase);
      state.classList.toggle('sample', !chosen);
    };
    // Every choice the page has taken, a file or nothing, is counted on the
    // status line once it shows the outcome: what waits for a choice waits for that.
    let choices = 0;
    const chosenOutcome = (file) => {
      cameToNothing = !file;
      show();
      state.dataset.choices = String(++choices);
    };
    // A long first reading of a file shows how far it is, then the file's name again.
    database.showProgress = (percent) => {
      if (percent === null) show();
      else state.textContent = `${layout.web.readingDatabase} ${percent} %`;
    };
    // Each time the bytes of the file (or of the sample) went to the worker
    // is counted too, for scripts: while the file stays the same, none go;
    // and each listing of the rows the search has taken.
    let sent = 0;
    database.fileSent = () => {
      state.dataset.filesSent = String(++sent);
    };
    let listings = 0;
    database.rowsListed = () => {
      state.dataset.listings = String(++listings);
    };
    input.addEventListener('change', () => {
      const file = input.files && input.files.length ? input.files[0] : null;
      if (file) {
        database.file = file;
        database.handle = null;
        ++database.choice;
        readAhead();
      }
      // Emptied, the input takes the same file again, read afresh after it changed on disk.
      input.value = '';
      chosenOutcome(file);
    });
    // The chooser closed with no file: cancelled, or a file the browser did not hand over.
    input.addEventListener('cancel', () => chosenOutcome(null));
    // Where the browser can pick a file to read again later, the chooser
    // does so; elsewhere it is the plain file input.
    if (window.showOpenFilePicker) {
      label.addEventListener('click', async (event) => {
        event.preventDefault();
        let handle;
        try {
          [handle] = await window.showOpenFilePicker({
            multiple: false,
            types: [{ accept: { 'application/x-msaccess': ['.mdb'] } }],
            excludeAcceptAllOption: false,
          });
        } catch (e) {
          // The operator cancelled; a test driver that intercepts the picker gets the plain chooser.
          if (e && e.name === 'AbortError' && !/intercept/i.test(e.message)) {
            chosenOutcome(null);
            return;
          }
          input.click();
          return;
        }
        database.handle = handle;
        database.file = null;
        ++database.choice;
        remembered.keep(handle);
        chosenOutcome(handle);
        readAhead();
      });
      remembered.load().then((handle) => {
        if (handle && !database.file && !database.handle) {
          database.handle = handle;
          show();
        }
      });
    }
    show();
    state.dataset.choices = '0';
    state.dataset.filesSent = '0';
    state.dataset.listings = '0';
    chooser.append(input, label, state);
    sheet.append(chooser);
  }

  const root = document.getElementById('Form1');
  const about = element('button', {
    type: 'button',
    id: 'Action2',
    class: 'tool',
    title: shell.aboutCommand,
    innerHTML: OstrolenPictures.svg('about'),
  });
  about.setAttribute('aria-label', shell.aboutCommand);
  about.addEventListener('click', showAbout);
  // The about box has a key of its own, as in the window.
  document.addEventListener('keydown', (event) => {
    if (event.key !== layout.web.aboutKeys || event.shiftKey || event.ctrlKey || event.altKey || event.metaKey) return;
    if (document.querySelector('dialog[open]')) return;
    event.preventDefault();
    showAbout();
  });
  const toolbar = element('div', { id: 'ToolBar1', class: 'toolbar', role: 'toolbar' }, [about]);
  root.style.setProperty('--window-width', px(shell.width));
  root.style.setProperty('--window-height', px(shell.height));
  root.style.setProperty('--toolbar-height', px(shell.toolbarHeight));
  root.style.setProperty('--page-font', px(shell.pageFontPixels));
  root.style.setProperty('--box-font', px(shell.boxFontPixels));
  document.documentElement.style.setProperty('--explain', layout.web.explainColour);
  document.documentElement.style.setProperty('--face', layout.web.faceColour);
  document.documentElement.style.setProperty('--box', layout.web.boxColour);
  document.documentElement.style.setProperty('--explain-frame', layout.web.explainFrameColour);
  document.documentElement.style.setProperty('--explain-frame-width', px(layout.web.explainFramePixels));
  document.documentElement.style.setProperty('--highlight', layout.web.highlightColour);
  document.documentElement.style.setProperty('--highlighted-text', layout.web.highlightedTextColour);
  document.documentElement.style.setProperty('--focus', layout.web.focusColour);
  document.documentElement.style.setProperty('--focus-width', px(layout.web.focusPixels));
  root.replaceChildren(toolbar, buildTabs(layout.tree));
  buildDatabaseChooser();
  document.title = shell.caption;
  const search = OstrolenSearch({
    call,
    element,
    texts: layout.web,
    toolbar,
    press,
    applyJournal,
    lists,
    selectLine,
    busy: () => busy,
    chosenLine: (list) => Module.ccall('ostrolen_chosen_line', 'number', ['string'], [list]),
    setRows: setSearchRows,
  });

  // For scripts that drive the page: the pages' own answers, and when the page was ready.
  window.ostrolen = {
    ready: performance.now() - started,
    readyAt: performance.now(),
    layout,
    title,
    press,
    busy: () => busy,
    search,
    pressInside: (name) => JSON.parse(call('ostrolen_press', name)),
    // For web/session.js: the pages' calls, a journal shown, the lists and message boxes.
    call,
    applyJournal,
    afterJournal,
    lists,
    element,
    showMessage,
    // The chosen file's (or the sample's) answer to a request of the reader
    // program's form, as the reader program would write it.
    read: async (request) => {
      const answer = await readDatabase(request);
      return { bytes: Array.from(answer.bytes), failure: answer.failure };
    },
  };
  document.dispatchEvent(new Event('ostrolen-ready'));
  document.documentElement.dataset.ready = 'true';
  // The reader's worker, started once the window is up (and readied on the
  // sample), answers the first lookup at once.
  setTimeout(() => {
    if (!database.worker) database.worker = startWorker();
    if (!database.handle && !database.file) readAhead();
  }, 0);
})();
