// SPDX-License-Identifier: GPL-3.0-or-later
// The four cues through Web Audio, made by the game's own synthesiser in the
// WebAssembly module, so the page plays the desktop's sounds and downloads
// none.
//
// A browser keeps audio silent until a gesture: call wake() on every press and
// release of any pointer (a touch press alone does not count in some browsers,
// its release does). play() starts a cue from its beginning and fades out the
// one still sounding over the core's fade length, so that it stops without a
// click; it never fails, at worst a cue is silent. prepare() has the cues
// rendered by a worker (cue-worker.js), so that rendering never holds up the
// page; `ready` settles when all four are in. A cue asked for before it is in
// sounds as soon as it arrives, unless another cue or stop() came first.
// Without workers the cues are rendered here, each when it is first played.

export class CuePlayer {
  #game;
  #context = null;
  #sounding = null;
  #waiting = null; // the cue asked for before it was rendered
  #worker = null;
  #done;
  buffers = new Map();
  ready = new Promise((resolve) => { this.#done = resolve; });

  constructor(game) {
    this.#game = game;
  }

  wake() {
    try {
      this.#context ??= new AudioContext();
      if (this.#context.state === 'suspended') this.#context.resume().catch(() => {});
    } catch {
      this.#context = null;
    }
  }

  prepare() {
    const { cues } = this.#game.description;
    try {
      this.#worker = new Worker(new URL('./cue-worker.js', import.meta.url), { type: 'module' });
    } catch {
      this.#worker = null;
      this.#done();
      return;
    }
    this.#worker.onmessage = ({ data: { cue, sampleRate, samples } }) => {
      const buffer = new AudioBuffer({ length: Math.max(1, samples.length), sampleRate });
      buffer.copyToChannel(samples, 0);
      this.buffers.set(cue, buffer);
      if (this.#waiting === cue) this.play(cue);
      if (this.buffers.size === cues.length) this.#done();
    };
    this.#worker.onerror = () => {
      this.#worker = null;
      if (this.#waiting) this.play(this.#waiting);
      this.#done();
    };
    this.#worker.postMessage({ cues });
  }

  play(cue) {
    const context = this.#context;
    if (!context) return;
    this.stop();
    const buffer = this.buffers.get(cue) ?? (this.#worker ? null : this.#render(cue));
    if (!buffer) {
      this.#waiting = cue;
      return;
    }
    const gain = new GainNode(context);
    gain.connect(context.destination);
    const source = new AudioBufferSourceNode(context, { buffer });
    source.connect(gain);
    source.start(context.currentTime);
    this.#sounding = { source, gain };
  }

  stop() {
    this.#waiting = null;
    if (!this.#sounding) return;
    const { source, gain } = this.#sounding;
    const now = this.#context.currentTime;
    gain.gain.setValueAtTime(gain.gain.value, now);
    const fade = this.#game.description.fadeMs / 1000;
    gain.gain.linearRampToValueAtTime(0, now + fade);
    source.stop(now + fade);
    this.#sounding = null;
  }

  #render(cue) {
    const samples = this.#game.cueSamples(cue);
    const buffer = new AudioBuffer({ length: Math.max(1, samples.length), sampleRate: this.#game.sampleRate });
    const channel = buffer.getChannelData(0);
    for (let i = 0; i < samples.length; i++) channel[i] = samples[i] / 32768;
    this.buffers.set(cue, buffer);
    return buffer;
  }
}
