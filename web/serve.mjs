// SPDX-License-Identifier: GPL-3.0-or-later
// A small static server for the built site. Every reply carries the headers
// the site's _headers file gives every file, as static hosts that read it
// send them, and an ETag and a Last-Modified date, so an unchanged file costs
// a 304. Where a file has a gzip copy beside it, no older than the file, and
// the browser takes gzip, it sends the copy. A request it cannot read gets a
// 400, and the server goes on.
//
// Usage: node serve.mjs [--host ADDRESS] [--cache-control VALUE] SITE_DIR [PORT]
//   --host            the address to listen on: 127.0.0.1 (this machine
//                     alone) by default; 0.0.0.0 for every network it is on
//   --cache-control   sent instead of the Cache-Control of _headers ('' for
//                     none), to serve the site as another host would
//   PORT              8080 by default; 0 chooses a free one
// It prints "serving http://ADDRESS:PORT/" when ready.
import { readFileSync } from 'node:fs';
import { readFile, stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import { networkInterfaces } from 'node:os';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { parseArgs } from 'node:util';

let args;
try {
  args = parseArgs({ allowPositionals: true,
    options: { host: { type: 'string', default: '127.0.0.1' }, 'cache-control': { type: 'string' } } });
} catch (error) {
  args = { positionals: [], error };
}
const { values: options, positionals: [site, port = '8080'] } = args;
if (!site || args.error) {
  console.error(`${args.error?.message ?? ''}\nusage: node serve.mjs [--host ADDRESS] [--cache-control VALUE] SITE_DIR [PORT]`);
  process.exit(2);
}
const root = join(resolve(site), sep);
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

// The block of _headers for every path ("/*"): indented "Name: value" lines.
function siteHeaders() {
  let text = '';
  try {
    text = readFileSync(join(root, '_headers'), 'utf8');
  } catch {
    // A site without the file gets no headers of its own.
  }
  const block = text.match(/^\/\*\n((?:[ \t]+\S.*(?:\n|$))*)/m)?.[1] ?? '';
  const headers = Object.fromEntries(block.split('\n').filter((line) => line.trim())
    .map((line) => line.trim().split(/:\s*(.*)/s).slice(0, 2)));
  const cacheControl = options['cache-control'];
  if (cacheControl !== undefined) delete headers['Cache-Control'];
  if (cacheControl) headers['Cache-Control'] = cacheControl;
  return headers;
}
const fixedHeaders = siteHeaders();

async function found(path) {
  try {
    const info = await stat(path);
    return info.isFile() ? info : null;
  } catch {
    return null;
  }
}

// Whether an Accept-Encoding header takes gzip: named, or through "*", with a weight above 0.
function takesGzip(header = '') {
  const weights = {};
  for (const part of header.split(',')) {
    const [name, ...parameters] = part.trim().toLowerCase().split(/\s*;\s*/);
    const q = parameters.find((p) => p.startsWith('q='));
    weights[name] = q ? Number(q.slice(2)) : 1;
  }
  return (weights.gzip ?? weights['x-gzip'] ?? weights['*'] ?? 0) > 0;
}

// The file a request's path names, or null when the path is malformed.
const pathSyntax = /^(?:\/[\w\-.~!$&'()*+,;=:@%]*)+$/;
function fileOf(target) {
  const [path] = target.split('?', 1);
  let decoded;
  try {
    decoded = pathSyntax.test(path) ? decodeURIComponent(path) : null;
  } catch {
    return null;
  }
  if (decoded === null || decoded.includes('\0')) return null;
  const file = normalize(join(root, decoded));
  return file.endsWith(sep) ? `${file}index.html` : file;
}

function sendText(response, status, text, headers = {}) {
  response.writeHead(status, { ...fixedHeaders, ...headers, 'Content-Type': 'text/plain; charset=utf-8' });
  response.end(`${text}\n`);
}

async function answer(request, response) {
  const file = fileOf(request.url);
  if (file === null) return sendText(response, 400, 'Bad request');
  const type = types[extname(file)];
  const plain = file.startsWith(root) && type ? await found(file) : null;
  if (!plain) return sendText(response, 404, 'Not found');
  if (!['GET', 'HEAD'].includes(request.method)) {
    return sendText(response, 405, 'Method not allowed', { Allow: 'GET, HEAD' });
  }
  const copy = takesGzip(request.headers['accept-encoding']) ? await found(`${file}.gz`) : null;
  const gzipped = copy && copy.mtimeMs >= plain.mtimeMs ? copy : null;
  const info = gzipped ?? plain;
  const tag = `"${info.size.toString(36)}-${Math.trunc(info.mtimeMs).toString(36)}${gzipped ? '-gz' : ''}"`;
  const modified = Math.floor(info.mtimeMs / 1000) * 1000;
  const headers = { ...fixedHeaders, 'Content-Type': type, ETag: tag,
    'Last-Modified': new Date(modified).toUTCString(), Vary: 'Accept-Encoding' };
  const since = Date.parse(request.headers['if-modified-since']);
  const unchanged = request.headers['if-none-match'] !== undefined ? request.headers['if-none-match'] === tag
    : since >= modified;
  if (unchanged) {
    response.writeHead(304, headers);
    return response.end();
  }
  const body = request.method === 'HEAD' ? undefined : await readFile(gzipped ? `${file}.gz` : file);
  if (gzipped) headers['Content-Encoding'] = 'gzip';
  headers['Content-Length'] = info.size;
  response.writeHead(200, headers);
  return response.end(body);
}

const server = createServer((request, response) => {
  answer(request, response).catch((error) => {
    // A file removed while it was read, as a rebuild does: the request fails, the server stays.
    if (response.headersSent) response.destroy();
    else sendText(response, 500, `Server error: ${error.code ?? error.message}`);
  });
});
server.on('error', (error) => {
  console.error(`serve.mjs: ${error.message}`);
  process.exit(1);
});

server.listen(Number(port), options.host, () => {
  const url = (address) => `http://${address.includes(':') ? `[${address}]` : address}:${server.address().port}/`;
  console.log(`serving ${url(options.host)}`);
  if (/^(127\.|::1$|localhost$)/.test(options.host)) return;
  const every = ['0.0.0.0', '::'].includes(options.host);
  const addresses = every ? Object.values(networkInterfaces()).flat()
    .filter((i) => !i.internal && !i.address.startsWith('fe80:')).map((i) => i.address) : [options.host];
  console.log(`On the network: ${addresses.map(url).join('  ')}\n` +
    'Over plain HTTP the game plays on those devices while this server runs. Playing offline and\n' +
    'installing it as an app need HTTPS or localhost: for those, put the site on a host with HTTPS.');
});
