// SPDX-License-Identifier: GPL-3.0-or-later
// A small static server for the built site, on @fastify/send: it maps the
// request's path to a file of the site (a path it cannot decode gets a 400,
// one that leaves the site a 403, a folder its index.html), answers ranges
// and conditional requests, and sends an ETag and a Last-Modified date, so an
// unchanged file costs a 304. What this server adds: every reply carries the
// headers the site's _headers file gives every path, as static hosts that
// read it send them; where a file has a gzip copy beside it, no older than
// the file, and the browser takes gzip (negotiator reads Accept-Encoding),
// it sends the copy; a method but GET and HEAD gets a 405. A request that
// fails leaves the server serving.
//
// Usage: node serve.mjs [--host ADDRESS] [--cache-control VALUE] SITE_DIR [PORT]
//   --host            the address to listen on: 127.0.0.1 (this machine
//                     alone) by default; 0.0.0.0 for every network it is on
//   --cache-control   sent instead of the Cache-Control of _headers ('' for
//                     none), to serve the site as another host would
//   PORT              8080 by default; 0 chooses a free one
// It prints "serving http://ADDRESS:PORT/" when ready.
import send from '@fastify/send';
import Negotiator from 'negotiator';
import { stat } from 'node:fs/promises';
import { STATUS_CODES, createServer } from 'node:http';
import { networkInterfaces } from 'node:os';
import { basename, dirname, join, resolve } from 'node:path';
import { parseArgs } from 'node:util';
import { headersOfEveryPath } from './headers.mjs';

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
const root = resolve(site);
const sendOptions = { root, cacheControl: false, dotfiles: 'ignore' };

function siteHeaders() {
  const headers = Object.fromEntries(headersOfEveryPath(join(root, '_headers')));
  const cacheControl = options['cache-control'];
  if (cacheControl !== undefined) delete headers['Cache-Control'];
  if (cacheControl) headers['Cache-Control'] = cacheControl;
  return headers;
}
const fixedHeaders = siteHeaders();

function sendText(response, status, headers = {}) {
  const text = `${STATUS_CODES[status]}\n`;
  response.writeHead(status, { ...headers, ...fixedHeaders, 'Content-Type': 'text/plain; charset=utf-8',
    'Content-Length': Buffer.byteLength(text) });
  response.end(text);
}

// Thrown from send's onFile to send the file's gzip copy instead.
class UseCopy extends Error {}

// The reply for a GET or HEAD: the file, or its gzip copy where the browser
// takes gzip and the copy is no older than the file, or send's error.
async function reply(request) {
  const gzip = new Negotiator(request).encodings(['gzip']).length > 0;
  const [path] = request.url.split('?', 1);
  try {
    return await send(request, path, { ...sendOptions, onFile: async (file, plain) => {
      const copy = gzip ? await stat(`${file}.gz`).catch(() => null) : null;
      if (copy?.isFile() && copy.mtimeMs >= plain.mtimeMs) throw new UseCopy(file);
    } });
  } catch (error) {
    if (!(error instanceof UseCopy)) throw error;
    const file = error.message;
    const copy = await send(request, `/${encodeURIComponent(basename(file))}.gz`,
      { ...sendOptions, root: dirname(file), contentType: false });
    if (copy.type === 'file' && copy.statusCode !== 304) {
      const type = send.mime.getType(file) ?? 'application/octet-stream';
      copy.headers['Content-Type'] = send.isUtf8MimeType(type) ? `${type}; charset=utf-8` : type;
      copy.headers['Content-Encoding'] = 'gzip';
    }
    return copy;
  }
}

async function answer(request, response) {
  if (!['GET', 'HEAD'].includes(request.method)) return sendText(response, 405, { Allow: 'GET, HEAD' });
  const { statusCode, headers, stream, type } = await reply(request);
  const vary = type === 'file' ? { Vary: 'Accept-Encoding' } : {};
  response.writeHead(statusCode, { ...headers, ...fixedHeaders, ...vary });
  // A file removed while it was read, as a rebuild does: the request fails, the server stays.
  stream.on('error', () => response.destroy()).pipe(response);
  return undefined;
}

const server = createServer((request, response) => {
  answer(request, response).catch((error) => {
    console.error(`serve.mjs: ${request.url}: ${error.message}`);
    if (response.headersSent) response.destroy();
    else sendText(response, 500);
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
