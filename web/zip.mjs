// SPDX-License-Identifier: GPL-3.0-or-later
// Packs the built site into the zip a teacher copies to a school's host: the
// site's folder, hidden files included, under FOLDER/, with README beside it.
// The same files give the same bytes whoever builds them, wherever and when:
// members in byte order of their names, every file 0644 and every folder
// 0755 whatever the umask left, no owners, and every time the moment of
// SOURCE_DATE_EPOCH (else the time of SOURCE_DIR's last commit, else
// 1980-01-01) written in UTC, as zip's times carry no time zone.
// Usage: node zip.mjs SITE_DIR FOLDER README OUT_ZIP [SOURCE_DIR]
import { execFileSync } from 'node:child_process';
import { readFileSync, readdirSync, renameSync, writeFileSync } from 'node:fs';
import { basename, join } from 'node:path';
import { deflateRawSync } from 'node:zlib';

const [siteDir, folder, readme, out, sourceDir] = process.argv.slice(2);
if (!out) {
  console.error('usage: node zip.mjs SITE_DIR FOLDER README OUT_ZIP [SOURCE_DIR]');
  process.exit(2);
}

function epoch() {
  if (process.env.SOURCE_DATE_EPOCH) return Number(process.env.SOURCE_DATE_EPOCH);
  try {
    return Number(execFileSync('git', ['-C', sourceDir ?? '.', 'log', '-1', '--format=%ct'],
      { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] }));
  } catch {
    return 315532800;
  }
}

// DOS date and time, which begin in 1980 and count seconds by twos.
const when = new Date(Math.max(epoch(), 315532800) * 1000);
if (Number.isNaN(when.getTime())) throw new Error(`SOURCE_DATE_EPOCH: not a number of seconds: ${process.env.SOURCE_DATE_EPOCH}`);
const dosTime = (when.getUTCHours() << 11) | (when.getUTCMinutes() << 5) | (when.getUTCSeconds() >> 1);
const dosDate = ((when.getUTCFullYear() - 1980) << 9) | ((when.getUTCMonth() + 1) << 5) | when.getUTCDate();

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

// [name in the zip, contents or null for a folder], folders before what they hold.
function members(dir, prefix) {
  const entries = readdirSync(dir, { withFileTypes: true }).sort((a, b) => Buffer.compare(Buffer.from(a.name), Buffer.from(b.name)));
  return [[`${prefix}/`, null], ...entries.flatMap((entry) => (entry.isDirectory()
    ? members(join(dir, entry.name), `${prefix}/${entry.name}`)
    : [[`${prefix}/${entry.name}`, readFileSync(join(dir, entry.name))]]))];
}

const locals = [];
const centrals = [];
let offset = 0;
for (const [name, data] of [[basename(readme), readFileSync(readme)], ...members(siteDir, folder)]) {
  const raw = data ?? Buffer.alloc(0);
  const deflated = deflateRawSync(raw, { level: 9 });
  const [method, body] = deflated.length < raw.length ? [8, deflated] : [0, raw];
  const nameBytes = Buffer.from(name, 'utf8');
  // The fields a local and a central header share, from "version needed" on.
  const shared = Buffer.alloc(26);
  shared.writeUInt16LE(data ? 20 : 10, 0);
  shared.writeUInt16LE(0x0800, 2); // names in UTF-8
  shared.writeUInt16LE(method, 4);
  shared.writeUInt16LE(dosTime, 6);
  shared.writeUInt16LE(dosDate, 8);
  shared.writeUInt32LE(crc32(raw), 10);
  shared.writeUInt32LE(body.length, 14);
  shared.writeUInt32LE(raw.length, 18);
  shared.writeUInt16LE(nameBytes.length, 22);
  const local = Buffer.alloc(4);
  local.writeUInt32LE(0x04034b50);
  locals.push(local, shared, nameBytes, body);
  const central = Buffer.alloc(46);
  central.writeUInt32LE(0x02014b50, 0);
  central.writeUInt16LE((3 << 8) | 20, 4); // made on Unix, so the modes below count
  shared.copy(central, 6);
  central.writeUInt32LE(((data ? 0o100644 : 0o40755) << 16 | (data ? 0 : 0x10)) >>> 0, 38);
  central.writeUInt32LE(offset, 42);
  centrals.push(central, nameBytes);
  offset += 4 + shared.length + nameBytes.length + body.length;
}
const directory = Buffer.concat(centrals);
const end = Buffer.alloc(22);
end.writeUInt32LE(0x06054b50, 0);
end.writeUInt16LE(centrals.length / 2, 8);
end.writeUInt16LE(centrals.length / 2, 10);
end.writeUInt32LE(directory.length, 12);
end.writeUInt32LE(offset, 16);
writeFileSync(`${out}.part`, Buffer.concat([...locals, directory, end]));
renameSync(`${out}.part`, out);
