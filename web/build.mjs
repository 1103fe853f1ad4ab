// Inlines the page into one file: node web/build.mjs MODULE WORKER SAMPLE OUT.
// MODULE is the compiled pages (their WebAssembly inside), WORKER the
// bundled database worker, SAMPLE the sample database; the styles, pictures
// and page script come from web/.
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const [moduleFile, workerFile, sampleFile, outFile] = process.argv.slice(2);
if (!outFile) {
  console.error('usage: node web/build.mjs MODULE WORKER SAMPLE OUT');
  process.exit(2);
}
const here = dirname(fileURLToPath(import.meta.url));
const read = (file) => readFileSync(file, 'utf8');

// A script's text must not end its element early nor open a comment in it.
const script = (text) => text.replace(/<\/(script)/gi, '<\\/$1').replace(/<!--/g, '<\\!--');

const parts = {
  STYLES: read(join(here, 'page.css')),
  SAMPLE: readFileSync(sampleFile).toString('base64'),
  WORKER: script(read(workerFile)),
  MODULE: script(read(moduleFile)),
  PICTURES: script(read(join(here, 'pictures.js'))),
  SEARCH: script(read(join(here, 'search.js'))),
  PAGE: script(read(join(here, 'page.js'))),
  SESSION: script(read(join(here, 'session.js'))),
  TABLE: script(read(join(here, 'table.js'))),
  DESK: script(read(join(here, 'desk.js'))),
};
let html = read(join(here, 'template.html'));
for (const [name, text] of Object.entries(parts)) {
  const marker = `/*${name}*/`;
  if (!html.includes(marker)) throw new Error(`template.html has no ${marker}`);
  html = html.replace(marker, () => text);
}
writeFileSync(outFile, html);
