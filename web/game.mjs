// SPDX-License-Identifier: GPL-3.0-or-later
// The game's core, compiled to WebAssembly, as the page sees it.
//
// loadGame() instantiates the module and starts a game. The description
// holds everything the window is built from (boxes in twips, font sizes in
// points, colours as 0x00BBGGRR numbers, the program's words, the names of
// the handlers, option buttons, labels and cues). run() carries out one
// handler and returns the run-time error it raised, if any, and the cues it
// played; view() then reads the controls back.
import loadNavicella from './navicella.mjs';

const LineFields = 6;
const ShapeFields = 7;
const utf8 = new TextDecoder();

export async function loadGame() {
  return new Game(await loadNavicella());
}

class Game {
  #m;
  #handlers;
  #members;

  constructor(module) {
    this.#m = module;
    this.description = JSON.parse(this.#string(module._describe()));
    this.#handlers = new Map(this.description.handlers.map((name, i) => [name, i]));
    this.#members = new Map(this.description.members.map((name, i) => [name, i]));
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
    this.#m._select(this.#members.get(member));
  }

  // The next draws of chance, before the clock's: lays out a known thread.
  queueDraws(values) {
    for (const value of values) this.#m._queueDraw(value);
  }

  // The controls as they stand, with the names and fields of the core.
  view() {
    const d = this.description;
    const f = new Float32Array(this.#m.HEAPU8.buffer, this.#m._viewRecord(), this.#m._viewSize());
    let i = 0;
    const line = () => {
      const l = { X1: f[i], Y1: f[i + 1], X2: f[i + 2], Y2: f[i + 3], BorderColor: f[i + 4], Visible: f[i + 5] !== 0 };
      i += LineFields;
      return l;
    };
    const shape = () => {
      const s = { Left: f[i], Top: f[i + 1], Width: f[i + 2], Height: f[i + 3],
        BorderColor: f[i + 4], FillColor: f[i + 5], Visible: f[i + 6] !== 0 };
      i += ShapeFields;
      return s;
    };
    const view = { Line1: Array.from({ length: 20 }, line), Line3: Array.from({ length: 3 }, line) };
    view.Shape1 = shape();
    view.Shape2 = shape();
    d.labels.forEach((name, k) => {
      view[name] = { Caption: this.#string(this.#m._caption(k)), Visible: f[i++] !== 0 };
    });
    for (const name of d.members) {
      view[name] = { Visible: f[i] !== 0, Value: f[i + 1] !== 0 };
      i += 2;
    }
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
      error: errorNumber ? { number: errorNumber, message: this.#string(this.#m._errorMessage()) } : null,
      cues: Array.from(played, (n) => this.description.cues[n]).filter(Boolean),
    };
  }

  #string(pointer) {
    const bytes = this.#m.HEAPU8;
    let end = pointer;
    while (bytes[end]) end++;
    return utf8.decode(bytes.subarray(pointer, end));
  }
}
