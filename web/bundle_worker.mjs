// Bundles the database worker (web/mdb_worker.js and the Access reader from
// npm) into one script: node web/bundle_worker.mjs OUT.js. The reader's
// crypto for password-protected files is left out, its Jet 3 text
// decoding is replaced by web/jet3_text.js, its reading of complex
// columns by web/complex_value.js and of replication ids by web/repid_value.js.
import { build } from 'esbuild';
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const jet3Text = {
  name: 'jet3-text',
  setup(b) {
    b.onResolve({ filter: /dependencies\/iconv-lite\/index\.js$/ }, (args) =>
      args.importer.includes('mdb-reader') ? { path: join(here, 'jet3_text.js') } : undefined);
  },
};
const complexValue = {
  name: 'complex-value',
  setup(b) {
    b.onResolve({ filter: /^\.\/complex\/index\.js$/ }, (args) =>
      /mdb-reader[\\/]lib[\\/][a-z]+[\\/]data[\\/]index\.js$/.test(args.importer)
        ? { path: join(here, 'complex_value.js') }
        : undefined);
  },
};
const repidValue = {
  name: 'repid-value',
  setup(b) {
    b.onResolve({ filter: /^\.\/repid\.js$/ }, (args) =>
      /mdb-reader[\\/]lib[\\/][a-z]+[\\/]data[\\/]index\.js$/.test(args.importer)
        ? { path: join(here, 'repid_value.js') }
        : undefined);
  },
};
await build({
  entryPoints: [join(here, 'mdb_worker.js')],
  bundle: true,
  format: 'iife',
  platform: 'browser',
  target: 'es2020',
  minify: true,
  logLevel: 'warning',
  alias: {
    'browserify-aes/browser.js': join(here, 'no_crypto.js'),
    'create-hash': join(here, 'no_crypto.js'),
  },
  plugins: [jet3Text, complexValue, repidValue],
  outfile: process.argv[2],
});
// The replaced reading must be the one bundled: a newer Access reader that
// keeps it elsewhere would fail on every table with a complex column.
const bundled = readFileSync(process.argv[2], 'utf8');
if (bundled.includes('Failed to read complex column')) {
  throw new Error('the Access reader\'s own reading of complex columns is still in the bundle');
}
if (bundled.includes('swap32()')) {
  throw new Error('the Access reader\'s own reading of replication ids is still in the bundle');
}
