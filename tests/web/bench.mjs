// The figures of scripts/web-bench:
//
//   node tests/web/bench.mjs [--page NAME=PAGE.html]... DATABASE.mdb...
//
// For each page (the one of OSTROLEN_WEB_PAGE when none is named): its
// size, the time from opening it to a page ready for typing, a press inside
// the page; then on each database (made by big_files.mjs, its rows in its
// name: rows-400000.mdb), chosen as the operator chooses it: the first
// press of "Запрос" for segment ZZ, step 1, typed into the boxes before the
// choice and pressed at once (from the choice to its lines), or typed after
// it, pressed once the search's listing has begun (from the press to its
// lines); the search's first listing of the file's rows, from the choice
// until the search has them; once that is over, the later presses on the
// unchanged file, and new lookups (their row missing, so that the whole
// table is read). Counted besides: how often the file's bytes went to the
// page's worker. Not a test: it prints, it does not judge.
import { statSync } from 'node:fs';
import { basename } from 'node:path';
import { pathToFileURL } from 'node:url';
import { lastRowLookup } from './big_files.mjs';
import { launch, openPage, pageFile } from './browser.mjs';

const pages = [];
const databases = [];
for (let i = 2; i < process.argv.length; ++i) {
  if (process.argv[i] === '--page') {
    const [name, ...path] = process.argv[++i].split('=');
    pages.push({ name, file: path.join('=') });
  } else {
    databases.push(process.argv[i]);
  }
}
if (!pages.length) pages.push({ name: 'page', file: pageFile });

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (v) => (v >= 1000 ? `${(v / 1000).toFixed(2)} s` : `${v.toFixed(v < 10 ? 2 : 0)} ms`);
const laterPresses = 10;

const { context, close } = await launch();
// Every request a page posts to its database worker, as it posts it: a
// lookup or the rows' listing, how many bytes of the file went with it, when
// it was posted, answered, and handed on (the page's work on the answer
// done); and when a worker was ended. Message boxes are answered at once.
await context.addInitScript(() => {
  const Original = window.Worker;
  const log = (window.benchWorkerLog = []);
  window.Worker = class extends Original {
    constructor(...args) {
      super(...args);
      this.addEventListener('message', ({ data }) => {
        const entry = log.find((e) => e.id === data?.id);
        if (!entry || (data.bytes === undefined && !data.crashed)) return;
        entry.answeredAt = performance.now();
        // The page's own work on the answer runs in this task, after this listener.
        setTimeout(() => (entry.handedAt = performance.now()), 0);
      });
    }
    postMessage(message, transfer) {
      if (message && typeof message === 'object' && 'request' in message) {
        log.push({
          id: message.id,
          listing: String(message.request).startsWith('{'),
          postedAt: performance.now(),
          bytes: message.buffer ? message.buffer.byteLength : 0,
        });
      }
      return super.postMessage(message, transfer);
    }
    terminate() {
      log.push({ endedAt: performance.now() });
      return super.terminate();
    }
  };
  document.addEventListener('change', (event) => {
    if (event.target.id === 'DatabaseFile') window.benchChosenAt = performance.now();
  }, true);
  // A page that counts the listings it handed to the search says when one is over.
  const listings = [];
  new MutationObserver((records) => {
    for (const r of records) listings.push({ at: performance.now(), count: Number(r.target.dataset.listings) });
  }).observe(document, { attributes: true, subtree: true, attributeFilter: ['data-listings'] });
  // The rows' listing since the choice (or since the page opened): when it
  // was handed to the search, or its worker ended (`ended`); null while it
  // goes on. A page that does not count its listings had it once the worker
  // answered the one request of it.
  window.benchListing = () => {
    const since = window.benchChosenAt ?? 0;
    if (document.getElementById('DatabaseState').dataset.listings !== undefined) {
      const listed = listings.find((l) => l.at > since && l.count > 0);
      return listed ? { at: listed.at, ended: false } : null;
    }
    const listing = log.find((e) => e.listing && e.postedAt > since);
    if (!listing) return null;
    if (listing.handedAt !== undefined) return { at: listing.handedAt, ended: false };
    const ended = log.find((e) => e.endedAt > listing.postedAt);
    return ended ? { at: ended.endedAt, ended: true } : null;
  };
  new MutationObserver(() => document.querySelector('dialog[open] button')?.click())
    .observe(document, { childList: true, subtree: true });
});
async function general(url) {
  // Opening: from the navigation's start to the page ready for typing; the first opening fills no cache.
  const opening = [];
  for (let i = 0; i < 7; ++i) {
    const page = await openPage(context, url);
    opening.push(await page.evaluate(() => window.ostrolen.readyAt));
    await page.close();
  }
  console.log(`  opening to ready: first ${ms(opening[0])}, median ${ms(median(opening))}, worst ${ms(Math.max(...opening))} (limit 500 ms)`);

  const page = await openPage(context, url);
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
    console.log(`  press ${button}: ${ms(f.inside)} inside the page, ${ms(f.click)} the whole click with its lines (median; worst ${ms(f.worst)}) (limit 1 ms)`);
  }
  await page.close();
}

// A fresh page on "Сегменты" with the sample's reading when it opened over;
// what the worker is sent from here on counts.
async function segmentsPage(url) {
  const page = await openPage(context, url);
  await page.click('#tab-TabSheet3');
  await page.click('#tab-TabSheet15');
  await page.waitForFunction(() => window.benchListing() !== null);
  await page.evaluate(async () => {
    await window.ostrolen.read('');
    window.benchWorkerLog.length = 0;
  });
  return page;
}
const setLookup = (page, { segment, step }) =>
  page.evaluate(([segment, step]) => {
    document.getElementById('Edit329').value = segment;
    document.getElementById('Edit330').value = step;
  }, [segment, step]);
const press = (page) =>
  page.evaluate(async (line) => {
    const t = performance.now();
    await window.ostrolen.press('SpeedButton17');
    const found = [...document.getElementById('ListBox10').children].some((l) => l.textContent === line);
    return { found, took: performance.now() - t, sinceChoice: performance.now() - window.benchChosenAt };
  }, lastRowLookup.line);

// What `measure` gives on a fresh page of `url`, or the first line of how it failed.
async function measured(url, measure) {
  const page = await segmentsPage(url);
  try {
    const figures = await measure(page);
    if (page.errors.length) console.log(`  page errors: ${page.errors}`);
    return figures;
  } catch (error) {
    return { failed: String(error.message || error).split('\n')[0] };
  } finally {
    await page.close();
  }
}

// The lookup's figures on `database`, each first press in a fresh page.
async function lookups(url, database) {
  // Typed after choosing: the boxes empty at the choice, the press once the
  // search's listing has begun, as when the operator types the segment and
  // the step after choosing the file.
  const typed = await measured(url, async (page) => {
    await page.setInputFiles('#DatabaseFile', database);
    await page.waitForFunction(() => window.benchWorkerLog.some((e) => e.listing));
    await setLookup(page, lastRowLookup);
    const pressed = await press(page);
    if (!pressed.found) throw new Error('the press typed after choosing did not find its row');
    return pressed;
  });

  // Pressed at once: the boxes filled before the choice, the press right after it.
  const atOnce = await measured(url, async (page) => {
    await setLookup(page, lastRowLookup);
    await page.setInputFiles('#DatabaseFile', database);
    const first = await press(page);
    if (!first.found) throw new Error('the first press did not find its row');
    await page.waitForFunction(() => window.benchListing() !== null);
    const figures = await page.evaluate(async ({ later, line }) => {
      const log = window.benchWorkerLog;
      const sent = (from) => log.slice(from).filter((e) => e.bytes > 0).length;
      const listing = window.benchListing();
      const lastPiece = log.filter((e) => e.listing && e.answeredAt !== undefined && e.answeredAt <= listing.at).at(-1);
      const sentFirst = sent(0);
      const found = () => [...document.getElementById('ListBox10').children].some((l) => l.textContent === line);
      let mark = log.length;
      const times = [];
      for (let i = 0; i < later; ++i) {
        const t = performance.now();
        await window.ostrolen.press('SpeedButton17');
        times.push(performance.now() - t);
        if (!found()) throw new Error(`press ${i + 2} did not find its row`);
      }
      const sentLater = sent(mark);
      // Lookups not asked before, whose row is missing: the whole table read.
      mark = log.length;
      const fresh = [];
      for (const step of ['2', '3', '4']) {
        document.getElementById('Edit330').value = step;
        const t = performance.now();
        await window.ostrolen.press('SpeedButton17');
        fresh.push(performance.now() - t);
      }
      return {
        times,
        fresh,
        listing: listing.ended ? null : listing.at - window.benchChosenAt,
        listingTaken: listing.ended ? null : listing.at - lastPiece.answeredAt,
        sentFirst,
        sentLater,
        sentFresh: sent(mark),
      };
    }, { later: laterPresses, line: lastRowLookup.line });
    return { first: first.sinceChoice, ...figures };
  });
  return { typed, ...atOnce };
}

const rowsOf = (file) => Number((/(\d+)\D*$/.exec(basename(file)) || [0, 0])[1]);
try {
  const results = [];
  for (const { name, file } of pages) {
    console.log(`${name}: ${file}, ${(statSync(file).size / 1048576).toFixed(2)} MB (limit 3 MB)`);
    const url = pathToFileURL(file).href;
    await general(url);
    for (const database of databases) {
      const figures = await lookups(url, database);
      results.push({ name, database, ...figures });
      const { typed } = figures;
      const typedText = typed.failed ? `typed after choosing it failed: ${typed.failed}` :
        `${ms(typed.took)} typed after choosing (${ms(typed.sinceChoice)} from the choice)`;
      if (figures.failed) {
        console.log(`  ${rowsOf(database)} rows: pressed at once, it failed: ${figures.failed}; ${typedText}`);
        continue;
      }
      console.log(`  ${rowsOf(database)} rows: first press ${ms(figures.first)} pressed at once, ${typedText}, ` +
        `later presses median ${ms(median(figures.times))} (worst ${ms(Math.max(...figures.times))}), ` +
        `a new lookup reading the whole table ${ms(median(figures.fresh))}, first listing ` +
        (figures.listing === null ? 'none (its worker was ended)' : `${ms(figures.listing)} (the search taking the rows ${ms(figures.listingTaken)})`) +
        `; the file went to the worker ${figures.sentFirst} times up to the listing, ${figures.sentLater} in ` +
        `${laterPresses} later presses, ${figures.sentFresh} in the new lookups`);
    }
  }
  if (databases.length) {
    console.log('\n| rows | file | page | first press: at once | typed after choosing | later presses (median / worst) | new lookup | first listing | file sent (first / later / new) |');
    console.log('|---:|---:|---|---:|---:|---:|---:|---:|---:|');
    for (const r of results) {
      const head = `| ${rowsOf(r.database).toLocaleString('en')} | ${(statSync(r.database).size / 1048576).toFixed(1)} MB | ${r.name} | `;
      const typed = r.typed.failed ? 'failed' : ms(r.typed.took);
      if (r.failed) {
        console.log(`${head}failed | ${typed} | | | | |`);
        continue;
      }
      console.log(`${head}${ms(r.first)} | ${typed} | ${ms(median(r.times))} / ${ms(Math.max(...r.times))} | ${ms(median(r.fresh))} | ` +
        `${r.listing === null ? 'worker ended' : ms(r.listing)} | ${r.sentFirst} / ${r.sentLater} / ${r.sentFresh} |`);
    }
    console.log('(targets on 400,000 rows: first press 4 s, later presses 50 ms)');
  }
} finally {
  await close();
}
