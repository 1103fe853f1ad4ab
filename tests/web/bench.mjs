// The figures of scripts/web-bench: node tests/web/bench.mjs BIG.mdb
import { statSync } from 'node:fs';
import { launch, openPage, pageFile } from './browser.mjs';

const big = process.argv[2];
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (v) => `${v.toFixed(2)} ms`;

const { context, close } = await launch();
try {
  console.log(`file: ${pageFile}, ${(statSync(pageFile).size / 1048576).toFixed(2)} MB (limit 3 MB)`);

  // Opening: from the navigation's start to the page ready for typing; the first opening fills no cache.
  const opening = [];
  for (let i = 0; i < 7; ++i) {
    const page = await openPage(context);
    opening.push(await page.evaluate(() => window.ostrolen.readyAt));
    await page.close();
  }
  console.log(`opening to ready: first ${ms(opening[0])}, median ${ms(median(opening))}, worst ${ms(Math.max(...opening))} (limit 500 ms)`);

  const page = await openPage(context);
  // A press inside the page: the handler run through the bridge, then the whole click as the operator sees it.
  const press = await page.evaluate(async () => {
    const set = (values) => Object.entries(values).forEach(([k, v]) => (document.getElementById(k).value = v));
    const cases = {
      SpeedButton14: { Edit274: '2', Edit275: '7', Edit276: '1', Edit277: 'A', Edit278: '6' },
      SpeedButton11: { Edit74: '0', Edit75: '0', Edit76: '7', Edit77: '5', Edit79: '0', Edit80: '0', Edit81: '3', Edit82: 'F' },
      SpeedButton1: { Edit1: '7', Edit2: '7', Edit3: '3', Edit4: 'F', Edit5: 'F' },
    };
    const out = {};
    for (const [button, values] of Object.entries(cases)) {
      set(values);
      const n = 2000;
      let t = performance.now();
      for (let i = 0; i < n; ++i) window.ostrolen.pressInside(button);
      const inside = (performance.now() - t) / n;
      const clicks = [];
      for (let i = 0; i < 200; ++i) {
        t = performance.now();
        await window.ostrolen.press(button);
        clicks.push(performance.now() - t);
      }
      clicks.sort((a, b) => a - b);
      out[button] = { inside, click: clicks[100], worst: clicks[199] };
    }
    return out;
  });
  for (const [button, f] of Object.entries(press)) {
    console.log(`press ${button}: ${ms(f.inside)} inside the page, ${ms(f.click)} the whole click with its lines (median; worst ${ms(f.worst)}) (limit 1 ms)`);
  }

  // A lookup on the 10,000-row file, chosen as the operator chooses it; the row found comes last.
  await page.click('#tab-TabSheet3');
  await page.click('#tab-TabSheet15');
  const lookup = (pause) =>
    page.evaluate(async (pause) => {
      await new Promise((resolve) => setTimeout(resolve, pause));
      document.getElementById('Edit329').value = 'ZZ';
      document.getElementById('Edit330').value = '1';
      const times = [];
      for (let i = 0; i < 15; ++i) {
        const t = performance.now();
        await window.ostrolen.press('SpeedButton17');
        times.push(performance.now() - t);
      }
      const lines = [...document.getElementById('ListBox10').children].map((l) => l.textContent);
      return { times, lines };
    }, pause);
  // Pressed at once after the choice, the lookup waits for the page's reading ahead;
  // pressed a second later, as after typing the segment and the step, it does not.
  await page.setInputFiles('#DatabaseFile', big);
  const atOnce = await lookup(0);
  await page.setInputFiles('#DatabaseFile', []);
  await page.setInputFiles('#DatabaseFile', big.replace(/dbveltra\.mdb$/, 'copy.mdb'));
  const later = await lookup(1000);
  for (const run of [atOnce, later]) {
    if (!run.lines.includes('Программа искомого шага')) throw new Error(`the lookup did not find its row: ${run.lines}`);
  }
  console.log(`lookup on 10,000 rows: pressed at once after choosing the file ${ms(atOnce.times[0])}, ` +
    `a second after ${ms(later.times[0])}, again on the same file median ${ms(median(later.times.slice(1)))}, ` +
    `worst ${ms(Math.max(...later.times.slice(1)))} (limit 50 ms)`);
  if (page.errors.length) console.log(`page errors: ${page.errors}`);
} finally {
  await close();
}
