// A replication id as Access shows it: the first three groups little-endian
// numbers, the rest in stored order, in lower case as the Access reader
// writes it. The reader's own reading swaps the bytes in place in the page
// it was given, so that a second reading of the same row (the page reads a
// row's compared values, then the whole row) gave the stored order; this one
// leaves the page alone.
export function readRepID(buffer) {
  const hex = (from, to, reversed) => {
    const bytes = Array.from(buffer.subarray(from, to));
    if (reversed) bytes.reverse();
    return bytes.map((b) => b.toString(16).padStart(2, '0')).join('');
  };
  return `${hex(0, 4, true)}-${hex(4, 6, true)}-${hex(6, 8, true)}-${hex(8, 10, false)}-${hex(10, 16, false)}`;
}
