// SPDX-License-Identifier: GPL-3.0-or-later
// A small W3C WebDriver client for WebKitGTK's WebKitWebDriver, over node's
// own fetch. Its pages offer the part of puppeteer's Page the tests use:
// evaluate, evaluateHandle and $eval, click, focus, waitForSelector, the
// mouse, the keyboard and the window's size. Every page is a session of its
// own, a fresh browser; the driver keeps one at a time, so a new page ends
// the last. The driver cannot run a script before the page's own, so console
// errors and uncaught exceptions are recorded from the end of the load on,
// and read back with each evaluation.
import { spawn } from 'node:child_process';
import { createServer } from 'node:net';

const freePort = () => new Promise((resolve) => {
  const server = createServer().listen(0, '127.0.0.1', () => {
    const { port } = server.address();
    server.close(() => resolve(port));
  });
});

// The driver's names of the keys the tests press.
const keys = { Enter: '\uE007', Space: ' ', Escape: '\uE00C', Tab: '\uE004', Alt: '\uE00A', Shift: '\uE008',
  ArrowUp: '\uE013', ArrowDown: '\uE015', ArrowLeft: '\uE012', ArrowRight: '\uE014' };
const mouseButtons = { left: 0, middle: 1, right: 2 };

export async function launchWebKit(binary = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser') {
  if (!process.env.DISPLAY) throw new Error('WebKitGTK needs an X display: run under tests/support/session.sh');
  const port = await freePort();
  const driver = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
  const base = `http://127.0.0.1:${port}`;
  for (let i = 0; ; i++) {
    try {
      if ((await fetch(`${base}/status`)).ok) break;
    } catch (error) {
      if (i === 100) throw error;
    }
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  const request = async (method, path, body) => {
    const response = await fetch(base + path, { method, headers: { 'content-type': 'application/json' },
      body: body && JSON.stringify(body) });
    const { value } = await response.json();
    if (value?.error) throw new Error(`WebDriver ${method} ${path}: ${value.error} ${value.message}`);
    return value;
  };
  let session = null;
  const end = async () => {
    if (session) await request('DELETE', `/session/${session}`);
    session = null;
  };
  return {
    async newPage() {
      await end();
      ({ sessionId: session } = await request('POST', '/session', { capabilities: { alwaysMatch: {
        'webkitgtk:browserOptions': { binary, args: ['--automation'] } } } }));
      const id = session;
      return new WebDriverPage((method, path, body) => request(method, `/session/${id}${path}`, body));
    },
    async close() {
      await end().finally(() => driver.kill());
    },
  };
}

class WebDriverPage {
  errors = [];
  #call;

  constructor(call) {
    this.#call = call;
  }

  // Runs fn(...args) in the page (a function, or a script's text) and returns
  // its result as JSON, once any promise it returns has settled. An argument
  // made by evaluateHandle() stands for the value it holds in the page.
  async evaluate(fn, ...args) {
    const script = `const done = arguments[arguments.length - 1];
      const take = () => window.recordedErrors?.splice(0) ?? [];
      const args = arguments[0].map((a) => (a?.handle === undefined ? a : window.handles[a.handle]));
      (async () => ${typeof fn === 'string' ? `{ ${fn}\n}` : `(${fn})(...args)`})()
        .then((value) => done({ value, errors: take() }), (error) => done({ thrown: String(error), errors: take() }));`;
    const { value, thrown, errors } = await this.#call('POST', '/execute/async', { script, args: [args] });
    this.errors.push(...errors);
    if (thrown) throw new Error(thrown);
    return value;
  }

  // Keeps what fn(...args) gives in the page, for later evaluations.
  async evaluateHandle(fn, ...args) {
    const source = `async (...a) => (window.handles ??= []).push(await (${fn})(...a)) - 1`;
    return { handle: await this.evaluate({ toString: () => source }, ...args) };
  }

  $eval(selector, fn, ...args) {
    const source = `(s, ...a) => (${fn})(document.querySelector(s), ...a)`;
    return this.evaluate({ toString: () => source }, selector, ...args);
  }

  async goto(url) {
    await this.#call('POST', '/url', { url });
  }

  async reload() {
    await this.#call('POST', '/refresh', {});
  }

  // Polls until an element matches; then records the page's errors from here on.
  async waitForSelector(selector, { timeout = 30000 } = {}) {
    for (const start = Date.now(); Date.now() - start < timeout;) {
      if (await this.evaluate((s) => document.querySelector(s) !== null, selector)) {
        await this.evaluate(() => {
          if (window.recordedErrors) return;
          window.recordedErrors = [];
          const error = console.error;
          console.error = (...args) => { window.recordedErrors.push(args.join(' ')); error.apply(console, args); };
          addEventListener('error', (event) => window.recordedErrors.push(event.message));
          addEventListener('unhandledrejection', (event) => window.recordedErrors.push(String(event.reason)));
        });
        return;
      }
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    throw new Error(`no ${selector} after ${timeout} ms`);
  }

  // The viewport's size; the window is made taller by what its own bars
  // take. MiniBrowser's window cannot be made narrower than its tool bar.
  async setViewport({ width, height }) {
    const [outer, inner] = await this.evaluate(() => [outerHeight, innerHeight]);
    await this.#call('POST', '/window/rect', { width, height: height + outer - inner });
    const size = await this.evaluate(() => new Promise((resolve) => {
      requestAnimationFrame(() => requestAnimationFrame(() => resolve([innerWidth, innerHeight])));
    }));
    if (size[0] !== width || size[1] !== height) {
      throw new Error(`WebKitGTK's viewport is ${size.join(' x ')}, not ${width} x ${height}`);
    }
  }

  async focus(selector) {
    await this.evaluate((s) => document.querySelector(s).focus(), selector);
  }

  async click(selector) {
    const [x, y] = await this.evaluate((s) => {
      const r = document.querySelector(s).getBoundingClientRect();
      return [r.x + r.width / 2, r.y + r.height / 2];
    }, selector);
    await this.mouse.move(x, y);
    await this.mouse.down();
    await this.mouse.up();
  }

  #act(type, parameters, actions) {
    return this.#call('POST', '/actions', { actions: [{ type, id: type === 'key' ? 'keyboard' : type,
      ...(parameters && { parameters }), actions }] });
  }

  #pointerAt(x, y) {
    return { type: 'pointerMove', origin: 'viewport', x: Math.round(x), y: Math.round(y) };
  }

  mouse = {
    move: (x, y) => this.#act('pointer', { pointerType: 'mouse' }, [this.#pointerAt(x, y)]),
    down: ({ button = 'left' } = {}) => this.#act('pointer', { pointerType: 'mouse' },
      [{ type: 'pointerDown', button: mouseButtons[button] }]),
    up: ({ button = 'left' } = {}) => this.#act('pointer', { pointerType: 'mouse' },
      [{ type: 'pointerUp', button: mouseButtons[button] }]),
  };

  keyboard = {
    down: (key) => this.#act('key', null, [{ type: 'keyDown', value: keys[key] ?? key }]),
    up: (key) => this.#act('key', null, [{ type: 'keyUp', value: keys[key] ?? key }]),
    press: (key) => this.#act('key', null, [{ type: 'keyDown', value: keys[key] ?? key },
      { type: 'keyUp', value: keys[key] ?? key }]),
  };
}
