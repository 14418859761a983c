// SPDX-License-Identifier: GPL-3.0-or-later
// The game's core, compiled to WebAssembly, as the page sees it.
//
// loadGame() instantiates the module, fetches the description that the build
// wrote from the core's tables (description.json), and starts a game. The
// description holds everything the window is built from (boxes in twips, fonts in pixels,
// colours as 0x00BBGGRR numbers, the program's words, the option buttons,
// the menu, the paint order, the names of the handlers, labels and cues, and
// the layout of the view record). run() carries out one handler and returns
// the run-time error it raised, if any, and the cues it played; view() then
// reads the controls back.
import loadNavicella from './navicella.js';

async function fetchDescription() {
  const response = await fetch(new URL('description.json', import.meta.url));
  if (!response.ok) throw new Error(`description.json: ${response.status} ${response.statusText}`);
  return response.json();
}

export async function loadGame() {
  const [module, description] = await Promise.all([loadNavicella(), fetchDescription()]);
  return new Game(module, description);
}

class Game {
  #m;
  #handlers;
  #members;

  constructor(module, description) {
    this.#m = module;
    this.description = description;
    const fields = description.view.reduce((sum, { count, fields }) => sum + Math.max(count, 1) * fields.length, 0);
    if (fields !== module._viewSize()) {
      throw new Error(`description.json lays out ${fields} fields of the view record, the module ${module._viewSize()}`);
    }
    this.#handlers = new Map(this.description.handlers.map((name, i) => [name, i]));
    this.#members = new Map(this.description.buttons.map(({ name }, i) => [name, i]));
    this.newGame();
  }

  // A new start of the program: the easy level, a clean board.
  newGame() {
    return this.#result(this.#m._newGame());
  }

  run(handler) {
    const number = this.#handlers.get(handler);
    if (number === undefined) throw new Error(`no handler ${handler}`);
    return this.#result(this.#m._runHandler(number));
  }

  // Selects a member of the option group, as a click or a key does.
  select(member) {
    const number = this.#members.get(member);
    if (number === undefined) throw new Error(`no option button ${member}`);
    this.#m._select(number);
  }

  // The next draws of chance, before the clock's: lays out a known thread.
  queueDraws(values) {
    for (const value of values) this.#m._queueDraw(value);
  }

  // The controls as they stand, with the names and fields of the core.
  view() {
    const f = new Float32Array(this.#m.HEAPU8.buffer, this.#m._viewRecord(), this.#m._viewSize());
    let i = 0;
    const view = {};
    for (const { name, count, fields, flags } of this.description.view) {
      const control = () => Object.fromEntries(fields.map((field, k) => [field, flags[k] ? f[i++] !== 0 : f[i++]]));
      view[name] = count ? Array.from({ length: count }, control) : control();
    }
    this.description.labels.forEach((name, k) => {
      view[name].Caption = this.#m.UTF8ToString(this.#m._caption(k));
    });
    return view;
  }

  // A cue's samples: mono, signed 16-bit, at `sampleRate`.
  cueSamples(cue) {
    const number = this.description.cues.indexOf(cue);
    const frames = this.#m._cueFrames(number);
    return new Int16Array(this.#m.HEAPU8.buffer, this.#m._cueSamples(number), frames).slice();
  }

  get sampleRate() {
    return this.#m._sampleRate();
  }

  #result(errorNumber) {
    const count = this.#m._cueCount();
    const played = new Int32Array(this.#m.HEAPU8.buffer, this.#m._cues(), count);
    return {
      error: errorNumber ? { number: errorNumber, message: this.#m.UTF8ToString(this.#m._errorMessage()) } : null,
      cues: Array.from(played, (n) => this.description.cues[n]).filter(Boolean),
    };
  }

}
