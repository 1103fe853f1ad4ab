// The worker's own readings of replication ids and currency values, which
// replace the Access reader's: for every value they give the reader's text
// (read from a fresh copy of the bytes), and they leave the bytes as they
// were, so a row read twice (its compared values, then whole) reads the same.
import { Buffer } from 'node:buffer';
import { readCurrency as theirCurrency } from '../../node_modules/mdb-reader/lib/node/data/currency.js';
import { readRepID as theirRepID } from '../../node_modules/mdb-reader/lib/node/data/repid.js';
import { readCurrency } from '../../web/currency_value.js';
import { readRepID } from '../../web/repid_value.js';

let failures = 0;
const check = (ok, what) => {
  if (!ok) {
    ++failures;
    if (failures <= 10) console.log(`FAIL ${what}`);
  }
};

// A fixed seed: the same bytes every run.
let seed = 20261210;
const random = () => {
  seed = (seed * 1103515245 + 12345) % 2147483648;
  return seed;
};
const bytes = (n) => Buffer.from(Array.from({ length: n }, () => random() & 0xff));

const readers = [
  ['currency', readCurrency, theirCurrency, 8],
  ['replication id', readRepID, theirRepID, 16],
];
const edges = {
  currency: ['0000000000000000', 'f0d8ffffffffffff', '10270000000000000', 'ffffffffffffffff', '0000000000000080',
    'ffffffffffffff7f', '1027000000000080'],
  'replication id': ['6a27398ea8bcc44a891e49911d8438dd', '00000000000000000000000000000000', 'ffffffffffffffffffffffffffffffff'],
};
for (const [name, ours, theirs, size] of readers) {
  const cases = edges[name].map((hex) => Buffer.from(hex.slice(0, 2 * size).padEnd(2 * size, '0'), 'hex'));
  for (let i = 0; i < 2000; ++i) cases.push(bytes(size));
  for (const value of cases) {
    const before = Buffer.from(value);
    const first = ours(value);
    check(value.equals(before), `${name} ${before.toString('hex')}: the bytes were changed`);
    check(ours(value) === first, `${name} ${before.toString('hex')}: a second reading gives ${ours(value)}, not ${first}`);
    const expected = theirs(Buffer.from(before));
    check(first === expected, `${name} ${before.toString('hex')}: ${first}, the Access reader ${expected}`);
  }
}
// The example of the README and the desktop: as Access shows it.
check(readRepID(Buffer.from('6a27398ea8bcc44a891e49911d8438dd', 'hex')) === '8e39276a-bca8-4ac4-891e-49911d8438dd',
  'the replication id in the form Access shows');
check(readCurrency(Buffer.from('f0d8ffffffffffff', 'hex')) === '-1.0000', 'minus one');
console.log(`values: ${readers.length} readings over ${2000 * readers.length} values, ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
