// A currency value as the Access reader writes it ("-1.0000"): a signed
// count of ten-thousandths. The reader's own reading negates a negative
// value's bytes in place in the page it was given, so that a second reading
// of the same row (the page reads a row's compared values, then the whole
// row) gave it positive; this one leaves the page alone.
export function readCurrency(buffer) {
  const raw = buffer.readBigInt64LE(0);
  const digits = (raw < 0n ? -raw : raw).toString().padStart(5, '0');
  return `${raw < 0n ? '-' : ''}${digits.slice(0, -4)}.${digits.slice(-4)}`;
}
