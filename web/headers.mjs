// SPDX-License-Identifier: GPL-3.0-or-later
// The site's _headers file, read in this one place for every server it
// reaches: web/serve.mjs sends the headers, and the build writes them into
// the rules of hosts that do not read _headers (Apache's .htaccess). The
// file is as static hosts read it: a path pattern alone on a line, then its
// headers, indented, as "Name: value"; a line starting with '#' is a comment.
//
// As a script, `node headers.mjs FILE` prints the headers every path gets
// (those of "/*"), as a JSON list of [name, value] pairs in the file's order.
import { readFileSync } from 'node:fs';
import { pathToFileURL } from 'node:url';

// Every path pattern of the text with its headers, as [name, value] pairs.
export function readHeaders(text) {
  const rules = new Map();
  let headers = null;
  for (const line of text.split(/\r?\n/)) {
    if (!line.trim() || line.trimStart().startsWith('#')) continue;
    if (!/^\s/.test(line)) {
      headers = [];
      rules.set(line.trim(), headers);
      continue;
    }
    const [, name, value] = line.match(/^\s+([\w!#$%&'*+.^`|~-]+):\s*(.*?)\s*$/) ?? [];
    if (!headers || !name) throw new Error(`_headers: cannot read "${line.trim()}"`);
    headers.push([name, value]);
  }
  return rules;
}

// The headers of every path in the file at `path`; none where there is no file.
export function headersOfEveryPath(path) {
  let text;
  try {
    text = readFileSync(path, 'utf8');
  } catch (error) {
    if (error.code === 'ENOENT') return [];
    throw error;
  }
  return readHeaders(text).get('/*') ?? [];
}

if (process.argv[1] && import.meta.url === pathToFileURL(process.argv[1]).href) {
  console.log(JSON.stringify(headersOfEveryPath(process.argv[2])));
}
