// Bundles the database worker (web/mdb_worker.js and the Access reader from
// npm) into one script: node web/bundle_worker.mjs OUT.js. The reader's
// crypto for password-protected files is left out, and its Jet 3 text
// decoding is replaced by web/jet3_text.js.
import { build } from 'esbuild';
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
  plugins: [jet3Text],
  outfile: process.argv[2],
});
