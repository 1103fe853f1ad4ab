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
    case 'long': return field('i', String(v));
    case 'float': return field('f', String(v));
    case 'double': return field('d', String(v));
    case 'datetime': return field('D', String(v.getTime()));
    case 'currency': return field('m', String(v));
    case 'numeric': return field('N', String(v));
    case 'text':
    case 'memo': return field('t', String(v));
    case 'repid': return field('u', String(v));
    default: return 'x0:';  // binary, OLE, attachments: no text at all
  }
}

const module = OstrolenModule();

onmessage = async ({ data }) => {
  const Module = await module;
  try {
    const bytes = new Uint8Array(data.buffer);
    let reader = null;
    Module.mdb = {
      bytes,
      open() {
        try {
          reader = new MDBReader(Buffer.from(bytes.buffer, bytes.byteOffset, bytes.length));
          return true;
        } catch (e) {
          return false;
        }
      },
      tables() {
        try {
          return reader
            .getTableNames({ normalTables: true, systemTables: true, linkedTables: false })
            .map((name) => field('t', name))
            .join('');
        } catch (e) {
          return null;
        }
      },
      table(name) {
        try {
          const table = reader.getTable(name);
          const columns = table.getColumns();
          const parts = [field('c', String(columns.length))];
          for (const column of columns) parts.push(field('t', column.name));
          for (const row of table.getData()) {
            for (const column of columns) parts.push(value(column.type, row[column.name]));
          }
          return parts.join('');
        } catch (e) {
          return null;
        }
      },
    };
    const answer = Module.ccall('ostrolen_read', 'number', ['string'], [data.request]);
    const size = Module._ostrolen_read_size();
    const out = Module.HEAPU8.slice(answer, answer + size);
    Module.mdb = null;
    postMessage({ id: data.id, bytes: out.buffer }, [out.buffer]);
  } catch (e) {
    postMessage({ id: data.id, crashed: true, message: String(e) });
  }
};
