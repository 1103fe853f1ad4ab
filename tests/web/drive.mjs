// Driving the page as the operator does (setting box texts, clicking
// buttons, answering each message box with OK), and the same sessions run
// by ostrolen-cli, both written down as the command-line runner's records.
import { execFile } from 'node:child_process';
import { existsSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { root } from './browser.mjs';

export const cli = process.env.OSTROLEN_CLI || join(root, 'build/test/bin/ostrolen-cli');

// The reader programs: the test build's (sanitized, as ostrolen-cli finds it
// beside itself), and the optimised one that scripts/web builds beside the
// sample, a twentieth of the time a lookup. The long sweeps take the
// desktop's answers from the optimised one and hold a share of them to the
// sanitized one's, which must give the same bytes.
export const sanitizedReader = process.env.OSTROLEN_MDB_READER || join(dirname(cli), 'ostrolen-mdb-reader');
export const sample = process.env.OSTROLEN_WEB_SAMPLE || join(root, 'build/web/native/sample/dbveltra.mdb');
// The optimised build of program `name` (beside the sample), else the test build's.
export function optimised(name) {
  const native = join(dirname(dirname(sample)), 'bin', name);
  return existsSync(native) ? native : join(dirname(cli), name);
}
export const optimisedReader = optimised('ostrolen-mdb-reader');
// runCli's options for a run whose lookups use `reader`.
export const withReader = (reader, options = {}) => ({ ...options, env: { ...process.env, OSTROLEN_MDB_READER: reader } });

// A session: [{button, settings: [[box, text], ...]}, ...], as one run of
// `ostrolen-cli press ...` takes it.
export function cliArguments(session) {
  const args = [];
  for (const { button, settings } of session) {
    args.push('press', button);
    for (const [box, text] of settings) args.push(`${box}=${text}`);
  }
  return args;
}

const unescape = (text) =>
  text.replace(/\\(x[0-9A-F]{2}|u[0-9A-F]{4}|.)/g, (_, c) =>
    c.length > 1 ? String.fromCharCode(parseInt(c.slice(1), 16)) : ({ '\\': '\\', t: '\t', n: '\n', r: '\r' })[c] ?? `\\${c}`);

// The presses of ostrolen-cli's records, one object a press.
function pressesOf(stdout) {
  const presses = [];
  for (const record of stdout.split('\n')) {
    if (record === '') continue;
    const [kind, ...fields] = record.split('\t');
    if (kind === 'press') presses.push({ button: fields[0], messages: [], boxes: [], lines: [] });
    else if (kind === 'report' || kind === 'error') presses.at(-1).messages.push([kind, unescape(fields[0])]);
    else if (kind === 'box') presses.at(-1).boxes.push([fields[0], unescape(fields[1])]);
    else if (kind === 'line') presses.at(-1).lines.push(unescape(fields[0]));
    else throw new Error(`unknown record ${record}`);
  }
  return presses;
}

// ostrolen-cli's records of a session, one object a press.
export function runCli(session, options = {}) {
  return new Promise((resolve, reject) => {
    execFile(cli, cliArguments(session), { encoding: 'utf8', maxBuffer: 1 << 24, ...options }, (error, stdout, stderr) => {
      if (error) return reject(new Error(`ostrolen-cli ${error.code}: ${stderr}`));
      try {
        resolve(pressesOf(stdout));
      } catch (e) {
        reject(e);
      }
    });
  });
}

// The same for many sessions, run by ostrolen-cli-batch (ostrolen-cli's own
// runs, many in one process) in `workers` processes side by side.
export const cliBatch = process.env.OSTROLEN_CLI_BATCH || join(dirname(cli), 'ostrolen-cli-batch');
export async function runCliSessions(sessions, workers = 2) {
  const results = new Array(sessions.length);
  const share = Math.ceil(sessions.length / workers);
  await Promise.all([...Array(workers).keys()].map((w) => {
    const first = w * share;
    const mine = sessions.slice(first, first + share);
    if (mine.length === 0) return null;
    const input = [];
    for (const session of mine) {
      const args = cliArguments(session).map((a) => Buffer.from(a, 'utf8'));
      input.push(Buffer.from(`${args.length}\n`));
      for (const a of args) input.push(Buffer.from(`${a.length}:`), a);
    }
    return new Promise((resolve, reject) => {
      const child = execFile(cliBatch, [], { encoding: 'buffer', maxBuffer: 1 << 30 }, (error, stdout, stderr) => {
        if (error) return reject(new Error(`ostrolen-cli-batch ${error.code}: ${stderr}`));
        let at = 0;
        for (let i = 0; i < mine.length; ++i) {
          const end = stdout.indexOf(10, at);
          const [kind, status, out, err] = stdout.subarray(at, end).toString('latin1').split('\t');
          if (kind !== 'run') return reject(new Error(`ostrolen-cli-batch: no run ${first + i}`));
          at = end + 1;
          const text = stdout.subarray(at, at + Number(out)).toString('utf8');
          const errors = stdout.subarray(at + Number(out), at + Number(out) + Number(err)).toString('utf8');
          at += Number(out) + Number(err);
          if (status !== '0') return reject(new Error(`ostrolen-cli ${status}: ${errors}`));
          try {
            results[first + i] = pressesOf(text);
          } catch (e) {
            return reject(e);
          }
        }
        resolve();
      });
      child.stdin.end(Buffer.concat(input));
    });
  }));
  return results;
}

// Runs sessions in the page, each from the window's starting state, and
// gives each press's message boxes (kind, caption, text), changed boxes and
// list lines, read from the DOM. The page must have opened no message box.
export function runInPage(page, sessions) {
  return page.evaluate(async (sessions) => {
    const yieldTask = () => new Promise((resolve) => setTimeout(resolve, 0));
    const inputs = [...document.querySelectorAll('input.box')];
    const number = (name) => Number(name.replace(/^\D+/, ''));
    const layout = window.ostrolen.layout;
    const listOf = new Map();
    for (const p of layout.pages) for (const b of p.buttons) listOf.set(b.name, p.lists[0]?.name);
    const results = [];
    for (const session of sessions) {
      // The window as it starts: boxes empty but the fixed ones, lists empty.
      for (const input of inputs) if (!input.readOnly) input.value = '';
      for (const list of document.querySelectorAll('.list')) list.replaceChildren();
      const presses = [];
      for (const { button, settings } of session) {
        for (const [box, text] of settings) document.getElementById(box).value = text;
        const before = new Map(inputs.map((input) => [input.id, input.value]));
        const messages = [];
        const element = document.getElementById(button);
        // The page answers its clicks in turn: wait for the previous one.
        while (window.ostrolen.busy()) await yieldTask();
        element.click();
        for (;;) {
          const open = document.querySelectorAll('dialog[open]');
          if (open.length > 1) throw new Error('two message boxes open at once');
          if (open.length === 1) {
            const dialog = open[0];
            const caption = document.getElementById(dialog.getAttribute('aria-labelledby')).textContent;
            const text = document.getElementById(dialog.getAttribute('aria-describedby')).textContent;
            const oks = dialog.querySelectorAll('button');
            if (oks.length !== 1) throw new Error('a message box without exactly one button');
            messages.push([dialog.dataset.kind, caption, text]);
            oks[0].click();
            await yieldTask();
            continue;
          }
          if (!window.ostrolen.busy()) break;
          await yieldTask();
        }
        const boxes = inputs
          .filter((input) => input.value !== before.get(input.id))
          .sort((a, b) => number(a.id) - number(b.id))
          .map((input) => [input.id, input.value]);
        const list = listOf.get(button);
        const lines = list ? [...document.getElementById(list).children].map((line) => line.textContent) : [];
        presses.push({ button, messages, boxes, lines });
      }
      results.push(presses);
    }
    return results;
  }, sessions);
}

// Compares the page's presses with the command-line runner's; the first difference, or null.
export function difference(pagePresses, cliPresses, title) {
  if (pagePresses.length !== cliPresses.length) return `${pagePresses.length} presses in the page, ${cliPresses.length} by ostrolen-cli`;
  for (let i = 0; i < cliPresses.length; ++i) {
    const p = pagePresses[i];
    const c = cliPresses[i];
    const messages = p.messages.map(([kind, caption, text]) => {
      const expected = kind === 'report' ? 'Ошибка!!!' : title;
      return caption === expected ? [kind, text] : [kind, `caption ${JSON.stringify(caption)}: ${text}`];
    });
    for (const [what, a, b] of [
      ['message boxes', messages, c.messages],
      ['boxes', p.boxes, c.boxes],
      ['lines', p.lines, c.lines],
    ]) {
      if (JSON.stringify(a) !== JSON.stringify(b)) {
        return `press ${i + 1} (${c.button}): ${what} differ:\n  page: ${JSON.stringify(a)}\n  cli:  ${JSON.stringify(b)}`;
      }
    }
  }
  return null;
}

// Opens the table of many records with Ctrl+B, as the operator does, on the
// page of command `name` ("sko").
export async function openTable(page, name) {
  await page.keyboard.press('Control+b');
  await page.waitForSelector('#TableView[open]');
  const index = await page.evaluate((wanted) => window.ostrolen.layout.table.pages.findIndex((p) => p.name === wanted), name);
  await page.selectOption('#TablePage', String(index));
}
