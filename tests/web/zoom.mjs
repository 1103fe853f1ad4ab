// The browser page under the browser's own zoom, 100 to 200 %, on a laptop's
// screen (1366 × 700 CSS pixels at 100 %): at every step every page stays
// whole. No text is cut off by the page it stands on nor by its own box, and
// no label runs into a box, a list or a button. With OSTROLEN_WEB_SHOTS=DIR,
// a screenshot of every page at every step.
import { mkdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { launch, openPage } from './browser.mjs';
import { check, equal, finish } from './check.mjs';

const steps = [100, 110, 125, 150, 175, 200];
const screen = { width: 1366, height: 700 };
const shots = process.env.OSTROLEN_WEB_SHOTS;
if (shots) mkdirSync(shots, { recursive: true });

const { context, close } = await launch();
try {
  const page = await openPage(context);
  // A page decoded, so that its result lines are measured too.
  await page.evaluate(() => window.ostrolen.send({ do: 'open', address: 'sko=271A6' }));
  const sheets = await page.evaluate(() => window.ostrolen.layout.pages.map((p) => p.sheet));
  check(sheets.length >= 10, 'the page has its pages', String(sheets.length));
  const cdp = await context.newCDPSession(page);
  for (const zoom of steps) {
    // The browser's zoom: CSS pixels grow, so the view holds fewer of them.
    const scale = zoom / 100;
    const metrics = { width: Math.floor(screen.width / scale), height: Math.floor(screen.height / scale), deviceScaleFactor: scale, mobile: false };
    await cdp.send('Emulation.setDeviceMetricsOverride', metrics);
    const [width, ratio] = await page.evaluate(() => [innerWidth, devicePixelRatio]);
    check(width === metrics.width && Math.abs(ratio - scale) < 0.001, `${zoom} %: the view as the browser's zoom makes it`, `${width} ${ratio}`);
    for (const sheet of sheets) {
      await page.evaluate((s) => window.ostrolen.send({ do: 'showPage', sheet: s }), sheet);
      const problems = await page.evaluate((s) => {
        const found = [];
        const sheetElement = document.getElementById(s);
        const area = sheetElement.getBoundingClientRect();
        const name = (e) => e.id || e.textContent.trim().slice(0, 30);
        const inside = (r) => r.left >= area.left - 1 && r.right <= area.right + 1 && r.top >= area.top - 1 && r.bottom <= area.bottom + 1;
        const overlap = (a, b) => a.left < b.right - 1 && b.left < a.right - 1 && a.top < b.bottom - 1 && b.top < a.bottom - 1;
        const labels = [...sheetElement.querySelectorAll('.label')];
        const controls = [...sheetElement.querySelectorAll('.box, .list, .button')];
        for (const e of [...labels, ...controls]) {
          const r = e.getBoundingClientRect();
          if (r.width === 0) continue;
          if (!inside(r)) found.push(`cut off by the page: ${name(e)}`);
          // Text wider than its own element (a button's caption, a box's text).
          if (!e.classList.contains('list') && e.scrollWidth > e.clientWidth + 1 && getComputedStyle(e).overflow !== 'visible') {
            found.push(`cut off in itself: ${name(e)}`);
          }
        }
        for (const label of labels) {
          const r = label.getBoundingClientRect();
          for (const c of controls) if (overlap(r, c.getBoundingClientRect())) found.push(`${name(label)} runs into ${name(c)}`);
        }
        // The toolbar's commands on one line each, within the toolbar.
        const toolbar = document.getElementById('ToolBar1').getBoundingClientRect();
        for (const tool of document.querySelectorAll('#ToolBar1 .tool')) {
          const r = tool.getBoundingClientRect();
          if (r.width === 0) continue;
          const range = document.createRange();
          range.selectNodeContents(tool);
          const lines = new Set([...range.getClientRects()].map((line) => Math.round(line.top)));
          if (lines.size > 1 || r.top < toolbar.top - 1 || r.bottom > toolbar.bottom + 1) found.push(`toolbar: ${name(tool)}`);
        }
        // Every tab's caption whole.
        for (const tab of document.querySelectorAll('.tab')) {
          if (tab.offsetParent && tab.scrollWidth > tab.clientWidth + 1) found.push(`tab cut off: ${tab.textContent}`);
        }
        // The window whole: reachable by scrolling, nothing beyond its frame.
        const form = document.getElementById('Form1');
        if (form.scrollWidth > Math.max(form.clientWidth, window.ostrolen.layout.shell.width) + 1) found.push('the window is wider than itself');
        return found;
      }, sheet);
      equal(problems, [], `${zoom} %, ${sheet}: nothing cut off, nothing runs into another`);
      if (shots) {
        // The page's own screenshot would undo the zoom's metrics: the browser's, as it shows.
        const { data } = await cdp.send('Page.captureScreenshot', { format: 'png' });
        writeFileSync(join(shots, `${zoom}-${sheet}.png`), Buffer.from(data, 'base64'));
      }
    }
  }
  check(page.errors.length === 0, 'no script error', page.errors.join('\n'));
} finally {
  await close();
}
finish('web_zoom');
