// Random sessions over every page button but the database lookup (random
// texts, characters no box expects, empty boxes, repeated presses) give in
// the browser page exactly the boxes, message boxes and list lines that
// ostrolen-cli gives for the same inputs.
//
//   node tests/web/differential.mjs [SESSIONS] [SEED]
import { launch, openPage, pageTitle } from './browser.mjs';
import { difference, runCli, runCliSessions, runInPage } from './drive.mjs';

const count = Number(process.argv[2] || process.env.OSTROLEN_WEB_SESSIONS || 2000);
const seed = Number(process.argv[3] || process.env.OSTROLEN_WEB_SEED || 20261208);

// mulberry32: the same sessions for the same seed.
function random(seedValue) {
  let a = seedValue >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}
const next = random(seed);
const pick = (list) => list[Math.floor(next() * list.length)];

// What operators type, and what they type by mistake: digits of every base
// in both cases, Cyrillic look-alikes, blanks, signs and other letters.
const alphabets = [
  '01',
  '0123456789',
  '0123456789ABCDEFabcdef',
  '01234567',
  '0123456789ABCDEFabcdefGgВЕвеАСасХх $-+.,_xZ\\\t',
  ' ',
];

function text(maxLength) {
  const r = next();
  if (r < 0.12) return '';
  const alphabet = r < 0.45 ? alphabets[2] : r < 0.6 ? alphabets[0] : r < 0.7 ? alphabets[1] : r < 0.78 ? alphabets[3] : r < 0.97 ? alphabets[4] : alphabets[5];
  const length = 1 + Math.floor(next() * maxLength);
  let t = '';
  for (let i = 0; i < length; ++i) t += pick([...alphabet]);
  return t;
}

const { context, close } = await launch();
let failed = 0;
try {
  const page = await openPage(context);
  const layout = await page.evaluate(() => window.ostrolen.layout);
  const title = pageTitle;
  const presses = [];
  for (const p of layout.pages) {
    for (const b of p.buttons) {
      if (b.name === layout.web.databaseButton) continue;
      presses.push({ button: b.name, boxes: p.boxes.filter((box) => box.role !== 'fixed') });
    }
  }
  const buttonsSeen = new Set();
  const sessions = [];
  for (let s = 0; s < count; ++s) {
    const session = [];
    const length = 1 + Math.floor(next() * 3);
    for (let i = 0; i < length; ++i) {
      // Now and then the same button again, with nothing typed in between.
      if (i > 0 && next() < 0.2) {
        session.push({ button: session.at(-1).button, settings: [] });
        continue;
      }
      const { button, boxes } = pick(presses);
      buttonsSeen.add(button);
      const full = next() < 0.5;
      const settings = [];
      for (const box of boxes) {
        if (box.role === 'output' && next() < 0.8) continue;
        if (full || next() < 0.5) settings.push([box.name, text(box.maxLength)]);
      }
      session.push({ button, settings });
    }
    sessions.push(session);
  }
  if (count >= 200 && buttonsSeen.size !== presses.length) throw new Error(`only ${buttonsSeen.size} of ${presses.length} buttons pressed`);

  // The page runs its sessions in batches while ostrolen-cli's runs go on,
  // many in one process; every 50th session is also run by ostrolen-cli
  // itself, a process of its own, which must give the same.
  const started = Date.now();
  const inPage = (async () => {
    const results = [];
    for (let i = 0; i < sessions.length; i += 200) results.push(...(await runInPage(page, sessions.slice(i, i + 200))));
    return results;
  })();
  const byCli = await runCliSessions(sessions);
  for (let i = 0; i < sessions.length; i += 50) {
    const alone = await runCli(sessions[i]);
    if (JSON.stringify(alone) !== JSON.stringify(byCli[i])) {
      console.error(`session ${i}: ostrolen-cli alone gives ${JSON.stringify(alone)}, among many ${JSON.stringify(byCli[i])}`);
      failed += 1;
    }
  }
  const pageResults = await inPage;
  let messages = 0;
  let lines = 0;
  for (let i = 0; i < sessions.length; ++i) {
    for (const p of byCli[i]) {
      messages += p.messages.length;
      lines += p.lines.length;
    }
    const diff = difference(pageResults[i], byCli[i], title);
    if (diff) {
      if (++failed <= 5) {
        console.error(`session ${i} differs: ${diff}`);
        console.error(`  ostrolen-cli ${JSON.stringify(sessions[i])}`);
      }
    }
  }
  if (page.errors.length) {
    console.error(`page errors: ${page.errors.join('\n')}`);
    failed += 1;
  }
  // A sweep that never met a message box or a line would check little.
  if (messages === 0 || lines === 0) {
    console.error(`the sessions showed ${messages} message boxes and ${lines} lines`);
    failed += 1;
  }
  console.log(
    `${sessions.length} sessions (seed ${seed}) over ${presses.length} buttons: ` +
      `${messages} message boxes, ${lines} lines, ${failed} differences, ${((Date.now() - started) / 1000).toFixed(1)} s`);
} finally {
  await close();
}
process.exit(failed ? 1 : 0);
