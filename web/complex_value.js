// A complex column (attachments, multiple values, a memo's history) as the
// number its table keeps, which names the column's rows in a hidden table:
// the Access reader's own reading of it, which follows that table to the
// attachments and fails on the other kinds, is replaced by this one, so
// that the worker reads such a column as the reader program does.
export function readComplex(buffer) {
  return buffer.readInt32LE(0);
}
