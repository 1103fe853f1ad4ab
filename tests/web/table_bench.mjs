// The browser page's table of many records under a large batch (a
// benchmark, not a test): N random records of the СКО page (or of the
// segments page: a segment and a step, looked up in the page's database)
// typed into the table and decoded, timed from the press of "Разобрать" to
// the last row, with the longest the page went without answering and when
// the progress showed.   node tests/web/table_bench.mjs [N] [sko|segment]
import { launch, openPage } from './browser.mjs';
import { openTable } from './drive.mjs';

const count = Number(process.argv[2] || 100000);
const pageName = process.argv[3] || 'sko';
const digits = '0123456789ABCDEF';
let seed = 1;
const random = () => {
  seed = (seed * 1103515245 + 12345) % 2147483648;
  return seed;
};
const lines = [];
for (let i = 0; i < count; ++i) {
  let words = '';
  if (pageName === 'segment') words = `${digits[random() % 4]}${digits[random() % 16]} ${random() % 16}`;
  else for (let p = 0; p < 5; ++p) words += digits[random() % (p < 3 ? 8 : 16)];
  lines.push(`${2000000 + i}\t${words}`);
}

const { context, close } = await launch();
try {
  const page = await openPage(context);
  await openTable(page, pageName);
  await page.evaluate((text) => { document.getElementById('TableInput').value = text; }, lines.join('\n'));
  const result = await page.evaluate(() => new Promise((resolve) => {
    const dialog = document.getElementById('TableView');
    const progress = document.getElementById('TableProgress');
    const started = performance.now();
    let last = started;
    let longest = 0;
    let progressAt = -1;
    const tick = () => {
      const now = performance.now();
      longest = Math.max(longest, now - last);
      last = now;
      if (progressAt < 0 && !progress.hidden) progressAt = now - started;
      if (dialog.dataset.built === '1') {
        resolve({ took: now - started, longest, progressAt, counts: document.getElementById('TableCounts').textContent });
      } else {
        setTimeout(tick, 0);
      }
    };
    document.getElementById('TableBuild').click();
    setTimeout(tick, 0);
  }));
  console.log(`${count} records: ${Math.round(result.took)} ms to the last row (${result.counts}); `
    + `the page answered within ${Math.round(result.longest)} ms throughout; the progress showed at ${Math.round(result.progressAt)} ms`);
} finally {
  await close();
}
