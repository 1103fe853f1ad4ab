// The JavaScript of the browser page, its build and its tests, linted by
// scripts/lint with ESLint's recommended rules.
import js from '@eslint/js';
import globals from 'globals';

export default [
  { ignores: ['build/**', 'node_modules/**'] },
  js.configs.recommended,
  {
    linterOptions: { reportUnusedDisableDirectives: 'error' },
  },
  // The page's own scripts share the page's one scope: the pictures define
  // OstrolenPictures for the page, which runs after the compiled module that
  // defines OstrolenModule.
  {
    files: ['web/pictures.js'],
    languageOptions: { sourceType: 'script', globals: globals.browser },
    rules: { 'no-unused-vars': ['error', { varsIgnorePattern: '^OstrolenPictures$' }] },
  },
  {
    files: ['web/page.js', 'web/session.js', 'web/table.js', 'web/desk.js'],
    languageOptions: {
      sourceType: 'script',
      globals: {
        ...globals.browser,
        OstrolenModule: 'readonly',
        OstrolenPictures: 'readonly',
        OstrolenSearch: 'readonly',
      },
    },
  },
  // The search box, which the page starts once its pages are built.
  {
    files: ['web/search.js'],
    languageOptions: { sourceType: 'script', globals: globals.browser },
  },
  // The database worker and the modules bundled into it; the page starts the
  // worker from the compiled module's text followed by the worker's, so
  // OstrolenModule is defined there too.
  {
    files: ['web/mdb_worker.js', 'web/jet3_text.js', 'web/no_crypto.js'],
    languageOptions: { sourceType: 'module', globals: { ...globals.worker, OstrolenModule: 'readonly' } },
  },
  // The build, and the tests that drive the page: node, with the page's
  // globals in the functions they run inside it.
  {
    files: ['web/*.mjs', 'tests/web/*.mjs'],
    languageOptions: { sourceType: 'module', globals: { ...globals.node, ...globals.browser } },
  },
];
