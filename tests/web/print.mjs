// Printing in the browser page: Ctrl+P puts the controller's printout of the
// page in front in the print container and calls the browser's printing once
// (window.print, stubbed here, records what it would print); the print style
// sheet shows that container alone. While the history is open Ctrl+P prints
// the session's report; a print the browser starts itself takes the page's
// printout without a second dialog. Where headless Chromium makes PDFs, the
// page's PDF turned to text has the result lines in order.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch, openPage, pageUrl } from './browser.mjs';
import { check, equal, finish } from './check.mjs';
import { cli } from './drive.mjs';

const decode = (page, words) =>
  execFileSync(cli, ['decode', page, ...words], { encoding: 'utf8' }).split('\n').filter((l, i, all) => i < all.length - 1 || l !== '');

// What each print would have printed, and how often Ctrl+P's own default (the browser's dialog) was kept from it.
const stub = () => {
  window.printed = [];
  window.print = () => {
    window.printed.push({ title: document.title, text: document.getElementById('Printout')?.innerText ?? '' });
  };
  window.printKeysPrevented = 0;
  const preventDefault = Event.prototype.preventDefault;
  Event.prototype.preventDefault = function prevent() {
    if (this.type === 'keydown' && this.ctrlKey && this.code === 'KeyP') window.printKeysPrevented += 1;
    return preventDefault.call(this);
  };
};

// The container's result lines, and whether each part of the page is shown.
const printout = (page) =>
  page.evaluate(() => {
    const container = document.getElementById('Printout');
    const shown = (e) => Boolean(e) && getComputedStyle(e).display !== 'none' && e.getClientRects().length > 0;
    return {
      title: container?.querySelector('h1')?.textContent ?? '',
      head: [...(container?.querySelectorAll(':scope > p') ?? [])].map((p) => p.textContent),
      lines: [...(container?.querySelectorAll('td.text') ?? [])].map((td) => td.textContent),
      text: container?.innerText ?? '',
      container: shown(container),
      form: shown(document.getElementById('Form1')),
      history: shown(document.getElementById('HistoryView')),
    };
  });

const { context, close } = await launch();
const dir = mkdtempSync(join(tmpdir(), 'ostrolen-print-'));
try {
  await context.addInitScript(stub);
  const page = await openPage(context, `${pageUrl}#sko=271A6`);
  const listName = await page.evaluate(() =>
    window.ostrolen.layout.pages.find((p) => p.buttons.some((b) => b.name === 'SpeedButton14')).lists[0].name);
  await page.waitForFunction((name) => document.getElementById(name).children.length > 0, listName);
  const lines = await page.evaluate((name) => [...document.getElementById(name).children].map((l) => l.textContent), listName);
  equal(lines, decode('sko', ['271A6']), 'the page shows the decode');
  const button = await page.$eval('#Print', (b) => ({ text: b.textContent, keys: b.getAttribute('aria-keyshortcuts') }));
  equal(button, { text: 'Печать', keys: 'Control+P' }, 'the toolbar has the print command and its key');

  // ---- Ctrl+P: one print of the page in front.
  await page.keyboard.press('Control+p');
  await page.waitForFunction(() => window.printed.length > 0);
  const first = await page.evaluate(() => ({ printed: window.printed, prevented: window.printKeysPrevented, title: document.title }));
  equal(first.printed.length, 1, 'Ctrl+P prints once');
  equal(first.printed[0].title, 'АХ, СКО', 'the printout is titled by its page (the name of a PDF)');
  check(first.title !== 'АХ, СКО', 'the page takes its own title back');
  check(first.prevented > 0, "the browser's own print dialog is kept from Ctrl+P");
  let view = await printout(page);
  equal(view.title, 'АХ, СКО', 'the printout has its title');
  check(/^Напечатано: \d{4}-\d\d-\d\d \d\d:\d\d:\d\d$/.test(view.head[0] ?? ''), 'the date and time as the history writes them', view.head[0]);
  equal(view.head[1], 'Слова: 271A6', 'the words in the boxes');
  equal(view.lines, lines, "the container's lines are the page's result lines");
  check(!view.container && view.form, 'on the screen the container is hidden and the window shown');

  // ---- On paper the container alone.
  await page.emulateMedia({ media: 'print' });
  view = await printout(page);
  check(view.container && !view.form, 'printed, the container alone is shown', JSON.stringify(view));
  await page.emulateMedia({ media: null });

  // ---- While the history is open, its report.
  await page.keyboard.press('Control+h');
  await page.waitForSelector('#HistoryView[open]');
  await page.keyboard.press('Control+p');
  await page.waitForFunction(() => window.printed.length > 1);
  equal(await page.evaluate(() => window.printed.length), 2, 'Ctrl+P in the history prints once');
  view = await printout(page);
  equal(view.title, 'Ostrolen: история сеанса', "the history's report is printed");
  equal(view.lines, lines, "the report has the entry's lines");
  check(view.text.includes('Адрес: sko=271A6'), "the report names the entry's address");
  await page.emulateMedia({ media: 'print' });
  view = await printout(page);
  check(view.container && !view.form && !view.history, 'printed, the history view is hidden too');
  await page.emulateMedia({ media: null });
  await page.click('#PrintHistory');
  equal(await page.evaluate(() => window.printed.length), 3, "the history view's button prints");
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !document.querySelector('#HistoryView[open]'));

  // ---- A print the browser starts itself: the page's printout, no second dialog.
  await page.evaluate(() => window.dispatchEvent(new Event('beforeprint')));
  view = await printout(page);
  equal(view.title, 'АХ, СКО', "the browser's own print takes the page's printout");
  equal(view.lines, lines, "the browser's own print has the page's lines");
  equal(await page.evaluate(() => window.printed.length), 3, "the browser's own print opens no dialog of the page's");

  // ---- The PDF headless Chromium makes of the page, where it makes one.
  let pdf = null;
  try {
    pdf = await page.pdf();
  } catch (error) {
    console.log(`no PDF from headless Chromium here: ${String(error).split('\n')[0]}`);
  }
  if (pdf) {
    const file = join(dir, 'page.pdf');
    writeFileSync(file, pdf);
    let text = null;
    try {
      text = execFileSync('pdftotext', ['-layout', file, '-'], { encoding: 'utf8' });
    } catch (error) {
      console.log(`the PDF is not read back: pdftotext (poppler-utils) is missing (${error.code ?? error})`);
    }
    if (text !== null) {
      const printed = text.split('\n').map((l) => l.replace(/\s+/g, ' ').trim()).filter((l) => l);
      equal(printed.slice(0, 3), ['АХ, СКО', view.head[0], 'Слова: 271A6'], 'the PDF starts with the title, the time and the words');
      equal(printed.slice(3, 3 + lines.length), lines.map((l) => l.replace(/\s+/g, ' ').trim()), "the PDF has the page's lines, line for line");
    }
  }
  equal(page.errors, [], 'no script errors');
  await page.close();
} finally {
  await close();
  rmSync(dir, { recursive: true, force: true });
}
finish('web_print');
