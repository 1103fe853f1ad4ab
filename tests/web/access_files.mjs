// Access files of the formats the reader tells apart, made from a Jet 4
// fixture as tests/pages/segments/formats_test.cpp makes them: ACE files
// (Access 2007-2019) are Jet 4 files with ACE's signature and version, an
// encrypted one names a key, a Jet 3 file's page 0 names its code page and
// sort order.
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';

// Page 0 hides 126 (Jet 3) or 128 bytes from 0x18 under RC4 with this key;
// the same pass hides and shows them.
function rc4Header(bytes, length) {
  const key = [0xc7, 0xda, 0x39, 0x6b];
  const s = Array.from({ length: 256 }, (_, i) => i);
  for (let i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + key[i % 4]) % 256;
    [s[i], s[j]] = [s[j], s[i]];
  }
  for (let k = 0, a = 0, b = 0; k < length; ++k) {
    a = (a + 1) % 256;
    b = (b + s[a]) % 256;
    [s[a], s[b]] = [s[b], s[a]];
    bytes[0x18 + k] ^= s[(s[a] + s[b]) % 256];
  }
}
const put = (bytes, at, value, size) => {
  for (let k = 0; k < size; ++k) bytes[at + k] = (value >>> (8 * k)) & 0xff;
};
const signed = (bytes, signature, version) => {
  const copy = Buffer.from(bytes);
  copy.write(`${signature}\0`, 4, 'latin1');
  copy[0x14] = version;
  return copy;
};
const hidden = (bytes, length, at, value, size) => {
  const copy = Buffer.from(bytes);
  rc4Header(copy, length);
  put(copy, at, value, size);
  rc4Header(copy, length);
  return copy;
};
// A Jet 3 page 0 (2 KB) naming `codePage` and `sortOrder`, and `pages` empty pages.
const jet3Empty = (codePage, sortOrder, pages) => {
  const bytes = Buffer.alloc(2048 * (pages + 1));
  bytes.write('Standard Jet DB\0', 4, 'latin1');
  put(bytes, 0x3a, sortOrder, 2);
  put(bytes, 0x3c, codePage, 2);
  rc4Header(bytes, 126);
  return bytes;
};

// Writes the files into `folder`: [name, path] in a fixed order. `jet4` is a
// Jet 4 fixture's bytes, `jet3` a Cyrillic Jet 3 fixture's with no code page
// of its own (its sort order says Cyrillic).
export function makeFormatFiles(folder, jet4, jet3) {
  const files = [];
  const add = (name, bytes) => {
    const path = join(folder, name);
    writeFileSync(path, bytes);
    files.push([name, path]);
  };
  for (let version = 2; version <= 6; ++version) add(`ace${version}.mdb`, signed(jet4, 'Standard ACE DB', version));
  for (const version of [2, 6]) {
    add(`ace${version}-encrypted.mdb`, hidden(signed(jet4, 'Standard ACE DB', version), 128, 0x3e, 0x5a17c0de, 4));
  }
  add('ace-version-7.mdb', signed(jet4, 'Standard ACE DB', 7));
  add('jet-version-32.mdb', signed(jet4, 'Standard Jet DB', 0x20));
  add('msisam.mdb', signed(jet4, 'MSISAM Database', 1));
  add('jet3-code-page-9999.mdb', jet3Empty(9999, 1049, 3));
  add('jet3-empty-1251.mdb', jet3Empty(1251, 1049, 3));
  add('jet3-western-sort.mdb', hidden(jet3, 126, 0x3a, 0x0409, 2));
  return files;
}
