// SPDX-License-Identifier: GPL-3.0-or-later
// The JavaScript checks of scripts/lint: ESLint's recommended rules on the
// page, its service worker, its server and zip packer, and the browser tests
// and benchmarks.
import js from '@eslint/js';
import globals from 'globals';

export default [
  js.configs.recommended,
  { files: ['web/*.js'], languageOptions: { globals: globals.browser } },
  // Node scripts; the tests' and benchmarks' callbacks also run in the page.
  { files: ['web/*.mjs'], languageOptions: { globals: globals.node } },
  {
    files: ['tests/web/*.mjs', 'bench/web/*.mjs'],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
  // Plain scripts: the start-up message and the service worker, whose
  // cache name may be the same word as the Cache interface.
  { files: ['web/startup.js'], languageOptions: { sourceType: 'script', globals: globals.browser } },
  {
    files: ['web/sw.js'],
    languageOptions: { sourceType: 'script', globals: globals.serviceworker },
    rules: { 'no-redeclare': ['error', { builtinGlobals: false }] },
  },
];
