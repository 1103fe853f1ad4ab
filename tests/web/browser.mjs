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

export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'ostrolen-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.OSTROLEN_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
    viewport: { width: 840, height: 600 },
  });
  const close = async () => {
    await context.close();
    rmSync(profile, { recursive: true, force: true });
  };
  return { context, close };
}

// A fresh page with the file opened and ready for typing.
export async function openPage(context, url = pageUrl) {
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  await page.goto(url);
  await page.waitForSelector('html[data-ready="true"]', { timeout: 20000 });
  page.errors = errors;
  return page;
}
