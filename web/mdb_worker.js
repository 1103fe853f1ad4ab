// The worker that reads the chosen Access file for the page "Сегменты".
// It runs the compiled reader (web/reader.cpp), which asks this script for
// the file's tables; the Access format itself is read by mdb-reader. A file
// that upsets either costs this worker only: the page ends it at a crash
// or after its time limit, and starts a new one for the next lookup.
import { Buffer } from 'buffer';
import MDBReader from 'mdb-reader';

globalThis.Buffer = Buffer;

// A field as the compiled reader takes it: kind, length in UTF-16 units, ":", text.
const field = (kind, text) => kind + text.length + ':' + text;

function value(type, v) {
  if (v === null || v === undefined) return 'n0:';
  switch (type) {
    case 'boolean': return v ? 'B0:' : 'b0:';
    case 'byte':
    case 'integer':
    case 'long':
    case 'complex': return field('i', String(v));  // the number the table keeps (see complex_value.js)
    case 'float': return field('f', String(v));
    case 'double': return field('d', String(v));
    case 'datetime': return field('D', String(v.getTime()));
    case 'currency': return field('m', String(v));
    case 'numeric': return field('N', String(v));
    case 'text':
    case 'memo': return field('t', String(v));
    case 'repid': return field('u', String(v));
    default: return 'x0:';  // binary, OLE, large numbers, extended date/time: no text at all
  }
}

const module = OstrolenModule();

// The last file the page sent, under the stamp it sent it with, what was
// read from it (the Access reader is slow on large tables) and the answers
// given on it: the same bytes give the same answers. The page sends the
// bytes again only when the file changed or was chosen anew; a file sent
// again that holds the same bytes keeps all of that.
const fresh = (bytes) => ({ stamp: null, bytes, reader: null, opened: undefined, kept: new Map(), answers: new Map() });
let last = fresh(null);

function sameBytes(a, b) {
  if (!a || a.length !== b.length) return false;
  if (a.length % 4 === 0 && a.byteOffset % 4 === 0 && b.byteOffset % 4 === 0) {
    const x = new Uint32Array(a.buffer, a.byteOffset, a.length / 4);
    const y = new Uint32Array(b.buffer, b.byteOffset, b.length / 4);
    for (let i = 0; i < x.length; ++i) if (x[i] !== y[i]) return false;
    return true;
  }
  for (let i = 0; i < a.length; ++i) if (a[i] !== b[i]) return false;
  return true;
}

function fields(what, name, argument) {
  const key = `${what}\u0000${name}\u0000${argument}`;
  if (last.kept.has(key)) return last.kept.get(key);
  let text = null;
  try {
    const reader = last.reader;
    if (what === 'tables') {
      // The catalog's tables in its order, each with its first definition
      // page, which the catalog keeps in its Id. A table is a row whose Type
      // is 1 exactly, as libmdb has it (mdb-reader's own list would take any
      // Type whose low 7 bits are 1).
      text = reader
        .getTable('MSysObjects')
        .getData({ columns: ['Id', 'Name', 'Type'] })
        .filter((o) => o.Type === 1)
        .map((o) => field('t', o.Name) + field('i', String(o.Id & 0xffffff)))
        .join('');
    } else {
      const table = reader.getTable(name);
      const columns = table.getColumns();
      const parts = [];
      if (what === 'columns') {
        for (const column of columns) parts.push(field('t', column.name));
      } else if (what === 'values') {
        const [list, offset, limit] = argument.split(';');
        const chosen = list.split(',').map((i) => columns[Number(i)]);
        const rows = table.getData({
          columns: chosen.map((c) => c.name),
          rowOffset: Number(offset),
          rowLimit: Number(limit),
        });
        for (const row of rows) for (const column of chosen) parts.push(value(column.type, row[column.name]));
      } else if (what === 'row') {
        const [row] = table.getData({ rowOffset: Number(argument), rowLimit: 1 });
        if (!row) return null;
        for (const column of columns) parts.push(value(column.type, row[column.name]));
      }
      text = parts.join('');
    }
  } catch {
    text = null;
  }
  last.kept.set(key, text);
  return text;
}

// The rows the search looks through (a request of RowsRequest's, see
// web/bridge.cpp), written as the row program writes them: one record a
// line, fields TAB separated, backslash, TAB, line feed and carriage return
// escaped. The page asks for them a piece at a time: `from` (table number,
// row) is where this piece begins, `most` how many rows it lists at most; a
// piece that stops before the end says where the next begins in a last
// record of its own, "more TABLE ROW", which the page takes off before it
// puts the pieces together.
const escaped = (text) =>
  String(text).replace(/[\\\t\n\r]/g, (c) => ({ '\\': '\\\\', '\t': '\\t', '\n': '\\n', '\r': '\\r' })[c]);
const sameName = (a, b) => a.toLowerCase() === b.toLowerCase();
const rowText = (v) => (v === null || v === undefined ? '' : v instanceof Date ? String(v.getTime()) : String(v));
function listRows(reader, { failures, tables, from = [0, 0], most = Infinity }) {
  const lines = [];
  const record = (...fields) => lines.push(fields.map(escaped).join('\t'));
  if (!reader) {
    record('fail', failures.damagedFile, '');
    return lines.join('\n') + '\n';
  }
  const names = reader.getTableNames({ normalTables: true, systemTables: false, linkedTables: false });
  let left = most;
  for (let number = from[0]; number < tables.length; ++number) {
    const spec = tables[number];
    const first = number === from[0] ? from[1] : 0;
    // A table's first piece names it and what it lacks; a later one goes on with its rows.
    if (first === 0) record('table', spec.table);
    const name = names.find((n) => sameName(n, spec.table));
    if (name === undefined) {
      record('fail', failures.missingTable, spec.table);
      continue;
    }
    try {
      const table = reader.getTable(name);
      const columnNames = table.getColumnNames();
      const wanted = [spec.segment, spec.step, ...spec.texts].map((c) => (c ? columnNames.find((n) => sameName(n, c)) ?? null : ''));
      const missing = wanted.findIndex((c) => c === null);
      if (missing >= 0) {
        if (first === 0) record('fail', failures.missingColumn, [spec.segment, spec.step, ...spec.texts][missing]);
        if (missing === 0) continue;
      }
      if (left <= 0) {
        record('more', number, first);
        return lines.join('\n') + '\n';
      }
      const read = wanted.filter((c) => c);
      const rows = table.getData({ columns: read, rowOffset: first, rowLimit: left });
      for (const row of rows) record('row', ...wanted.map((c) => (c ? rowText(row[c]) : '')));
      left -= rows.length;
      if (left <= 0) {
        record('more', number, first + rows.length);
        return lines.join('\n') + '\n';
      }
    } catch {
      record('fail', failures.damagedTable, spec.table);
    }
  }
  record('end');
  return lines.join('\n') + '\n';
}

let shown = 0;

onmessage = async ({ data }) => {
  const Module = await module;
  try {
    if (data.buffer) {
      const sent = new Uint8Array(data.buffer);
      if (!sameBytes(last.bytes, sent)) last = fresh(sent);
      last.stamp = data.stamp;
    } else if (data.stamp !== last.stamp) {
      postMessage({ id: data.id, needsFile: true });
      return;
    }
    const bytes = last.bytes;
    const answered = last.answers.get(data.request);
    if (answered) {
      const out = answered.slice();
      postMessage({ id: data.id, bytes: out.buffer }, [out.buffer]);
      return;
    }
    Module.mdb = {
      bytes,
      open() {
        if (last.opened === undefined) {
          try {
            last.reader = new MDBReader(Buffer.from(bytes.buffer, bytes.byteOffset, bytes.length));
            last.opened = true;
          } catch {
            last.opened = false;
          }
        }
        return last.opened;
      },
      fields,
      // How far the reading of a table is, in whole per cent, at most once in a tenth of a second.
      progress(table, rows) {
        const now = Date.now();
        if (now - shown < 100) return;
        shown = now;
        let total = 0;
        try {
          total = last.reader.getTable(table).rowCount;
        } catch {
          total = 0;
        }
        if (total > 0) postMessage({ id: data.id, progress: Math.min(99, Math.floor((100 * rows) / total)) });
      },
    };
    if (data.request.startsWith('{')) {
      const opened = Module.mdb.open();
      const out = new TextEncoder().encode(listRows(opened ? last.reader : null, JSON.parse(data.request)));
      Module.mdb = null;
      postMessage({ id: data.id, bytes: out.buffer }, [out.buffer]);
      return;
    }
    const answer = Module.ccall('ostrolen_read', 'number', ['string'], [data.request]);
    const size = Module._ostrolen_read_size();
    const out = Module.HEAPU8.slice(answer, answer + size);
    Module.mdb = null;
    last.answers.set(data.request, out.slice());
    postMessage({ id: data.id, bytes: out.buffer }, [out.buffer]);
  } catch (e) {
    postMessage({ id: data.id, crashed: true, message: String(e) });
  }
};
