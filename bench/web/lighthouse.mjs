// SPDX-License-Identifier: GPL-3.0-or-later
// Lighthouse's scores for the browser edition: the site served from the
// loopback by web/serve.mjs, audited RUNS times on a phone (Lighthouse's
// default: a slow network and a 4x slower CPU) and on a desktop, each run in
// a fresh headless Chromium (CHROME_PATH, default /usr/bin/chromium). Prints
// the medians as a Markdown table and the audits that cost points; exit
// status 1 when a target is missed. Usage: node lighthouse.mjs SITE_DIR [RUNS]
import { execFile, spawn } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { promisify } from 'node:util';

const [siteDir, runs = '3'] = process.argv.slice(2);
const root = fileURLToPath(new URL('../../', import.meta.url));
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor((values.length - 1) / 2)];
const categories = ['performance', 'accessibility', 'best-practices', 'seo'];
// The lowest score (the highest for Total Blocking Time) each form factor must reach.
const targets = {
  mobile: { performance: 95, tbt: 150, accessibility: 100, 'best-practices': 100, seo: 100 },
  desktop: { performance: 100, tbt: 150, accessibility: 100, 'best-practices': 100, seo: 100 },
};

const server = spawn(process.execPath, [`${root}web/serve.mjs`, siteDir, '0'],
  { stdio: ['ignore', 'pipe', 'inherit'] });
const url = await new Promise((resolve) => {
  server.stdout.once('data', (line) => resolve(String(line).match(/http\S+/)[0]));
});
const lighthouse = (form) => promisify(execFile)(process.execPath, [`${root}node_modules/lighthouse/cli/index.js`, url,
  '--quiet', '--output=json', '--output-path=stdout', `--only-categories=${categories.join(',')}`,
  '--chrome-flags=--no-sandbox --disable-gpu --headless=new', ...(form === 'desktop' ? ['--preset=desktop'] : [])],
{ env: { ...process.env, CHROME_PATH: process.env.CHROME_PATH ?? '/usr/bin/chromium' }, maxBuffer: 1 << 28 });
const rows = [];
const lost = new Map(); // an audit that cost points: what it measured in each run
try {
  for (const form of ['mobile', 'desktop']) {
    const scores = [];
    for (let i = 0; i < Number(runs); i++) {
      const report = JSON.parse((await lighthouse(form)).stdout);
      const run = { tbt: report.audits['total-blocking-time'].numericValue };
      for (const name of categories) {
        run[name] = Math.round(report.categories[name].score * 100);
        for (const { id, weight } of report.categories[name].auditRefs) {
          const audit = report.audits[id];
          if (weight > 0 && audit.score !== null && audit.score < 1) {
            const key = `${form} ${name}: ${id}`;
            lost.set(key, [...(lost.get(key) ?? []), audit.displayValue ?? audit.title]);
          }
        }
      }
      scores.push(run);
    }
    for (const key of ['performance', 'tbt', 'accessibility', 'best-practices', 'seo']) {
      const values = scores.map((run) => run[key]);
      rows.push({ form, key, value: median(values), all: values, target: targets[form][key] });
    }
  }
} finally {
  server.kill();
}

console.log(`| Lighthouse ${runs} runs | Median | All runs | Target | Result |`);
console.log('|---|---|---|---|---|');
let missed = false;
for (const { form, key, value, all, target } of rows) {
  const ok = key === 'tbt' ? value <= target : value >= target;
  missed ||= !ok;
  const label = key === 'tbt' ? 'Total Blocking Time (ms)' : key;
  console.log(`| ${form} ${label} | ${Math.round(value)} | ${all.map(Math.round).join(', ')} | ${
    key === 'tbt' ? '<=' : '>='} ${target} | ${ok ? 'pass' : 'FAIL'} |`);
}
for (const [key, values] of lost) console.log(`- points lost, ${key} (${values.join('; ')})`);
process.exit(missed ? 1 : 0);
