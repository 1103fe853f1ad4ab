// The system's Chromium under the test driver: headless, with nothing
// downloaded, nothing synced, a fresh profile each time.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

export const root = resolve(new URL('../..', import.meta.url).pathname);
export const pageFile = process.env.OSTROLEN_WEB_PAGE || join(root, 'build/web/ostrolen.html');
export const pageUrl = pathToFileURL(pageFile).href;

// The caption of the common error box: the page's file name, cut before its
// first full stop, every letter after the first in lower case (the desktop
// takes the program's file name so).
export function titleOf(file) {
  let name = file.split('/').pop();
  const stop = name.indexOf('.');
  if (stop >= 0) name = name.slice(0, stop);
  return name.length > 1 ? name[0] + name.slice(1).toLowerCase() : name;
}
export const pageTitle = titleOf(pageFile);

// The environment of every program the browser tests start: the caller's,
// in C.UTF-8 (which every Debian system has) whatever locale it named or
// none. With no locale Chromium does not hand a chosen file whose name is
// not ASCII to the page at all.
export function utf8Environment(environment = process.env) {
  const out = {};
  for (const [name, value] of Object.entries(environment)) {
    if (name !== 'LANG' && name !== 'LANGUAGE' && !name.startsWith('LC_')) out[name] = value;
  }
  return { ...out, LANG: 'C.UTF-8', LC_ALL: 'C.UTF-8' };
}

// The locale the caller gave (the variables that name one), before it is
// set: every program these tests start (Chromium, ostrolen-cli, the reader
// program, mdbtools) inherits C.UTF-8 instead.
export const callerLocale = Object.fromEntries(
  Object.entries(process.env).filter(([name]) => name === 'LANG' || name === 'LANGUAGE' || name.startsWith('LC_')));
{
  const utf8 = utf8Environment();
  for (const name of Object.keys(process.env)) if (!(name in utf8)) delete process.env[name];
  Object.assign(process.env, utf8);
}

// How long a wait may go on before it counts as a hang. Nothing is waited
// for by the clock: every wait is for what the page signals, and this only
// ends one that never comes, naming what was awaited and what the page showed.
export const hangSeconds = 120;

// What the page shows, for the message of a wait that ran out.
export async function pageShows(page) {
  try {
    return await page.evaluate(() => JSON.stringify({
      ready: document.documentElement.dataset.ready ?? null,
      busy: window.ostrolen && window.ostrolen.busy ? window.ostrolen.busy() : null,
      database: document.getElementById('DatabaseState')?.textContent ?? null,
      choices: document.getElementById('DatabaseState')?.dataset.choices ?? null,
      dialog: document.querySelector('dialog[open]')?.textContent ?? null,
      address: location.hash,
    }));
  } catch (error) {
    return `nothing that could be read (${String(error).split('\n')[0]})`;
  }
}

// The page's waits, each ended only by a hang, with a message that names it.
function guard(page) {
  if (page.guarded) return page;
  page.guarded = true;
  page.setDefaultTimeout(hangSeconds * 1000);
  for (const name of ['waitForFunction', 'waitForSelector', 'waitForEvent']) {
    const original = page[name].bind(page);
    page[name] = async (...args) => {
      try {
        return await original(...args);
      } catch (error) {
        if (error.name !== 'TimeoutError') throw error;
        const what = String(args[0]).replace(/\s+/g, ' ').slice(0, 300);
        const argument = typeof args[0] === 'function' && args[1] !== undefined ? ` with ${JSON.stringify(args[1])}` : '';
        throw new Error(`${name}: no sign of ${what}${argument} in ${hangSeconds} s; the page showed ${await pageShows(page)}`);
      }
    };
  }
  return page;
}

export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'ostrolen-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.OSTROLEN_CHROMIUM || '/usr/bin/chromium',
    env: process.env,
    headless: true,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
    viewport: { width: 840, height: 600 },
  });
  context.setDefaultTimeout(hangSeconds * 1000);
  context.on('page', guard);
  for (const page of context.pages()) guard(page);
  const close = async () => {
    await context.close();
    rmSync(profile, { recursive: true, force: true });
  };
  return { context, close };
}

// A fresh page with the file opened and ready for typing.
export async function openPage(context, url = pageUrl) {
  const page = guard(await context.newPage());
  // Each page starts as a first visit does, whatever earlier pages of the
  // test kept in the browser's storage; its own reloads keep what it keeps.
  await page.addInitScript(() => {
    if (sessionStorage.getItem('ostrolen.test-visit')) return;
    sessionStorage.setItem('ostrolen.test-visit', '1');
    localStorage.removeItem('ostrolen.page');
    localStorage.removeItem('ostrolen.desk');
  });
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  await page.goto(url);
  await page.waitForSelector('html[data-ready="true"]');
  page.errors = errors;
  return page;
}

// Chooses `file` (or, with [], nothing: the chooser cancelled) through the
// chooser beside "Запрос", as the operator does, and waits until the page has
// taken the choice: its status line counts each one. Gives the line's text.
export async function chooseFile(page, file) {
  const state = '#DatabaseState';
  const before = Number(await page.$eval(state, (s) => s.dataset.choices));
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click('.database .choose')]);
  await chooser.setFiles(file);
  await page.waitForFunction(
    ([selector, count]) => Number(document.querySelector(selector).dataset.choices) > count, [state, before]);
  return page.$eval(state, (s) => s.textContent);
}
