// Healthy databases of any size for the browser tests and figures, made by
// ostrolen-mkdb: `rows` rows in "Segment" (and as many, at most 1,000, in
// "segmoborud"), the row a lookup of segment ZZ, step 1 finds coming last.
import { execFileSync } from 'node:child_process';
import { rmSync, writeFileSync } from 'node:fs';
import { optimised } from './drive.mjs';

// The optimised ostrolen-mkdb that scripts/web builds for the sample where it
// is there, else the test build's: the file is only the input.
export const mkdb = process.env.OSTROLEN_MKDB || optimised('ostrolen-mkdb');

// The lookup that finds the last row, and a line of its answer.
export const lastRowLookup = { segment: 'ZZ', step: '1', line: 'Программа искомого шага' };

// Writes the database `file` with `rows` rows in "Segment"; `variant` changes
// every text but the last row's, so that two files of one size differ.
export function makeBigDatabase(file, rows, variant = '') {
  const lines = ['table\tsegmoborud', 'column\tnomsegm\ttext(2)', 'column\toborud\ttext'];
  const equipment = Math.min(rows, 1000);
  for (let i = 0; i < equipment - 1; ++i) lines.push(`row\t${String(i % 100).padStart(2, '0')}\tОборудование сегмента ${i}${variant}`);
  lines.push('row\tZZ\tОборудование искомого сегмента', '', 'table\tSegment', 'column\tnomsegm\ttext(2)',
    'column\tnomstep\ttext(2)', 'column\tisppro\ttext', 'column\tneispr\ttext', 'column\tprim\ttext');
  for (let i = 0; i < rows - 1; ++i) {
    lines.push(`row\t${String(i % 100).padStart(2, '0')}\t${String(i % 64).padStart(2, '0')}\tПрограмма ${i}${variant}\t` +
      `Неисправность ${i}: нет ответа от блока\tПримечание ${i}: строка большой базы`);
  }
  lines.push('row\tZZ\t1\tПрограмма искомого шага\tНеисправность искомого шага\tПримечание искомого шага');
  const description = `${file}.tsv`;
  writeFileSync(description, lines.join('\n') + '\n');
  try {
    execFileSync(mkdb, [description, file]);
  } finally {
    rmSync(description, { force: true });
  }
}
