// SPDX-License-Identifier: GPL-3.0-or-later
// The browser edition played as a child plays it, in the engine
// NAVICELLA_ENGINE names: whole rounds of every level chosen from the menu,
// answered with mouse buttons, touch taps and the keyboard alone, a wrong
// answer, the info box, a run-time error, "Esci", small and sharp screens, a
// finger's reach on every screen, and offline play.
import assert from 'node:assert/strict';
import { after, before } from 'node:test';
import { accessibilityViolations, cannot, chooseFromMenu, cuesStarted, engine, inPage, load,
  openPage, playEasy, playRound, press, queueDraws, readBoard, startSite, tapAreas, test, titled, view, within } from './browser.mjs';

let site;
before(async () => { site = await startSite(); });
after(() => site?.close());

const question = (page) => page.$eval('#question', (p) => p.textContent);
const shown = (page, selector) => page.$eval(selector, (e) => !e.hidden && e.getClientRects().length > 0);

// Each level in turn, in one page. Draws: how many pairs (0.1: two), then a
// left and a right pair, so the run guards allow the same thread again in
// the next round; Complesso draws each of its nine turns (above 0.5: left).
const rounds = [
  { menu: 'Easy_Click', level: 'Facile', draws: [0.1, 0.75, 0.25], how: 'left',
    presses: ['Sinistra', 'Destra'], cues: ['Start', 'Right', 'Right', 'Right', 'Right', 'End'] },
  { menu: 'Simple_Click', level: 'Semplice', draws: [0.1, 0.75, 0.25], how: 'right', wrong: 'Destra',
    presses: ['Sinistra', 'Destra', 'Destra', 'Sinistra'], cues: ['Start', 'Wrong', 'Right', 'Right', 'Right', 'Right', 'End'] },
  { menu: 'Complex_Click', level: 'Complesso', draws: [0.75, 0.25, 0.75, 0.75, 0.25, 0.25, 0.75, 0.25, 0.75], how: 'touch',
    presses: ['Sinistra', 'Destra', 'Sinistra', 'Sinistra', 'Destra', 'Destra', 'Sinistra', 'Destra', 'Sinistra'],
    cues: ['Start', ...Array(9).fill('Right'), 'End'] },
  { menu: 'Easy_Click', level: 'Facile', draws: [0.1, 0.75, 0.25], how: 'Enter', wrong: 'Destra',
    presses: ['Sinistra', 'Destra'], cues: ['Start', 'Wrong', 'Right', 'Right', 'Right', 'Right', 'End'] },
];

test(titled('a whole round of every level, with mouse buttons, touch taps and the keyboard alone',
  rounds.map((r) => r.how)), async () => {
  const page = await openPage(site, { touch: true });
  let cuesBefore = 0;
  for (const round of rounds) {
    await chooseFromMenu(page, round.menu, round.how);
    assert.equal(await page.$eval('#level', (p) => p.textContent), round.level);
    await queueDraws(page, round.draws);
    await press(page, 'Opt_Via', round.how);
    assert.equal(await question(page), 'Sinistra o Destra ?');
    assert.equal(await shown(page, '[data-member="Opt_Via"]'), false, 'the start button hides on the press');
    const start = await readBoard(page);
    assert.ok(start.Green > 0 && start.goalCentre === 'LightYellow', round.level);

    if (round.wrong) {
      await press(page, `Opt_${round.wrong}`, round.how);
      assert.equal(await question(page), 'Ritenta - Sinistra o Destra ?');
      const { Green, Red, goalCentre } = await readBoard(page);
      assert.deepEqual({ Green, Red, goalCentre }, { Green: start.Green, Red: start.Red, goalCentre: start.goalCentre },
        'a wrong answer changes nothing on the board');
    }
    for (const [i, answer] of round.presses.entries()) {
      await press(page, `Opt_${answer}`, round.how);
      const v = await view(page);
      assert.equal(v[`Opt_${answer}`].Value, false, 'the release lets the button pop up');
      if (i < round.presses.length - 1) assert.equal(await question(page), 'Sinistra o Destra ?');
    }
    const end = await readBoard(page);
    assert.equal(end.Green, 0, `${round.level}: every segment answered turns red`);
    assert.equal(end.goalCentre, 'Red', `${round.level}: the goal is filled`);
    assert.equal(await shown(page, '[data-member="Opt_Via"]'), true);
    assert.equal(await question(page), '', 'the question is hidden at the end');
    const cues = await cuesStarted(page);
    assert.deepEqual(cues.slice(cuesBefore), round.cues, `${round.level}: cues`);
    cuesBefore = cues.length;
  }
});

test(titled('the info box, a run-time error and "Esci" by a click or a key', ['middle', 'right']), async () => {
  const page = await openPage(site);
  const before = await view(page);
  await page.click('#info');
  assert.deepEqual(await page.$eval('#message', (d) => [d.open, d.querySelector('h1').textContent,
    d.querySelector('p').textContent]), [true, 'Velmora', '        vesk \nDicembre 2007']);
  await page.click('#message button');
  assert.equal(await page.$eval('#message', (d) => d.open), false);
  assert.deepEqual(await view(page), before, 'the info box changes nothing');
  await assert.rejects(inPage(page, (main) => main.game.select('typo')), /no option button typo/, 'as run() refuses');

  // A draw far outside [0, 1) overflows the thread's length: the error is
  // told in a box, and the board reset done before it stays done.
  await queueDraws(page, [1e6]);
  await press(page, 'Opt_Via');
  assert.deepEqual(await page.$eval('#message', (d) => [d.open, d.className, d.querySelector('h1').textContent,
    d.querySelector('p').textContent]), [true, 'error', 'Navicella', "Errore di run-time '6':\n\nOverflow"]);
  await page.keyboard.press('Enter');
  await playEasy(page, [], 'middle');
  assert.equal(await question(page), 'Sinistra o Destra ?', 'the game goes on');

  if (!cannot.right) {
    await press(page, 'Opt_Esci', 'right');
    assert.equal(await shown(page, '#farewell'), false, 'only a click ends the game');
  }
  for (const how of ['left', 'Space']) {
    await press(page, 'Opt_Esci', how);
    assert.equal(await shown(page, '#window'), false, how);
    assert.match(await page.$eval('#farewell', (f) => f.textContent), /Arrivederci/);
    await page.click('#again');
    const fresh = await view(page);
    assert.deepEqual([fresh.Lbl_Livello.Caption, fresh.Opt_Via.Visible, fresh.Opt_Destra.Visible], ['Facile', true, false]);
  }
});

// The board's parts, each measured where it shows whole: mid-round in
// Complesso (five answers of nine), at its end, in Facile after an answer.
const boardParts = [
  { menu: 'Complex_Click', draws: rounds[2].draws, presses: rounds[2].presses.slice(0, 5),
    parts: ['thread', 'trail', 'ship', 'goal'] },
  { presses: rounds[2].presses.slice(5), parts: ['goalFill'] },
  { menu: 'Easy_Click', draws: rounds[0].draws, presses: ['Sinistra'], parts: ['marker'] },
];
// Through the DevTools protocol: puppeteer's own call knows neither feature.
const emulated = (name, value) => async (page) => (await page.createCDPSession())
  .send('Emulation.setEmulatedMedia', { features: [{ name, value }] });
const looks = {
  "the game's own colours": { high: false, choose: async () => {} },
  'the switch beside the menu bar': { high: true, choose: (page) => page.click('#contrast') },
  ...!cannot.media && {
    'prefers-contrast: more': { high: true, choose: emulated('prefers-contrast', 'more') },
    'forced-colors: active': { high: true, choose: emulated('forced-colors', 'active') },
  },
};

test('the high-contrast board: thread, trail, goal, ship and marker at 3:1 or more against the window, the trail '
  + `darker and wider than the thread${cannot.media ? ` (${engine}: by the switch alone, as ${cannot.media})` : ''}`, async () => {
  for (const [look, { high, choose }] of Object.entries(looks)) {
    const page = await openPage(site, { width: 760, height: 548 }); // a canvas pixel per board pixel
    await choose(page);
    const { colours, contrastColours, lineWidth, contrastTrailWidth } = await inPage(page, (main) => main.game.description);
    const measured = {};
    for (const { menu, draws, presses, parts } of boardParts) {
      if (menu) await chooseFromMenu(page, menu);
      if (draws) await queueDraws(page, draws).then(() => press(page, 'Opt_Via'));
      for (const answer of presses) await press(page, `Opt_${answer}`);
      const found = (await readBoard(page)).parts;
      for (const part of parts) measured[part] = found[part];
    }
    const set = high ? contrastColours : colours;
    assert.deepEqual(Object.fromEntries(Object.entries(measured).map(([part, { colour }]) => [part, colour])),
      { thread: set.Green, trail: set.Red, ship: set.Blue, goal: set.Red, goalFill: set.Red, marker: set.DarkGreen }, look);
    assert.deepEqual([measured.thread.width, measured.trail.width], [lineWidth, high ? contrastTrailWidth : lineWidth], look);
    if (high) {
      for (const [part, { contrast }] of Object.entries(measured)) assert.ok(contrast >= 3, `${look}: ${part} ${contrast}:1`);
      assert.ok(measured.trail.width > measured.thread.width && measured.trail.contrast / measured.thread.contrast >= 2,
        `${look}: the trail apart from the thread by more than its hue ${JSON.stringify(measured)}`);
    }
    // The switch overrules the system, for the rest of the visit.
    await page.click('#contrast');
    await load(page);
    assert.equal(await page.$eval('#contrast', (b) => b.getAttribute('aria-pressed')), String(!high), look);
  }
});

test("no WCAG 2.2 A or AA violation and no focus hidden at the start, on the high-contrast board, in the menu and "
  + "the info box, mid-round, at a round's end, on the farewell and the accessibility statement", async () => {
  const page = await openPage(site);
  const steps = {
    start: async () => {},
    'the high-contrast board': () => page.click('#contrast'),
    menu: () => page.click('#opzioni'),
    info: () => page.click('#info'),
    'after a wrong answer': () => page.click('#message button').then(() => playEasy(page, ['Destra'])),
    "a round's end": async () => {
      await press(page, 'Opt_Sinistra');
      await press(page, 'Opt_Destra');
    },
    farewell: async () => {
      await press(page, 'Opt_Esci');
      assert.equal(await shown(page, '#farewell'), true);
    },
    'the accessibility statement, by its link': async () => page.goto(await page.$eval('#statement', (a) => a.href)),
  };
  const found = {};
  for (const [state, step] of Object.entries(steps)) {
    await step();
    const violations = await accessibilityViolations(page);
    // 2.4.11: each control that takes the focus shows at its centre, under no menu, dialog or farewell.
    violations.push(...await page.evaluate(() => {
      const focused = document.activeElement;
      const hidden = [...document.querySelectorAll('button, a[href]')].filter((e) => {
        e.focus();
        const r = e.getBoundingClientRect();
        return e.tabIndex >= 0 && document.activeElement === e
          && !e.contains(document.elementFromPoint(r.x + r.width / 2, r.y + r.height / 2));
      }).map((e) => `focus hidden: ${e.id || e.textContent}`);
      focused?.focus();
      return hidden;
    }));
    if (violations.length) found[state] = violations;
  }
  assert.equal(await page.$eval('h1', (h) => h.textContent), 'Dichiarazione di accessibilità');
  assert.deepEqual(found, {});
});

// Phones held upright and across, the window at its own size and at twice
// the pixels, a whiteboard: each with its device pixel ratio and how large
// the dialogs' text must be there.
const screens = [[320, 568, 2, 16], [360, 640, 3, 16], [568, 320, 1, 16], [760, 548, 1, 16], [900, 600, 2, 16],
  [3840, 2160, 1, 40]];
const controls = '#menubar > * > button, #info, #extras > *, .option:not([hidden]):not([data-member="Option1"])';
const unscreened = [cannot.narrow && `not on the phones, as ${cannot.narrow}`,
  cannot.dpr && `at a device pixel per pixel, as ${cannot.dpr}`].filter(Boolean);

test(`whole and sharp on every screen, its first cue sounding, every control answering a finger on 44 x 44 pixels, `
  + `and the dialogs grown with the screen${unscreened.length ? ` (${engine}: ${unscreened.join('; ')})` : ''}`, async () => {
  for (const [width, height, ratio, text] of screens) {
    if (width < 760 && cannot.narrow) continue;
    const [dpr, screen] = [cannot.dpr ? 1 : ratio, `${width}x${height}`];
    const page = await openPage(site, { width, height, dpr, touch: width < 760 });
    const layout = await page.evaluate(() => {
      const canvas = document.querySelector('#board');
      const box = document.querySelector('#window').getBoundingClientRect();
      return { backing: canvas.width, shown: canvas.getBoundingClientRect().width,
        window: [box.left, box.top, box.right, box.bottom] };
    });
    assert.equal(layout.backing, Math.round(layout.shown * dpr), `${screen}: a canvas pixel per device pixel`);
    assert.ok(layout.window[0] >= 0 && layout.window[1] >= 0 && layout.window[2] <= width + 0.5
      && layout.window[3] <= height + 0.5, `${screen}: the window fits`);
    const taps = [...await tapAreas(page, controls)];
    await page.click('#opzioni');
    taps.push(...await tapAreas(page, '#levels button'));
    await page.keyboard.press('Escape');
    await playEasy(page, [], 'touch');
    // Some engines take a moment to open their sound output.
    assert.equal(await page.evaluate(async () => {
      for (let i = 0; i < 100 && window.audioContexts[0]?.state !== 'running'; i++) {
        await new Promise((resolve) => setTimeout(resolve, 20));
      }
      return window.audioContexts[0]?.state;
    }), 'running', `${screen}: the first cue sounds`);
    taps.push(...await tapAreas(page, controls));
    await press(page, 'Opt_Sinistra', 'touch');
    assert.equal((await view(page)).Line1[1].BorderColor, 0x0000ff, `${screen}: answered`);
    assert.ok((await readBoard(page)).Red > 0, `${screen}: the trail shows`);
    await page.click('#info');
    taps.push(...await tapAreas(page, '#message button'));
    const fontSizes = (selector) => page.evaluate((s) => [...document.querySelectorAll(s)]
      .map((e) => parseFloat(getComputedStyle(e).fontSize)), selector);
    const sizes = await fontSizes('#message h1, #message p, #message button');
    await page.click('#message button');
    await press(page, 'Opt_Esci');
    taps.push(...await tapAreas(page, '#again'));
    sizes.push(...await fontSizes('#farewell p, #again'));
    for (const tap of taps) assert.ok(tap.width >= 44 && tap.height >= 44, `${screen}: ${JSON.stringify(tap)}`);
    assert.ok(Math.min(...sizes) >= text, `${screen}: dialogs' text ${sizes}`);
  }
});

test('installable, and playable offline after the first visit', { skip: cannot.devtools }, async () => {
  const page = await openPage(site, { ownContext: false });
  const client = await page.createCDPSession();
  assert.deepEqual((await client.send('Page.getInstallabilityErrors')).installabilityErrors, []);
  await within('the service worker to be ready', page.evaluate(() => navigator.serviceWorker.ready));
  await page.setOfflineMode(true);
  await load(page);
  assert.equal(await playRound(page), 'Red');
  await inPage(page, () => navigator.serviceWorker.getRegistration().then((r) => r.unregister()));
});
