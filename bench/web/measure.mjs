// SPDX-License-Identifier: GPL-3.0-or-later
// The browser edition's figures, in headless Chromium on the site served
// from the loopback: what a first visit transfers, the time from navigation
// to the first painted board, from a press to the repaint, and what the start
// command costs inside the page. Prints a Markdown table; exit status 1 when
// a target is missed. Usage: node measure.mjs SITE_DIR [LOADS] [PRESSES]
import { readdirSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { inPage, openPage, press, queueDraws, startSite } from '../../tests/web/browser.mjs';

const [siteDir, loads = '10', presses = '100'] = process.argv.slice(2);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor((values.length - 1) / 2)];
const percentile = (values, p) => [...values].sort((a, b) => a - b)[Math.ceil((p / 100) * values.length) - 1];
const rows = [];
const row = (label, value, unit, limit) => rows.push({ label, value, unit, limit });

// Everything a first visit fetches, the service worker's copies included:
// every file of the site with a gzip -9 copy, at that size (the PNG icons,
// fetched only to install the game, have none).
const gzipped = readdirSync(siteDir).filter((name) => name.endsWith('.gz'));
const total = gzipped.reduce((sum, name) => sum + statSync(join(siteDir, name)).size, 0);
row(`First visit, ${gzipped.length} files at gzip -9 (${gzipped.map((n) => n.slice(0, -3)).join(', ')})`,
  total / 1000, 'kB', 100);

const site = await startSite(siteDir);
try {
  // Each load in a fresh browser context: nothing cached, no service worker.
  const paints = [];
  const contentful = [];
  let wire = 0;
  for (let i = 0; i < Number(loads); i++) {
    const context = await site.browser.createBrowserContext();
    const page = await context.newPage();
    await page.evaluateOnNewDocument(() => {
      document.addEventListener('painted', () => { window.firstPaint ??= performance.now(); }, true);
    });
    const client = await page.createCDPSession();
    await client.send('Network.enable');
    let bytes = 0;
    client.on('Network.loadingFinished', (event) => { bytes += event.encodedDataLength; });
    await page.goto(site.url, { waitUntil: 'load' });
    await page.waitForFunction(() => window.firstPaint !== undefined
      && performance.getEntriesByName('first-contentful-paint').length > 0);
    const [paint, fcp] = await page.evaluate(() => [window.firstPaint,
      performance.getEntriesByName('first-contentful-paint')[0].startTime]);
    paints.push(paint);
    contentful.push(fcp);
    wire = bytes;
    await context.close();
  }
  row('Page load, bytes on the wire (compressed) for the page itself', wire / 1000, 'kB', '');
  row(`Navigation to the first painted board, median of ${loads} loads`, median(paints), 'ms', 250);
  row(`Navigation to the browser's first contentful paint, median of ${loads} loads`, median(contentful), 'ms', 250);

  // Press to repaint: from the press event's time stamp to the end of the
  // paint it causes. Starts and answers alternate, on known threads.
  const page = await openPage(site);
  await page.evaluate(() => {
    window.responses = [];
    let pressed = null;
    addEventListener('pointerdown', (event) => { pressed = event.timeStamp; }, true);
    document.addEventListener('painted', () => {
      if (pressed !== null) window.responses.push(performance.now() - pressed);
      pressed = null;
    }, true);
  });
  const kinds = { start: [], answer: [] };
  for (let i = 0; i < Number(presses); i++) {
    await queueDraws(page, [0.1, 0.75, 0.25]);
    await press(page, 'Opt_Via');
    await press(page, 'Opt_Sinistra');
    await press(page, 'Opt_Destra');
    const [start, ...answers] = await page.evaluate(() => window.responses.splice(0));
    kinds.start.push(start);
    kinds.answer.push(...answers);
  }
  for (const [kind, label] of [['start', '"Via per iniziare"'], ['answer', 'an answer']]) {
    row(`Press ${label} to repaint, median of ${presses}`, median(kinds[kind]), 'ms', 4);
    row(`Press ${label} to repaint, 99th percentile`, percentile(kinds[kind], 99), 'ms', 16);
  }

  // The start command alone: batches of calls, each timed as a whole because
  // the page's clock is coarse; the median of the batches' means.
  const batches = await inPage(page, (main) => {
    const means = [];
    for (let b = 0; b < 31; b++) {
      const t0 = performance.now();
      for (let i = 0; i < 1000; i++) main.game.run('Opt_Via_MouseDown');
      means.push(((performance.now() - t0) / 1000) * 1000);
    }
    return means;
  });
  row('Start command (Opt_Via_MouseDown) in the page, median of 31 batches of 1000', median(batches), 'us', 5);
  const errors = page.errors;
  if (errors.length) console.error('console errors:', errors);
} finally {
  await site.close();
}

console.log('| Figure | Value | Target | Result |');
console.log('|---|---|---|---|');
let missed = false;
for (const { label, value, unit, limit } of rows) {
  const ok = limit === '' || value <= limit;
  missed ||= !ok;
  const digits = value < 10 ? 2 : 1;
  console.log(`| ${label} | ${value.toFixed(digits)} ${unit} | ${limit === '' ? '-' : `<= ${limit} ${unit}`} | ${
    limit === '' ? '-' : ok ? 'pass' : 'FAIL'} |`);
}
process.exit(missed ? 1 : 0);
