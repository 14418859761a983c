// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own four cues, made by a small additive synthesiser, so that
// every edition plays the same sounds without carrying sound files.
//
// cueFor() tells which of them a cue path stands for: the file name of the
// path (what follows the last backslash or slash), compared without regard to
// case, as Windows names are. render() gives a cue's samples; it is pure, and
// takes a few milliseconds, so a player renders each cue once, when first asked.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace navicella::synth {

inline constexpr int SampleRate = 44100;

enum class Cue { Start, Right, Wrong, End };

std::optional<Cue> cueFor(std::string_view path);

// Mono signed 16-bit samples at SampleRate: the notes, rising and falling on
// smooth curves so that nothing clicks, then 0.2 s of digital silence.
std::vector<std::int16_t> render(Cue cue);

}  // namespace navicella::synth
