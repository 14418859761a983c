// SPDX-License-Identifier: GPL-3.0-or-later
// The four cues through Web Audio, made by the game's own synthesiser in the
// WebAssembly module, so the page plays the desktop's sounds and downloads
// none.
//
// A browser keeps audio silent until a gesture: call wake() on every press and
// release of any pointer (a touch press alone does not count in some browsers,
// its release does). play() starts a cue from its beginning and fades out the
// one still sounding over the core's fade length, so that it stops without a
// click; it never fails, at worst a cue is silent. prepare() renders the cues
// ahead, a little at a time, so that the first press need not wait for one.

export class CuePlayer {
  #game;
  #context = null;
  #sounding = null;
  buffers = new Map();

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
    const next = this.#game.description.cues.find((cue) => !this.buffers.has(cue));
    if (!next) return;
    this.#buffer(next);
    setTimeout(() => this.prepare(), 0);
  }

  play(cue) {
    const context = this.#context;
    if (!context) return;
    const now = context.currentTime;
    this.stop();
    const gain = new GainNode(context);
    gain.connect(context.destination);
    const source = new AudioBufferSourceNode(context, { buffer: this.#buffer(cue) });
    source.connect(gain);
    source.start(now);
    this.#sounding = { source, gain };
  }

  stop() {
    if (!this.#sounding) return;
    const { source, gain } = this.#sounding;
    const now = this.#context.currentTime;
    gain.gain.setValueAtTime(gain.gain.value, now);
    const fade = this.#game.description.fadeMs / 1000;
    gain.gain.linearRampToValueAtTime(0, now + fade);
    source.stop(now + fade);
    this.#sounding = null;
  }

  #buffer(cue) {
    let buffer = this.buffers.get(cue);
    if (!buffer) {
      const samples = this.#game.cueSamples(cue);
      buffer = new AudioBuffer({ length: Math.max(1, samples.length), sampleRate: this.#game.sampleRate });
      const channel = buffer.getChannelData(0);
      for (let i = 0; i < samples.length; i++) channel[i] = samples[i] / 32768;
      this.buffers.set(cue, buffer);
    }
    return buffer;
  }
}
