// The window in a browser page: built from the page declarations that the
// compiled pages hand over, every press run by the same handlers. Nothing
// here knows a page, a box or a text of its own: all of them come from the
// declarations.
'use strict';

(async () => {
  const started = performance.now();
  const Module = await OstrolenModule();
  // The application's title comes from the page's file name, as the
  // desktop takes it from the program's.
  const fileName = (() => {
    const name = location.pathname.split('/').pop() || '';
    try {
      return decodeURIComponent(name);
    } catch {
      return name;
    }
  })();
  const layout = JSON.parse(Module.ccall('ostrolen_layout', 'string', ['string'], [fileName]));
  const title = layout.title;
  const shell = layout.shell;
  const boxes = new Map();  // control name -> input element
  const lists = new Map();  // control name -> list element
  const buttons = new Map();

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
    send({ do: 'database', file: chosenName() });
    send({ do: 'readAhead', button: layout.web.databaseButton });
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
    const request = layout.rowsRequest;
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
    setSearchRows(rows);
    database.rowsListed();
  }
  // Rows as the row lister writes them, its UTF-8 bytes or a text, from the
  // file `name`; a large file's are far more than a call's stack can take.
  function setSearchRows(rows) {
    send({ do: 'searchRows' }, typeof rows === 'string' ? new TextEncoder().encode(rows) : rows);
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

  // ---- The controller: every key, click and menu choice goes to it as an
  // intent (web/bridge.cpp, ui/wire.h); what comes back is drawn here. The
  // page decides no rule of its own.
  const encoder = new TextEncoder();
  function callIntent(intent, bytes) {
    const json = encoder.encode(JSON.stringify(intent));
    const text = Module._malloc(json.length + 1);
    Module.HEAPU8.set(json, text);
    Module.HEAPU8[text + json.length] = 0;
    let data = 0;
    if (bytes && bytes.length) {
      data = Module._malloc(bytes.length);
      Module.HEAPU8.set(bytes, data);
    }
    try {
      return JSON.parse(Module.UTF8ToString(Module._ostrolen_intent(text, data, bytes ? bytes.length : 0)));
    } finally {
      Module._free(text);
      if (data) Module._free(data);
    }
  }

  const drawers = {};     // other scripts' drawings: history, search, saveReport, address
  const drawn = new Map();  // box name -> the text the controller last knew it to hold
  let idle = true;        // no database reading under way
  let drawing = false;    // effects being drawn: the events they cause are no operator's
  const queue = [];       // effects waiting behind a message box
  let showing = null;     // the message box shown now
  let wantedFocus = null; // the focus to draw once the effects are drawn
  let copyText = null;    // what the copy under way puts on the clipboard
  let inCopy = false;     // the browser's own copy asked for the lines
  const idleWaiters = [];
  const busy = () => !idle || queue.length > 0 || showing !== null;

  // Code points before UTF-16 unit `units` of `text`, and back.
  const codePoints = (text, units) => Array.from(text.slice(0, units)).length;
  const units = (text, points) => Array.from(text).slice(0, points).join('').length;
  const caretOf = (input) => {
    const start = input.selectionStart ?? 0;
    const end = input.selectionEnd ?? start;
    const backward = input.selectionDirection === 'backward';
    return { caret: codePoints(input.value, backward ? start : end), anchor: codePoints(input.value, backward ? end : start) };
  };

  // A box changed behind the controller's back (a cut, a drop, an input
  // method, a script) is told as the toolkit's own edit before anything else.
  function syncBoxes() {
    for (const [name, box] of boxes) {
      if (box.readOnly || drawn.get(name) === box.value) continue;
      drawn.set(name, box.value);
      const at = document.activeElement === box ? caretOf(box) : { caret: -1, anchor: -1 };
      take(callIntent({ do: 'boxEdited', control: name, text: box.value, ...at }));
    }
  }
  function send(intent, bytes) {
    syncBoxes();
    return take(callIntent(intent, bytes));
  }
  function take(answer) {
    if (answer.error) throw new Error(answer.error);
    idle = answer.idle;
    for (const [name, can] of Object.entries(answer.undo)) {
      const list = lists.get(name);
      if (list) list.dataset.canUndo = can ? '1' : '0';
    }
    queue.push(...answer.effects);
    drain();
    return answer.handled;
  }
  // Draws the effects in order; a message box waits for its OK, over the
  // page as it stood, and what came after it is drawn then.
  function drain() {
    if (showing) return;
    while (queue.length) {
      const effect = queue.shift();
      if (effect.kind === 'message') {
        const error = effect.name !== 'report';
        showing = showMessage(error ? title : shell.reportCaption, effect.text, error ? 'stop' : null).then(() => {
          showing = null;
          drain();
        });
        return;
      }
      drawing = true;
      try {
        draw(effect);
      } finally {
        drawing = false;
      }
    }
    if (wantedFocus) {
      const focus = wantedFocus;
      wantedFocus = null;
      drawing = true;
      try {
        drawFocus(focus);
      } finally {
        drawing = false;
      }
    }
    if (!busy()) for (const resolve of idleWaiters.splice(0)) resolve();
  }
  const whenIdle = () => (busy() ? new Promise((resolve) => idleWaiters.push(resolve)) : Promise.resolve());

  // A text written into a control keeps its caret where it was: a written
  // value would put it at the end, where the controller has no caret.
  function writeValue(input, text) {
    if (input.value === text) return;
    const focused = document.activeElement === input;
    const [start, end, direction] = [input.selectionStart, input.selectionEnd, input.selectionDirection];
    input.value = text;
    if (focused) input.setSelectionRange(Math.min(start, text.length), Math.min(end, text.length), direction);
  }

  function draw(effect) {
    switch (effect.kind) {
      case 'box': {
        const box = boxes.get(effect.name);
        if (box) writeValue(box, effect.text);
        drawn.set(effect.name, effect.text);
        break;
      }
      case 'clear': lists.get(effect.name)?.replaceChildren(); break;
      case 'line': {
        const list = lists.get(effect.name);
        if (list) list.append(element('div', { class: 'line', role: 'option', textContent: effect.text, 'aria-selected': 'false' }));
        break;
      }
      case 'lines': drawLines(effect); break;
      case 'selection': drawSelection(effect); break;
      case 'focus': wantedFocus = effect; break;
      case 'page': drawTabs(effect.tabs); break;
      case 'menu': drawMenu(effect); break;
      case 'editor': drawEditor(effect); break;
      case 'read': startReading(effect.request); break;
      case 'readAhead': readDatabase(effect.request).catch(() => {}); break;
      case 'cancelReading': cancelReading(); break;
      case 'clipboard':
        copyText = effect.text;
        if (!inCopy) document.execCommand('copy');
        break;
      default: drawers[effect.kind]?.(effect);
    }
  }

  // The element of a control by the name the controller gives it.
  function controlElement(name) {
    return boxes.get(name) || lists.get(name) || buttons.get(name) || others.get(name)?.() || null;
  }
  const others = new Map();  // the controls that are no page's own: the search box, the editor, the history
  // The control `e` is, with its caret; null for none the controller knows.
  function controlOf(e) {
    if (!e || !e.id) return null;
    const control = controlElement(e.id);
    if (control !== e || (e.tagName === 'INPUT' && e.readOnly)) return null;
    return e.tagName === 'INPUT' ? { at: e.id, ...caretOf(e) } : { at: e.id, caret: -1, anchor: -1 };
  }
  function drawFocus(focus) {
    const e = controlElement(focus.control);
    if (!e || e.offsetParent === null) return;
    if (document.activeElement !== e) e.focus();
    if (e.tagName === 'INPUT' && focus.caret >= 0) {
      const caret = units(e.value, focus.caret);
      const anchor = units(e.value, focus.anchor);
      if (caret >= anchor) e.setSelectionRange(anchor, caret, 'forward');
      else e.setSelectionRange(caret, anchor, 'backward');
    }
  }

  // ---- Reading the database for a press: the answer goes back to the controller.
  let lookup = 0;  // the reading the controller waits for
  function startReading(request) {
    const token = ++lookup;
    const answered = (failure, bytes) => {
      if (token !== lookup) return;  // ended by the operator meanwhile
      ++lookup;
      send({ do: 'readingAnswered', failure }, bytes);
    };
    readDatabase(request).then((answer) => answered(answer.failure, answer.bytes), () => answered('crashed', null));
  }
  // Ended by the operator: the controller hears at once, the answer when it
  // comes is nobody's (the worker stays within its time limit).
  function cancelReading() {
    ++lookup;
    queueMicrotask(() => send({ do: 'readingAnswered', failure: 'cancelled' }));
  }

  // ---- Keys: each goes to the controller with where the focus is; what it
  // does not take the browser has.
  const keyNames = {
    Enter: 'enter', Backspace: 'backspace', Delete: 'delete', ArrowLeft: 'left', ArrowRight: 'right',
    ArrowUp: 'up', ArrowDown: 'down', Home: 'home', End: 'end', PageUp: 'pageUp', PageDown: 'pageDown',
    Escape: 'escape', Tab: 'tab', ContextMenu: 'menu',
  };
  function keyOf(event) {
    const key = { shift: event.shiftKey, ctrl: event.ctrlKey, alt: event.altKey, meta: event.metaKey, text: '' };
    if (event.key === 'F10' && key.shift && !key.ctrl && !key.alt && !key.meta) return { ...key, code: 'menu', shift: false };
    if (keyNames[event.key]) return { ...key, code: keyNames[event.key] };
    if (Array.from(event.key).length !== 1 || event.isComposing) return null;
    // A letter with Ctrl by the key it is on, whatever the keyboard's layout writes there.
    if (key.ctrl && /^Key[A-Z]$/.test(event.code)) return { ...key, code: 'character', text: event.code.slice(3).toLowerCase() };
    return { ...key, code: 'character', text: event.key };
  }
  const menuOpen = () => Boolean(document.querySelector('.menu:not(.submenu)'));
  const messageOpen = () => Boolean(document.querySelector('dialog.message[data-kind][open], dialog.about[open]'));
  const dialogOpen = () => Boolean(document.querySelector('dialog[open]'));
  // The window's own keys work wherever the focus is, as the toolbar's shortcuts do.
  const windowKey = (key) => key.ctrl && !key.alt && !key.meta && !key.shift && ['r', 'h', 's', 'f', 'b', 'p', 'm'].includes(key.text.toLowerCase());
  document.addEventListener('keydown', (event) => {
    if (messageOpen() || event.defaultPrevented) return;
    const key = keyOf(event);
    if (!key) return;
    const pasteKey = key.ctrl && !key.alt && !key.meta && key.text === 'v';
    const intent = { do: 'key', ...key };
    if (menuOpen()) {
      if (pasteKey) intent.code = 'paste';
    } else {
      // Ctrl+V: the paste that follows brings the clipboard's text.
      if (pasteKey) return;
      const at = controlOf(event.target);
      if (at) Object.assign(intent, at);
      else if (dialogOpen() || !windowKey(key)) return;
      else intent.at = '';
    }
    if (send(intent)) {
      event.preventDefault();
      event.stopPropagation();
    } else if (event.target.tagName === 'INPUT' && ['up', 'down', 'pageUp', 'pageDown'].includes(key.code)) {
      // A line of text has no lines above or below it: the caret stays, as in the window's boxes.
      event.preventDefault();
    }
  }, true);
  document.addEventListener('paste', (event) => {
    const at = controlOf(event.target);
    if (!at || menuOpen()) return;
    event.preventDefault();
    send({ do: 'paste', text: (event.clipboardData || window.clipboardData).getData('text/plain'), ...at });
  });
  // A copy puts the text the controller gave on the clipboard; the browser's
  // own copy command on a list asks the controller for its lines.
  document.addEventListener('copy', (event) => {
    if (copyText === null && controlOf(event.target) && lists.has(event.target.id)) {
      inCopy = true;
      try {
        send({ do: 'copyLines' });
      } finally {
        inCopy = false;
      }
    }
    if (copyText === null) return;
    event.preventDefault();
    event.clipboardData.setData('text/plain', copyText);
    copyText = null;
  });
  // The focus moved by the browser (a click, a dialog closed): the controller hears where.
  document.addEventListener('focusin', (event) => {
    if (drawing || showing) return;
    const at = controlOf(event.target);
    if (at) send({ do: 'focused', control: at.at, caret: at.caret, anchor: at.anchor });
  });

  // ---- Result lists: the lines with their marks, drawn as the controller holds them.
  const pageOfList = new Map();  // list name -> its page
  function drawLines(effect) {
    const list = lists.get(effect.name);
    if (!list) return;
    const marked = effect.lines.some((l) => l.mark);
    list.classList.toggle('marked', marked);
    list.replaceChildren(...effect.lines.map((l, i) => {
      const line = element('div', {
        class: l.gone ? 'line gone' : 'line',
        role: 'option',
        id: `${list.id}-line-${i}`,
        'aria-selected': String(l.selected),
      });
      if (l.gone) line.setAttribute('aria-disabled', 'true');
      if (marked) {
        // The mark before the text, the old value after it, as in the window.
        line.dataset.mark = l.mark;
        line.append(element('span', { class: 'mark', 'aria-hidden': 'true', textContent: l.mark }),
          element('span', { class: 'text', textContent: l.text }));
        if (l.old) line.append(element('span', { class: 'old', textContent: l.old }));
      } else {
        line.textContent = l.text;
      }
      if (l.tip) line.title = l.tip;
      if (l.description) line.setAttribute('aria-description', l.description);
      return line;
    }));
    drawSelection(effect);
  }
  // Scrolls `container` alone so that `item` shows in it. (scrollIntoView
  // would scroll the page too, sideways as well, under the pointer.)
  function scrollWithin(container, item) {
    const outer = container.getBoundingClientRect();
    const inner = item.getBoundingClientRect();
    const top = outer.top + container.clientTop;
    const bottom = top + container.clientHeight;
    if (inner.top < top) container.scrollTop -= top - inner.top;
    else if (inner.bottom > bottom) container.scrollTop += inner.bottom - bottom;
  }

  function drawSelection(effect) {
    const list = lists.get(effect.name);
    if (!list) return;
    const all = [...list.children];
    const selected = effect.selected || effect.lines.map((l) => l.selected);
    all.forEach((line, i) => line.setAttribute('aria-selected', String(Boolean(selected[i]))));
    const current = all[effect.current];
    if (current) {
      list.setAttribute('aria-activedescendant', current.id);
      scrollWithin(list, current);
    } else {
      list.removeAttribute('aria-activedescendant');
    }
    // The boxes the one chosen line's bits are in, lit and framed.
    const page = pageOfList.get(effect.name);
    for (const spec of page ? page.boxes : []) {
      const box = boxes.get(spec.name);
      if (!box.classList.contains('explained')) continue;
      box.classList.remove('explained');
      box.removeAttribute('aria-description');
    }
    for (const name of effect.lit) {
      const box = boxes.get(name);
      if (!box) continue;
      box.classList.add('explained');
      if (effect.litDescription) box.setAttribute('aria-description', effect.litDescription);
    }
  }
  const rowOf = (list, event) => {
    const line = event.target.closest('.line');
    return line && line.parentElement === list ? [...list.children].indexOf(line) : -1;
  };
  function attachList(list) {
    // The focus and the selection are the controller's: a press only tells where.
    list.addEventListener('mousedown', (event) => {
      event.preventDefault();
      if (event.button === 2 || (event.button === 0 && rowOf(list, event) < 0)) send({ do: 'focusOn', control: list.id });
    });
    list.addEventListener('click', (event) => {
      const row = rowOf(list, event);
      if (row >= 0) send({ do: 'clickLine', line: row, shift: event.shiftKey, ctrl: event.ctrlKey || event.metaKey });
    });
    list.addEventListener('dblclick', (event) => {
      const row = rowOf(list, event);
      if (row >= 0) send({ do: 'doubleClickLine', line: row });
    });
    list.addEventListener('contextmenu', (event) => {
      event.preventDefault();
      // A menu opened by the mouse comes where the pointer is.
      menuPoint = { x: event.clientX, y: event.clientY };
      try {
        send({ do: 'menuOnLine', line: rowOf(list, event) });
      } finally {
        menuPoint = null;
      }
    });
  }

  // ---- The menu of a line: its items as the controller lists them.
  let menu = null;  // {root, items, outside}
  let menuPoint = null;  // where the pointer opened the menu
  function drawMenu(effect) {
    if (!effect.open) {
      if (menu) {
        // The focus goes back to the list the menu was of, as from a popup.
        const { root } = menu;
        document.removeEventListener('mousedown', menu.outside, true);
        menu = null;
        const had = root.contains(document.activeElement);
        root.remove();
        if (had) lists.get(root.dataset.list)?.focus();
      }
      return;
    }
    if (!menu) buildMenu(effect);
    const active = menu.items[effect.active];
    for (const sub of menu.root.querySelectorAll('.submenu')) {
      const open = Boolean(active && sub.contains(active));
      if (open || active !== sub.parentElement) sub.hidden = !open;
      sub.parentElement.setAttribute('aria-expanded', String(!sub.hidden));
    }
    active?.focus();
  }
  function buildMenu(effect) {
    const list = lists.get(effect.list);
    // The mark of the value the field holds is drawn, not read: a screen
    // reader says "checked" from aria-checked instead.
    const mark = () => element('span', { class: 'mark', 'aria-hidden': 'true' });
    const root = element('div', { class: 'menu', role: 'menu' });
    root.dataset.list = effect.list;
    const items = [];
    let sub = null;
    effect.items.forEach((item, index) => {
      const into = item.depth === 0 ? root : sub;
      if (item.separator) into.append(element('div', { class: 'menu-separator', role: 'separator' }));
      const e = element('div', {
        class: item.submenu ? 'menu-item has-submenu' : 'menu-item',
        role: item.checked < 0 ? 'menuitem' : 'menuitemradio',
        tabIndex: -1,
        textContent: item.text,
      });
      if (item.checked >= 0) {
        e.prepend(mark());
        e.setAttribute('aria-checked', String(item.checked === 1));
      }
      if (item.submenu) {
        sub = element('div', { class: 'menu submenu', role: 'menu', hidden: true });
        e.setAttribute('aria-haspopup', 'menu');
        e.append(mark(), sub);
        const own = sub;
        // The pointer shows a submenu, as the toolkit's menus do.
        e.addEventListener('mouseenter', () => {
          own.hidden = false;
          e.setAttribute('aria-expanded', 'true');
        });
      }
      e.addEventListener('click', (event) => {
        if (event.target.closest('.menu-item') !== e) return;
        event.stopPropagation();
        send({ do: 'chooseMenuItem', index });
      });
      into.append(e);
      items.push(e);
    });
    // A click away closes the menu.
    const outside = (event) => {
      if (!root.contains(event.target)) send({ do: 'key', code: 'escape', text: '' });
    };
    document.addEventListener('mousedown', outside, true);
    document.body.append(root);
    menu = { root, items, outside };
    // Under its line (or the list's corner); the whole menu stays in the view:
    // upwards from the point when there is no room below it, scrolling inside
    // itself when it is taller than the view.
    const line = list && list.children[effect.line];
    const anchor = (line || list).getBoundingClientRect();
    const x = menuPoint ? menuPoint.x : line ? anchor.left : anchor.left + 5;
    const y = menuPoint ? menuPoint.y : line ? anchor.bottom : anchor.top + 5;
    const view = document.documentElement;
    if (root.offsetHeight > view.clientHeight) {
      root.style.boxSizing = 'border-box';
      root.style.maxHeight = px(view.clientHeight);
      root.style.overflowY = 'auto';
    }
    let top = y;
    if (top + root.offsetHeight > view.clientHeight) {
      top = y >= root.offsetHeight ? y - root.offsetHeight : Math.max(0, view.clientHeight - root.offsetHeight);
    }
    const left = Math.max(0, Math.min(x, view.clientWidth - root.offsetWidth));
    root.style.left = px(left + window.scrollX);
    root.style.top = px(top + window.scrollY);
  }

  // ---- A file the operator saves: downloaded.
  function download(name, type, text) {
    const url = URL.createObjectURL(new Blob([text], { type }));
    const link = element('a', { href: url, download: name });
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
  }

  // ---- A dialog the controller opens and closes. Escape does not close it
  // itself: `cancel` tells the controller, whose effect closes it.
  function openDialog(dialog, cancel) {
    dialog.addEventListener('cancel', (event) => {
      event.preventDefault();
      cancel();
    });
    document.body.append(dialog);
    dialog.showModal();
  }
  function closeDialog(dialog) {
    dialog.close();
    dialog.remove();
  }

  // ---- The editor of a number: OK only for a value the field takes.
  let editor = null;  // {dialog, input, ok}
  others.set('NumberEditorValue', () => editor?.input);
  function drawEditor(effect) {
    if (!effect.open) {
      if (editor) {
        const { dialog } = editor;
        editor = null;
        closeDialog(dialog);
      }
      return;
    }
    if (!editor) {
      const n = ++dialogCount;
      const captionId = `message-caption-${n}`;
      const input = element('input', { type: 'text', id: 'NumberEditorValue', autocomplete: 'off', spellcheck: false });
      const ok = element('button', { type: 'button', class: 'ok', textContent: shell.ok });
      const cancel = element('button', { type: 'button', class: 'ok', textContent: layout.web.cancel });
      const dialog = element('dialog', { class: 'message number-editor', id: 'NumberEditor', 'aria-labelledby': captionId }, [
        element('div', { id: captionId, class: 'caption', textContent: effect.caption }),
        element('div', { class: 'message-body number-body' }, [
          element('label', { for: 'NumberEditorValue', textContent: effect.label }),
          input,
        ]),
        element('div', { class: 'message-buttons' }, [ok, cancel]),
      ]);
      input.addEventListener('input', () => {
        if (!drawing) send({ do: 'editorEdited', text: input.value });
      });
      ok.addEventListener('click', () => send({ do: 'editorOk' }));
      cancel.addEventListener('click', () => send({ do: 'editorCancel' }));
      editor = { dialog, input, ok };
      input.value = effect.text;
      openDialog(dialog, () => {
        if (editor && editor.dialog === dialog) send({ do: 'editorCancel' });
      });
    }
    writeValue(editor.input, effect.text);
    editor.ok.disabled = !effect.ok;
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
    for (const spec of page.boxes) {
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
      if (spec.role === 'input') {
        // A click puts the caret where it lands; a change the browser made itself is told.
        box.addEventListener('mouseup', () => {
          if (document.activeElement === box) send({ do: 'clickBox', control: spec.name, ...caretOf(box) });
        });
        box.addEventListener('input', () => {
          if (!drawing) syncBoxes();
        });
      }
      drawn.set(spec.name, box.value);
      boxes.set(spec.name, box);
      sheet.append(box);
      grow(spec.x + spec.width, spec.y + spec.height);
    }
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
      // A click presses it and leaves the focus where it is, as the window's tool buttons do.
      button.addEventListener('mousedown', (event) => event.preventDefault());
      button.addEventListener('click', () => send({ do: 'press', button: spec.name }));
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
      attachList(list);
      pageOfList.set(spec.name, page);
      if (spec.explains) list.classList.add('explains');
      lists.set(spec.name, list);
      sheet.append(list);
      grow(spec.x + spec.width, spec.y + spec.height);
    }
    sheet.style.minWidth = px(width + 4);
    sheet.style.minHeight = px(height + 4);
  }

  const tabSets = new Map();  // a tab set's control name -> what shows its child
  function drawTabs(tabs) {
    for (const [control, index] of Object.entries(tabs)) tabSets.get(control)?.(index);
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
      // A tab clicked brings its page with the focus in it; chosen with the
      // arrow keys, the focus stays on the tabs. A click leaves the focus
      // where it is until the page takes it, as the window's tab bars do.
      tab.addEventListener('mousedown', (event) => event.preventDefault());
      tab.addEventListener('click', () => send({ do: 'showPage', sheet: child.sheet, onTabs: false }));
      tab.addEventListener('keydown', (event) => {
        const step = event.key === 'ArrowRight' ? 1 : event.key === 'ArrowLeft' ? -1 : 0;
        if (!step || event.ctrlKey || event.altKey || event.metaKey) return;
        event.preventDefault();
        const j = (i + step + tabs.length) % tabs.length;
        tabs[j].focus();
        send({ do: 'showPage', sheet: node.children[j].sheet, onTabs: true });
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
    tabSets.set(node.control, select);
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
          send({ do: 'database', file: chosenName() });
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
  document.documentElement.style.setProperty('--explain-frame-width', px(layout.web.explainFramePixels));
  document.documentElement.style.setProperty('--focus-width', px(layout.web.focusPixels));
  // The looks' colours: light unless the root says dark.
  const lookRules = (colours) => Object.entries(colours).map(([name, colour]) => `--${name}: ${colour};`).join(' ');
  document.head.append(element('style', {
    id: 'Looks',
    textContent: `:root { ${lookRules(layout.web.looks.light)} }\n:root[data-look="dark"] { ${lookRules(layout.web.looks.dark)} }`,
  }));
  root.replaceChildren(toolbar, buildTabs(layout.tree));
  buildDatabaseChooser();
  document.title = shell.caption;
  const search = OstrolenSearch({ element, texts: layout.web, toolbar, send, drawers, others, scrollWithin, quiet: () => drawing || showing !== null });
  const press = (name) => {
    send({ do: 'press', button: name });
    return whenIdle();
  };

  // For scripts that drive the page, and for web/session.js: an intent
  // given to the controller, when the page is idle again, and when it was ready.
  window.ostrolen = {
    ready: performance.now() - started,
    readyAt: performance.now(),
    layout,
    title,
    send,
    whenIdle,
    drawers,
    others,
    openDialog,
    closeDialog,
    download,
    keyOf,
    scrollWithin,
    quiet: () => drawing || showing !== null,
    // A page's button pressed with its boxes as they stand (set by a script or typed).
    press,
    pressInside: (name) => send({ do: 'press', button: name }),
    busy,
    search,
    lists,
    element,
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
  // The focus where the controller has it as the window starts.
  send({ do: 'start' });
  setTimeout(() => {
    if (!database.worker) database.worker = startWorker();
    if (!database.handle && !database.file) readAhead();
  }, 0);
})();
