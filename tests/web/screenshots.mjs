// Renders every page of the browser page into DIR, one PNG per page, as
// scripts/screenshot does for the window; presses may follow as
// ostrolen-cli takes them, and lines be chosen (numbered from 0), their boxes
// lit, and a list's result kept as the reference for the next press:
//   node tests/web/screenshots.mjs DIR [press B N=T ...] [keep LIST] [select LIST N ...]
import { mkdirSync } from 'node:fs';
import { join } from 'node:path';
import { launch, openPage } from './browser.mjs';

const [dir, ...args] = process.argv.slice(2);
if (!dir) {
  console.error('usage: node tests/web/screenshots.mjs DIR [press BUTTON NAME=TEXT ...]');
  process.exit(2);
}
mkdirSync(dir, { recursive: true });
const { context, close } = await launch();
try {
  const page = await openPage(context);
  // OSTROLEN_SCREENSHOT_LOOK=dark: the page in the dark look, as a desktop that prefers it gives.
  if (process.env.OSTROLEN_SCREENSHOT_LOOK === 'dark') {
    await page.emulateMedia({ colorScheme: 'dark' });
    await page.waitForFunction(() => document.documentElement.dataset.look === 'dark');
  }
  await page.setViewportSize({ width: 820, height: 560 });
  await page.evaluate(() => document.body.style.setProperty('background', '#d4d0c8'));
  const presses = [];
  const selections = [];
  for (let i = 0; i < args.length; ++i) {
    const arg = args[i];
    if (arg === 'select') {
      selections.push([args[i + 1], Number(args[i + 2])]);
      i += 2;
    } else if (arg === 'keep') {
      presses.push({ keep: args[++i] });
    } else if (arg === 'press') presses.push({ settings: [] });
    else if (!presses.at(-1).button) presses.at(-1).button = arg;
    else presses.at(-1).settings.push([arg.slice(0, arg.indexOf('=')), arg.slice(arg.indexOf('=') + 1)]);
  }
  for (const { button, settings, keep } of presses) {
    if (keep) {
      // Kept as Ctrl+R keeps it: the result of the list's page, in front.
      await page.evaluate((l) => {
        const spec = window.ostrolen.layout.pages.find((p) => p.lists.some((x) => x.name === l));
        window.ostrolen.send({ do: 'showPage', sheet: spec.sheet });
        window.ostrolen.send({ do: 'keepReference' });
      }, keep);
      continue;
    }
    for (const [box, text] of settings) await page.evaluate(([b, t]) => (document.getElementById(b).value = t), [box, text]);
    await page.evaluate((b) => window.ostrolen.press(b), button);
    while (await page.$('dialog[open]')) await page.click('dialog[open] button');
  }
  for (const [list, index] of selections) {
    await page.evaluate(([l, i]) => document.querySelectorAll(`#${l} .line`)[i].click(), [list, index]);
  }
  const leaves = await page.evaluate(() => {
    const path = (sheet) => {
      const chain = [];
      for (let e = document.getElementById(sheet); e; e = e.parentElement.closest('.sheet')) chain.unshift(e.id);
      return chain;
    };
    return [...document.querySelectorAll('.sheet.page')].map((s) => ({ sheet: s.id, path: path(s.id) }));
  });
  let n = 0;
  for (const { sheet, path } of leaves) {
    for (const s of path) await page.click(`#tab-${s}`);
    const file = join(dir, `${String(++n).padStart(2, '0')}-${sheet}.png`);
    await page.locator('#Form1').screenshot({ path: file });
    console.log(file);
  }
  await page.click('#Action2');
  await page.screenshot({ path: join(dir, 'about.png') });
  await page.keyboard.press('Escape');
  // A message box over the page.
  await page.click('#tab-TabSheet2');
  await page.click('#tab-TabSheet8');
  await page.evaluate(() => (document.getElementById('Edit274').value = 'G'));
  await page.click('#SpeedButton14');
  await page.waitForSelector('dialog[open]');
  await page.screenshot({ path: join(dir, 'error.png') });
  console.log(join(dir, 'error.png'));
} finally {
  await close();
}
