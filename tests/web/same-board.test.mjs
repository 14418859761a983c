// SPDX-License-Identifier: GPL-3.0-or-later
// Both editions draw the same board: for the same scripted states, the
// desktop board (drawn offscreen by navicella_board_snapshot, named in
// NAVICELLA_BOARD_SNAPSHOT) and the page's canvas at one pixel per pixel
// agree on every pixel of the thread, the trail, the ship, the goal and the
// marker. The labels' boxes are left out: the two draw text with their own
// fonts. Edge pixels that either edition blends between two colours are
// counted apart and must stay few.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before } from 'node:test';
import { chooseFromMenu, inPage, openPage, press, queueDraws, startSite, test } from './browser.mjs';

const snapshot = process.env.NAVICELLA_BOARD_SNAPSHOT;
const folder = mkdtempSync(join(tmpdir(), 'navicella-board-'));

// A step is a draw of chance, a menu handler or an option button pressed.
const states = {
  'Semplice, two answers: thread, trail and ship': ['Simple_Click', 0.9, 0.75, 0.25, 0.75, 0.25, 'Opt_Via',
    'Opt_Sinistra', 'Opt_Destra'],
  'Facile, one answer and its follow-on: the marker': ['Easy_Click', 0.5, 0.75, 0.25, 0.75, 'Opt_Via', 'Opt_Sinistra'],
  'Complesso, a wrong and two right answers': ['Complex_Click', 0.75, 0.25, 0.25, 0.75, 0.25, 0.75, 0.75, 0.25, 0.25,
    'Opt_Via', 'Opt_Destra', 'Opt_Sinistra', 'Opt_Destra'],
  'Facile, the whole round: the goal filled': ['Easy_Click', 0.1, 0.75, 0.25, 'Opt_Via', 'Opt_Sinistra', 'Opt_Destra'],
};

let site;
before(async () => { site = await startSite(); });
after(() => site?.close());

for (const [name, steps] of Object.entries(states)) {
  test(name, async () => {
    assert.ok(snapshot, 'NAVICELLA_BOARD_SNAPSHOT must name the desktop tool');
    const png = join(folder, 'desktop.png');
    execFileSync(snapshot, [png, ...steps.map(String)], { env: { ...process.env, XDG_RUNTIME_DIR: folder } });

    // The window at its own size: the canvas has one pixel per board pixel.
    const page = await openPage(site);
    const { boxes, twipsPerPixel, menuBarHeight } = await inPage(page, (main) => main.game.description);
    const [, , width, height] = boxes.Client.map((t) => t / twipsPerPixel);
    await page.setViewport({ width, height: height + menuBarHeight });
    for (const step of steps) {
      if (typeof step === 'number') await queueDraws(page, [step]);
      else if (step.endsWith('_Click')) await chooseFromMenu(page, step);
      else await press(page, step);
    }
    const result = await inPage(page, async (main, base64) => {
      const { colours, boxes, labels, twipsPerPixel } = main.game.description;
      const web = document.querySelector('#board');
      const image = await createImageBitmap(new Blob([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))]));
      const desktop = new OffscreenCanvas(image.width, image.height).getContext('2d');
      desktop.drawImage(image, 0, 0);
      const size = [web.width, web.height, image.width, image.height];
      const a = web.getContext('2d').getImageData(0, 0, web.width, web.height).data;
      const b = desktop.getImageData(0, 0, image.width, image.height).data;
      const names = new Map(Object.entries(colours).map(([n, c]) => [c & 0xffffff, n]));
      const kind = (d, i) => names.get(d[i] | (d[i + 1] << 8) | (d[i + 2] << 16)) ?? 'blend';
      const texts = labels.map((l) => boxes[l].map((t) => t / twipsPerPixel));
      const counts = { same: {}, differ: 0, blend: 0 };
      for (let y = 0; y < web.height; y++) {
        for (let x = 0; x < web.width; x++) {
          if (texts.some(([l, t, w, h]) => x >= l && x < l + w && y >= t && y < t + h)) continue;
          const i = (y * web.width + x) * 4;
          const [p, q] = [kind(a, i), kind(b, i)];
          if (p === q) counts.same[p] = (counts.same[p] ?? 0) + 1;
          else if (p === 'blend' || q === 'blend') counts.blend++;
          else counts.differ++;
        }
      }
      return { size, counts };
    }, readFileSync(png).toString('base64'));

    assert.deepEqual(result.size.slice(0, 2), result.size.slice(2), 'the same size');
    const { same, differ, blend } = result.counts;
    const drawn = Object.entries(same).filter(([n]) => n !== 'LightYellow' && n !== 'blend')
      .reduce((sum, [, n]) => sum + n, 0);
    assert.equal(differ, 0, `no pixel of one colour in one edition and another in the other (${JSON.stringify(same)})`);
    assert.ok(drawn > 300, `the drawing agrees on ${drawn} pixels`);
    assert.ok(blend <= drawn / 4, `${blend} blended edge pixels against ${drawn} agreeing ones`);
  });
}
