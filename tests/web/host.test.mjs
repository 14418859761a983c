// SPDX-License-Identifier: GPL-3.0-or-later
// The site as hosts serve it: what the server adds to its library's answers,
// a new release reaching a returning visitor whatever the host
// says about caching, the game opening offline at every address a link may
// give, the message where the game cannot start, and the site's zip played
// from stock web servers.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { createHash } from 'node:crypto';
import { chmodSync, cpSync, mkdtempSync, readFileSync, readdirSync, rmSync, utimesSync, writeFileSync } from 'node:fs';
import { request } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { inPage, launch, load, openPage, playRound, startSite, test, within } from './browser.mjs';
import { findFreePort } from 'selenium-webdriver/net/portprober.js';

// A copy of the built site whose files all date from a day ago, as on a
// host that has served them for a while.
function copySite() {
  const dir = mkdtempSync(join(tmpdir(), 'navicella-site-'));
  cpSync(process.env.NAVICELLA_SITE, dir, { recursive: true });
  const dayAgo = new Date(Date.now() - 86400e3);
  for (const name of readdirSync(dir)) utimesSync(join(dir, name), dayAgo, dayAgo);
  return dir;
}

// Publishes a second release over the copy, as a build and an upload would:
// a new page title and a new main.js, known to the worker by their digests.
function publish(dir) {
  const sha = (text) => createHash('sha256').update(text).digest('hex');
  let worker = readFileSync(join(dir, 'sw.js'), 'utf8').replace(/const Release = '\w+'/, "const Release = 'second'");
  for (const [name, edit] of [['index.html', (s) => s.replace('<title>Navicella', '<title>Navicella 2')],
    ['main.js', (s) => `${s}\ndocument.documentElement.dataset.release = '2';\n`]]) {
    const before = readFileSync(join(dir, name), 'utf8');
    writeFileSync(join(dir, name), edit(before));
    worker = worker.replace(sha(before), sha(edit(before)));
  }
  writeFileSync(join(dir, 'sw.js'), worker);
}

// The status and headers of the answer to a request, its path sent as written.
const exchange = (url, path, options) => new Promise((resolve, reject) => {
  request(url, { path, agent: false, ...options }, (answer) => {
    answer.resume();
    resolve({ status: answer.statusCode, ...answer.headers });
  }).on('error', reject).end();
});

test("the server adds the site's headers, fresh gzip copies where taken and 405 to its library's answers, and goes on after a 400", async (t) => {
  const dir = copySite();
  utimesSync(join(dir, 'main.js'), new Date(), new Date()); // edited after its gzip copy was made
  const site = await startSite(`${dir}/`);
  t.after(() => site.close().finally(() => rmSync(dir, { recursive: true })));
  const policy = "script-src 'self' 'wasm-unsafe-eval'";
  const gzip = { 'accept-encoding': 'gzip' };
  const rows = [
    ['/%', {}, { status: 400 }], ['/', { method: 'POST' }, { status: 405, allow: 'GET, HEAD' }],
    ['/board.js', { headers: gzip }, { status: 200, 'content-encoding': 'gzip' }],
    ['/board.js', { headers: { 'accept-encoding': 'gzip;q=0, br' } }, { status: 200, 'content-encoding': undefined }],
    ['/main.js', { headers: gzip }, { status: 200, 'content-encoding': undefined }],
    ['/index.html?from=a-link', {}, { status: 200, 'x-content-type-options': 'nosniff',
      'referrer-policy': 'no-referrer', 'x-frame-options': undefined }],
  ];
  for (const [path, options, expected] of rows) {
    const answer = await exchange(site.url, path, options);
    const request = `${options.method ?? 'GET'} ${path} ${JSON.stringify(options.headers ?? {})}`;
    assert.ok(answer['content-security-policy'].includes(policy), request);
    for (const [name, value] of Object.entries(expected)) assert.equal(answer[name], value, `${request}: ${name}`);
  }
  assert.equal(site.child.exitCode, null);
});

for (const cacheControl of ['no-cache', '', 'max-age=3600']) {
  test(`a new release plays by the second load, also offline at every address, on a host sending ${
    cacheControl || 'only Last-Modified'}`, async (t) => {
    const dir = copySite();
    const site = await startSite(dir, ['--cache-control', cacheControl]);
    t.after(() => site.close().finally(() => rmSync(dir, { recursive: true })));
    const page = await openPage(site, { ownContext: false });
    await within('the service worker to be ready', page.evaluate(() => navigator.serviceWorker.ready));
    publish(dir);
    await page.reload();
    // The visitor stays a moment: the new release's worker takes over meanwhile.
    await within("the second release's worker to take over", page.waitForFunction(async () => (await caches.keys())
      .join() === `navicella ${location.origin}/ second`, { timeout: 0 }));
    for (const address of ['', 'index.html', 'index.html?from=a-link#top', '?x=1']) {
      await page.setOfflineMode(address !== '');
      await load(page, site.url + address);
      assert.deepEqual(await page.evaluate(() => [document.title, document.documentElement.dataset.release]),
        ['Navicella 2', '2'], address);
      assert.equal(await playRound(page), 'Red', address);
    }
    assert.equal(await page.$('#failed'), null, 'no message where the game starts');
  });
}

test('where the game cannot start, a message says what to check', async (t) => {
  const site = await startSite();
  t.after(() => site.close());
  const ways = [
    { way: 'main.js sent as application/octet-stream', path: '/main.js', contentType: 'application/octet-stream' },
    { way: "a policy without 'wasm-unsafe-eval'", path: '/', contentType: 'text/html',
      headers: { 'Content-Security-Policy': "script-src 'self'" } },
    { way: 'a browser without WebAssembly', before: () => delete window.WebAssembly },
  ];
  for (const { way, path, contentType, headers, before } of ways) {
    const page = await (await site.browser.createBrowserContext()).newPage();
    await page.setRequestInterception(true);
    page.on('request', async (request) => {
      if (new URL(request.url()).pathname !== path) return request.continue();
      return request.respond({ contentType, headers, body: await (await fetch(request.url())).text() });
    });
    if (before) await page.evaluateOnNewDocument(before);
    await page.goto(site.url, { waitUntil: 'load' });
    await page.waitForSelector('#failed');
    assert.match(await page.$eval('#failed', (box) => box.textContent), /non è potuta partire.*wasm-unsafe-eval/s, way);
    await page.browserContext().close();
  }
});

test("web.config, IIS's file, is well-formed XML and sends the headers of _headers", () => {
  const config = join(process.env.NAVICELLA_SITE, 'web.config');
  execFileSync('python3', ['-c', 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])', config]);
  const headers = [...readFileSync(join(process.env.NAVICELLA_SITE, '_headers'), 'utf8').matchAll(/^ {2}([^:]+): (.*)$/gm)];
  assert.equal(headers.length, 4);
  for (const [, name, value] of headers) {
    assert.ok(readFileSync(config, 'utf8').includes(`<add name="${name}" value="${value}" />`), name);
  }
});

// Web servers as Debian installs them, serving ROOT on PORT: a test writes
// only that, and where the server keeps its own files (DIR), nothing about
// types or headers; nginx and Apache read their types and modules from
// Debian's files unchanged, and Apache grants the folder as Debian's own
// configuration grants /var/www. Apache refuses to serve as root: as www-data.
const stockServers = {
  nginx: (root, port, dir) => ['/usr/sbin/nginx', ['-e', `${dir}/error.log`, '-c', written(`${dir}/nginx.conf`, `
    daemon off; pid ${dir}/nginx.pid; events {}
    http { include /etc/nginx/mime.types; default_type application/octet-stream; access_log off;
      server { listen 127.0.0.1:${port}; root ${root}; } }`)]],
  Apache: (root, port, dir) => ['/usr/sbin/apache2', ['-DFOREGROUND', '-f', written(`${dir}/apache2.conf`, `
    ServerRoot /etc/apache2
    DefaultRuntimeDir ${dir}
    PidFile ${dir}/apache2.pid
    ErrorLog ${dir}/error.log
    User www-data
    Group www-data
    IncludeOptional mods-enabled/*.load
    IncludeOptional mods-enabled/*.conf
    Listen 127.0.0.1:${port}
    ServerName localhost
    DocumentRoot ${root}
    <Directory ${root}>
      AllowOverride None
      Require all granted
    </Directory>`)]],
  "Python's http.server": (root, port) => ['python3', ['-m', 'http.server', '-b', '127.0.0.1', '-d', root, `${port}`]],
  'BusyBox httpd': (root, port) => ['busybox', ['httpd', '-f', '-p', `127.0.0.1:${port}`, '-h', root]],
};
const written = (path, text) => (writeFileSync(path, text), path);

// The server started, once it answers; stop() ends it.
async function startStock(name, root, dir) {
  const port = await findFreePort();
  const child = spawn(...stockServers[name](root, port, dir), { stdio: ['ignore', 'ignore', 'pipe'] });
  let log = '';
  child.stderr.on('data', (data) => { log += data; });
  const exited = new Promise((resolve) => child.once('exit', resolve));
  const url = `http://127.0.0.1:${port}/`;
  let status = 'no answer';
  for (let tries = 0; !(await fetch(url).then((answer) => (status = answer.status, answer.ok), () => false)); tries++) {
    if (child.exitCode !== null || tries === 300) {
      child.kill();
      throw new Error(`${name} does not serve ${url} (${status}): ${log}`);
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  return { url, stop: () => (child.kill(), exited) };
}

for (const name of Object.keys(stockServers)) {
  test(`the zip's site plays on ${name} as installed, with the worker's cues, and again with the server gone`, async (t) => {
    const dir = mkdtempSync(join(tmpdir(), 'navicella-zip-'));
    let server, browser;
    t.after(async () => {
      await browser?.close();
      await server?.stop();
      rmSync(dir, { recursive: true });
    });
    execFileSync('python3', ['-m', 'zipfile', '-e', process.env.NAVICELLA_SITE_ZIP, dir]);
    const root = join(dir, 'navicella');
    assert.deepEqual(readdirSync(root).sort(), readdirSync(process.env.NAVICELLA_SITE).sort(), 'the whole site');
    for (const file of readdirSync(root)) chmodSync(join(root, file), 0o644);
    for (const folder of [dir, root]) chmodSync(folder, 0o755);
    server = await startStock(name, root, dir);
    browser = await launch();
    const page = await openPage({ url: server.url, browser });
    await page.evaluate(() => navigator.serviceWorker.ready);
    for (const offline of [false, true]) {
      if (offline) {
        await server.stop();
        await load(page);
      }
      assert.equal(await playRound(page), 'Red', `offline: ${offline}`);
      assert.equal(await inPage(page, (main) => main.cuePlayer.buffers.size), 4,
        `the cue worker's WebAssembly ran, offline: ${offline}`);
    }
  });
}
