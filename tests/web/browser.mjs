// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the built site (NAVICELLA_SITE) in a browser for the browser
// edition's tests and benchmarks: serves it on a free loopback port with
// web/serve.mjs, opens pages, presses the option buttons with real pointer
// events, and reads back the game's controls, the canvas and the cues.
// The browser is the engine NAVICELLA_ENGINE names: headless Chromium (the
// default) or Firefox through puppeteer, or WebKitGTK through its WebDriver
// (under an X display), through Selenium's WebDriver client. Every command
// and every wait has a bound of its own, well under ctest's limit for the
// whole file, and one that runs into it fails saying what did not come.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { Agent } from 'node:http';
import { createRequire } from 'node:module';
import { test as nodeTest } from 'node:test';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { By, Capabilities, Key, WebDriver, until } from 'selenium-webdriver';
import { Executor, HttpClient } from 'selenium-webdriver/http/index.js';
import { waitForServer } from 'selenium-webdriver/http/util.js';
import { findFreePort } from 'selenium-webdriver/net/portprober.js';

const server = fileURLToPath(new URL('../../web/serve.mjs', import.meta.url));

// A wait is bounded below a command, so that one made of a single command
// names the state it waited for.
const commandSeconds = 30;
const waitSeconds = 20;

// Settles as the promise does, or fails once the bound is over.
export function within(what, promise, seconds = waitSeconds) {
  let timer;
  const late = new Promise((resolve, reject) => {
    timer = setTimeout(() => reject(new Error(`${what}: not done in ${seconds} s`)), seconds * 1000);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

// node:test's test, with a time limit under ctest's; it fails where a page
// that openPage gave it logged an error or threw one uncaught.
let opened = [];
export const test = (name, ...rest) => nodeTest(name, { timeout: 120e3, ...rest.at(-2) }, async (t) => {
  opened = [];
  await rest.at(-1)(t);
  for (const page of opened) assert.deepEqual(page.errors, [], 'errors in the page');
});

export const engine = process.env.NAVICELLA_ENGINE ?? 'chromium';
// What a driver cannot do, and why: a test skips it, or stands in for it, saying so.
const webkitPointers = 'WebKitGTK gives the page no release of a middle or right press, and its driver taps as a mouse';
export const cannot = {
  chromium: {},
  firefox: { devtools: 'Chromium only (its DevTools protocol)',
    media: "puppeteer's WebDriver BiDi for Firefox emulates no prefers-contrast or forced-colors" },
  webkit: { middle: webkitPointers, right: webkitPointers, touch: webkitPointers,
    dpr: "WebKitGTK's driver cannot set the device pixel ratio", devtools: 'Chromium only (its DevTools protocol)',
    narrow: "MiniBrowser's window is no narrower than its tool bar",
    media: "WebKitGTK's WebDriver emulates no media features" },
}[engine];
if (!cannot) throw new Error(`NAVICELLA_ENGINE: no engine "${engine}" (chromium, firefox or webkit)`);

export function launch() {
  if (engine === 'webkit') return launchWebKit();
  const bounds = { timeout: commandSeconds * 1000, protocolTimeout: commandSeconds * 1000 };
  if (engine === 'firefox') {
    return puppeteer.launch({ browser: 'firefox', executablePath: process.env.FIREFOX ?? '/usr/bin/firefox-esr',
      ...bounds });
  }
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu'], ...bounds,
  });
}

// Every command sent to the driver, bounded; one that runs into the bound
// says what the driver and its browser last wrote.
class BoundedExecutor extends Executor {
  constructor(client, log) {
    super(client);
    this.log = log;
  }

  execute(command) {
    const parameters = JSON.stringify(command.getParameters(), (key, value) => (key === 'sessionId' ? undefined : value));
    return within(`WebDriver ${command.getName()} ${parameters.slice(0, 160)}`, super.execute(command), commandSeconds)
      .catch((error) => { throw Object.assign(error, { message: `${error.message}; the driver wrote: ${this.log()}` }); });
  }
}

// WebKitWebDriver on a free loopback port. Every page is a session of its
// own, a fresh browser; the driver keeps one at a time, so a new page ends
// the last.
async function launchWebKit(binary = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser') {
  if (!process.env.DISPLAY) throw new Error('WebKitGTK needs an X display: run under tests/support/session.sh');
  const port = await findFreePort();
  const service = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: ['ignore', 'pipe', 'pipe'] });
  let log = '';
  for (const output of [service.stdout, service.stderr]) output.on('data', (data) => { log = (log + data).slice(-2000); });
  const url = `http://127.0.0.1:${port}`;
  await within('WebKitWebDriver to start', waitForServer(url, commandSeconds * 1000), commandSeconds);
  // The sockets go with the browser, answered or not, so that node can end.
  const agent = new Agent({ keepAlive: true });
  let page = null;
  const end = async () => {
    const last = page;
    page = null;
    await last?.driver.quit();
  };
  return {
    async newPage() {
      await end().catch(() => {}); // a session that never started has nothing to quit
      page = new WebKitPage(WebDriver.createSession(new BoundedExecutor(new HttpClient(url, agent), () => log || 'nothing'),
        new Capabilities({ 'webkitgtk:browserOptions': { binary, args: ['--automation'] } })));
      return page;
    },
    close: () => end().finally(() => { agent.destroy(); service.kill('SIGKILL'); }),
  };
}

// The part of puppeteer's Page the tests use, on WebKitGTK. The driver
// cannot run a script before the page's own, so console errors and uncaught
// exceptions are recorded from the end of the load on, and read back with
// each evaluation. Pointer moves are relative to the viewport, as the driver
// refuses an element as their origin.
const keys = { Enter: Key.ENTER, Escape: Key.ESCAPE, Tab: Key.TAB, ArrowDown: Key.ARROW_DOWN };
class WebKitPage {
  errors = [];

  constructor(driver) {
    this.driver = driver;
  }

  // Runs fn(...args) in the page (a function, or a script's text) and returns
  // its result, once any promise it returns has settled.
  async evaluate(fn, ...args) {
    const { value, thrown, errors } = await this.driver.executeScript(`const run = ${
      typeof fn === 'string' ? `async () => { ${fn}\n}` : fn};
      const take = () => window.recordedErrors?.splice(0) ?? [];
      return (async () => run(...arguments))()
        .then((value) => ({ value, errors: take() }), (error) => ({ thrown: String(error), errors: take() }));`, ...args);
    this.errors.push(...errors);
    if (thrown) throw new Error(thrown);
    return value;
  }

  $eval(selector, fn, ...args) {
    return this.evaluate({ toString: () => `(s, ...a) => (${fn})(document.querySelector(s), ...a)` }, selector, ...args);
  }

  goto = (url) => this.driver.get(url);
  reload = () => this.driver.navigate().refresh();

  // Waits until an element matches; then records the page's errors from here on.
  async waitForSelector(selector) {
    await this.driver.wait(until.elementLocated(By.css(selector)), waitSeconds * 1000, `no ${selector}`);
    await this.evaluate(() => {
      if (window.recordedErrors) return;
      window.recordedErrors = [];
      const error = console.error;
      console.error = (...args) => { window.recordedErrors.push(args.join(' ')); error.apply(console, args); };
      addEventListener('error', (event) => window.recordedErrors.push(event.message));
      addEventListener('unhandledrejection', (event) => window.recordedErrors.push(String(event.reason)));
    });
  }

  // The viewport's size; the window is made taller by what its own bars
  // take. MiniBrowser's window cannot be made narrower than its tool bar.
  async setViewport({ width, height }) {
    const [outer, inner] = await this.evaluate(() => [outerHeight, innerHeight]);
    await this.driver.manage().window().setRect({ width, height: height + outer - inner });
    const size = await this.evaluate(() => new Promise((resolve) => {
      requestAnimationFrame(() => requestAnimationFrame(() => resolve([innerWidth, innerHeight])));
    }));
    if (size[0] !== width || size[1] !== height) {
      throw new Error(`WebKitGTK's viewport is ${size.join(' x ')}, not ${width} x ${height}`);
    }
  }

  async click(selector) {
    const [x, y] = await this.$eval(selector, centre);
    await this.mouse.move(x, y);
    await this.mouse.down();
    await this.mouse.up();
  }

  mouse = {
    move: (x, y) => this.driver.actions().move({ x: Math.round(x), y: Math.round(y) }).perform(),
    down: () => this.driver.actions().press().perform(),
    up: () => this.driver.actions().release().perform(),
  };

  keyboard = { press: (key) => this.driver.actions().sendKeys(keys[key] ?? key).perform() };
}

const centre = (e) => {
  const r = e.getBoundingClientRect();
  return [r.x + r.width / 2, r.y + r.height / 2];
};

// The server, given options of serve.mjs, and the browser; close() ends both.
export async function startSite(site = process.env.NAVICELLA_SITE, options = []) {
  if (!site) throw new Error('NAVICELLA_SITE must name the built site');
  const child = spawn(process.execPath, [server, ...options, site, '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
  const url = await within('serve.mjs to say its address', new Promise((resolve, reject) => {
    child.stdout.once('data', (line) => resolve(String(line).match(/http\S+/)[0]));
    child.once('exit', (code) => reject(new Error(`serve.mjs exited with ${code}`)));
  })).catch((error) => { child.kill(); throw error; });
  const browser = await launch().catch((error) => { child.kill(); throw error; });
  return { url, browser, child,
    close: () => within('the browser to close', browser.close(), commandSeconds).finally(() => child.kill()) };
}

// A page showing the site, with every Web Audio start and console error
// recorded; in a fresh browser context (no cache, no service worker) unless
// ownContext is false, as installing needs the browser's own.
export async function openPage(site, { width = 900, height = 600, dpr = 1, touch = false, ownContext = true } = {}) {
  let page;
  if (engine === 'webkit') {
    page = await site.browser.newPage();
  } else {
    const context = ownContext ? await site.browser.createBrowserContext() : site.browser.defaultBrowserContext();
    page = await context.newPage();
    page.errors = [];
    page.on('console', (message) => message.type() === 'error' && page.errors.push(message.text()));
    page.on('pageerror', (error) => page.errors.push(error.message));
    await page.evaluateOnNewDocument(recordAudio);
  }
  await page.setViewport({ width, height, deviceScaleFactor: dpr, hasTouch: touch, isMobile: touch });
  await load(page, site.url);
  opened.push(page);
  return page;
}

// The page loaded again, or from the address, once its window shows and its
// cues are ready: tests press faster than any child.
export async function load(page, url) {
  await (url ? page.goto(url) : page.reload());
  await page.waitForSelector('#window:not([hidden])');
  if (engine === 'webkit') await page.evaluate(recordAudio);
  await within("the page's cues to be ready", inPage(page, (main) => main.cuePlayer.ready));
}

// Records every AudioContext made and every buffer started; the page makes
// its context at the first press.
function recordAudio() {
  window.audioContexts = [];
  window.AudioContext = class extends AudioContext {
    constructor(...args) {
      super(...args);
      window.audioContexts.push(this);
    }
  };
  window.startedBuffers = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    window.startedBuffers.push(this.buffer);
    return start.apply(this, args);
  };
}

// Runs fn(main, ...args) in the page, main being the page's own main.js (its
// game and cue player).
export const inPage = (page, fn, ...args) => page.evaluate(
  { toString: () => `async (...a) => (${fn})(await import('./main.js'), ...a)` }, ...args);

export const view = (page) => inPage(page, (main) => main.game.view());
export const queueDraws = (page, draws) => inPage(page, (main, d) => main.game.queueDraws(d), draws);

// Starts a round of the easy level on a thread that turns left, then right,
// and gives the answers, all pressed in one way.
export async function playEasy(page, answers = ['Sinistra', 'Destra'], how = 'left') {
  await queueDraws(page, [0.1, 0.75, 0.25]);
  for (const member of ['Via', ...answers]) await press(page, `Opt_${member}`, how);
}

// A whole round of the easy level: the goal's colour at its end.
export const playRound = (page) => playEasy(page).then(() => readBoard(page)).then((board) => board.goalCentre);

// The names of the cues started through Web Audio so far, in order.
export const cuesStarted = (page) => inPage(page, (main) => {
  const names = new Map([...main.cuePlayer.buffers].map(([name, buffer]) => [buffer, name]));
  return window.startedBuffers.map((buffer) => names.get(buffer) ?? '?');
});

// A test's title, saying which of the ways of pressing it uses this
// engine's driver cannot do and press() does with the left button instead.
export function titled(title, hows) {
  const lost = [...new Set(hows)].filter((how) => cannot[how]);
  if (!lost.length) return title;
  return `${title} (${engine}: ${lost.join(', ')} done with the left button, as ${cannot[lost[0]]})`;
}

// Tabs to the element until it has the focus, then presses the key.
async function keyTo(page, selector, key) {
  for (let i = 0; i < 12 && !(await page.$eval(selector, (e) => e === document.activeElement)); i++) {
    await page.keyboard.press('Tab');
  }
  await page.keyboard.press(key === 'Space' ? ' ' : key);
}

// A press and release on an option button: 'left', 'right' or 'middle'
// mouse button, 'touch' for a tap, or 'Enter' or 'Space' from the keyboard
// alone.
export async function press(page, member, how = 'left') {
  if (cannot[how]) how = 'left';
  const selector = `.option[data-member="${member}"]`;
  const [x, y] = await page.$eval(selector, centre);
  if (how === 'Enter' || how === 'Space') {
    await keyTo(page, selector, how);
  } else if (how === 'touch') {
    await page.touchscreen.tap(x, y);
  } else {
    await page.mouse.move(x, y);
    await page.mouse.down({ button: how });
    await page.mouse.up({ button: how });
  }
}

export async function chooseFromMenu(page, handler, how = 'left') {
  const item = `#levels [data-handler="${handler}"]`;
  if (how !== 'Enter' && how !== 'Space') {
    await page.click('#opzioni');
    return page.click(item);
  }
  await keyTo(page, '#opzioni', how);
  while (!(await page.$eval(item, (e) => e === document.activeElement))) await page.keyboard.press('ArrowDown');
  await page.keyboard.press(how === 'Space' ? ' ' : how);
}

// Where a tap on each element matching the selector lands on it: the width
// and height of the cross through its centre on which it is what the page
// finds under a finger, inside the viewport.
export const tapAreas = (page, selector) => page.evaluate((s) => [...document.querySelectorAll(s)].map((e) => {
  const r = e.getBoundingClientRect();
  const hits = (x, y) => e.contains(document.elementFromPoint(x, y));
  const reach = (dx, dy) => {
    let k = 0;
    while (k < 400 && hits(r.x + r.width / 2 + (k + 1) * dx, r.y + r.height / 2 + (k + 1) * dy)) k++;
    return k;
  };
  return { name: e.textContent || e.dataset.member, width: reach(-1, 0) + reach(1, 0) + 1,
    height: reach(0, -1) + reach(0, 1) + 1 };
}), selector);

// What axe-core finds against WCAG 2.2 A and AA on the page as it stands:
// one line per rule broken, naming the elements.
const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
export async function accessibilityViolations(page) {
  if (!(await page.evaluate(() => 'axe' in window))) await page.evaluate(axeSource);
  return page.evaluate(async () => {
    const { violations } = await window.axe.run(document,
      { runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'] } });
    return violations.map((v) => `${v.id} (${v.help}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
  });
}

// The board as the canvas shows it: how many pixels show each colour of the
// game exactly, the colour at the goal's centre, and its parts: for the
// thread (its longest unanswered segment), the trail (its longest answered
// one), the ship (a flank), the goal's outline and fill and the easy level's
// marker, each shown, the colour at its middle (a line's, or a circle's
// leftmost point) as 0xBBGGRR, its WCAG contrast against the window, and a
// line's width across its middle in that colour.
export const readBoard = (page) => inPage(page, (main) => {
  const { colours, twipsPerPixel, boxes, lineWidth } = main.game.description;
  const canvas = document.querySelector('#board');
  const scale = canvas.width / (boxes.Client[2] / twipsPerPixel);
  const { data } = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
  const rgb = (i) => data[i] | (data[i + 1] << 8) | (data[i + 2] << 16);
  const at = (x, y) => rgb((y * canvas.width + x) * 4);
  const px = (twips) => Math.floor((twips / twipsPerPixel) * scale);
  const names = new Map(Object.entries(colours).map(([name, c]) => [c & 0xffffff, name]));
  const counts = Object.fromEntries(Object.keys(colours).map((name) => [name, 0]));
  for (let i = 0; i < data.length; i += 4) if (names.has(rgb(i))) counts[names.get(rgb(i))]++;
  const luminance = (c) => [0, 8, 16].map((shift) => ((c >> shift) & 0xff) / 255)
    .map((v) => (v <= 0.04045 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4))
    .reduce((sum, v, k) => sum + v * [0.2126, 0.7152, 0.0722][k], 0);
  const window = at(0, 0);
  const part = (x, y, across) => {
    const colour = at(x, y);
    const [a, b] = [luminance(colour), luminance(window)].sort((p, q) => p - q);
    let width = 0;
    if (across) while (width < 20 && at(x + across[0] * width, y + across[1] * width) === colour) width++;
    if (across) for (let k = 1; k < 20 && at(x - across[0] * k, y - across[1] * k) === colour; k++) width++;
    return { colour, contrast: Math.round(((b + 0.05) / (a + 0.05)) * 100) / 100, ...(across && { width }) };
  };
  const v = main.game.view();
  const longest = (lines) => lines.filter((l) => l.Visible && (l.X1 !== l.X2 || l.Y1 !== l.Y2))
    .sort((l, m) => Math.hypot(m.X2 - m.X1, m.Y2 - m.Y1) - Math.hypot(l.X2 - l.X1, l.Y2 - l.Y1))[0];
  // As the board draws a line: through the middle of the pixels its ends round to.
  const mid = (a, b) => Math.floor(((Math.round(a / twipsPerPixel) + Math.round(b / twipsPerPixel)) / 2 + 0.5) * scale);
  const line = (l, across = true) => l && part(mid(l.X1, l.X2), mid(l.Y1, l.Y2),
    across && (l.X1 === l.X2 ? [1, 0] : [0, 1]));
  const circle = (s, centre) => s.Visible && part(px(s.Left + s.Width / 2 - (centre ? 0 : Math.min(s.Width, s.Height) / 2))
    + (centre ? 0 : Math.floor((lineWidth * scale) / 2)), px(s.Top + s.Height / 2));
  const goal = v.Shape1;
  return { ...counts, goalCentre: names.get(at(px(goal.Left + goal.Width / 2), px(goal.Top + goal.Height / 2))) ?? 'other',
    parts: Object.fromEntries(Object.entries({
      thread: line(longest(v.Line1.filter((l) => l.BorderColor === colours.Green))),
      trail: line(longest(v.Line1.filter((l) => l.BorderColor === colours.Red))),
      ship: v.Line3[1].Visible && line(v.Line3[1], false),
      goal: circle(goal), goalFill: goal.FillColor === colours.Red && circle(goal, true),
      marker: circle(v.Shape2),
    }).filter(([, found]) => found)) };
});
