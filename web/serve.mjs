// SPDX-License-Identifier: GPL-3.0-or-later
// A small static server for the built site, on the loopback only. Where a
// file has a gzip copy beside it and the browser takes gzip, it sends the
// copy. Every reply carries an ETag and asks the browser to check back
// (no-cache), so a rebuilt site is seen at once and an unchanged file costs a
// 304. Usage: node serve.mjs SITE_DIR [PORT]   (port 8080 by default; 0
// chooses a free one). It prints "serving http://127.0.0.1:PORT/" when ready.
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { extname, join, normalize, sep } from 'node:path';

const [site, port = '8080'] = process.argv.slice(2);
if (!site) {
  console.error('usage: node serve.mjs SITE_DIR [PORT]');
  process.exit(2);
}
const root = normalize(site) + sep;
const types = {
  '.html': 'text/html; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
};

async function found(path) {
  try {
    const info = await stat(path);
    return info.isFile() ? info : null;
  } catch {
    return null;
  }
}

const server = createServer(async (request, response) => {
  const url = new URL(request.url, 'http://localhost');
  let path = normalize(join(root, decodeURIComponent(url.pathname)));
  if (path.endsWith(sep)) path += 'index.html';
  const type = types[extname(path)];
  const plain = path.startsWith(root) && type ? await found(path) : null;
  if (!plain || !['GET', 'HEAD'].includes(request.method)) {
    response.writeHead(plain ? 405 : 404, { 'Content-Type': 'text/plain; charset=utf-8' });
    response.end(plain ? 'Method not allowed\n' : 'Not found\n');
    return;
  }
  const gzipped = /\bgzip\b/.test(request.headers['accept-encoding'] ?? '') && (await found(`${path}.gz`));
  const info = gzipped || plain;
  const tag = `"${info.size.toString(36)}-${Math.trunc(info.mtimeMs).toString(36)}${gzipped ? '-gz' : ''}"`;
  const headers = { 'Content-Type': type, 'Cache-Control': 'no-cache', ETag: tag, Vary: 'Accept-Encoding' };
  if (request.headers['if-none-match'] === tag) {
    response.writeHead(304, headers);
    response.end();
    return;
  }
  if (gzipped) headers['Content-Encoding'] = 'gzip';
  headers['Content-Length'] = info.size;
  response.writeHead(200, headers);
  response.end(request.method === 'HEAD' ? undefined : await readFile(gzipped ? `${path}.gz` : path));
});

server.listen(Number(port), '127.0.0.1', () => {
  console.log(`serving http://127.0.0.1:${server.address().port}/`);
});
