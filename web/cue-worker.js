// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the cues away from the page's thread, with the same synthesiser in
// the same WebAssembly module as the page. Asked with the list of the cues'
// names (their numbers in the module are their places in it), it answers once
// per cue, in that order: { cue, sampleRate, samples }, the samples as floats
// in [-1, 1), ready for an AudioBuffer.
import loadNavicella from './navicella.js';

const loading = loadNavicella();

// A failure is thrown out of the worker, so that the page hears of it and
// renders the cues itself.
self.onmessage = ({ data: { cues } }) => {
  loading.then((m) => {
    for (const [number, cue] of cues.entries()) {
      const frames = m._cueFrames(number);
      const pcm = new Int16Array(m.HEAPU8.buffer, m._cueSamples(number), frames);
      const samples = Float32Array.from(pcm, (s) => s / 32768);
      self.postMessage({ cue, sampleRate: m._sampleRate(), samples }, [samples.buffer]);
    }
  }).catch((error) => setTimeout(() => { throw error; }));
};
