// SPDX-License-Identifier: GPL-3.0-or-later
// Small measurements on mono sample runs (full scale 1): where sound is,
// how loud, and at which frequency most of its energy lies.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace navicella::test {

// A run of sound, [begin, end) in samples.
struct Segment {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t length() const { return end - begin; }
};

// Samples quieter than this count as silence (about -50 dBFS).
inline constexpr float SilenceLevel = 0.003f;

// The sound runs of `samples`: stretches louder than `level`, where gaps
// shorter than `minGap` samples do not split a run.
std::vector<Segment> soundSegments(std::span<const float> samples, std::size_t minGap,
                                   float level = SilenceLevel);

// The first sample that jumps from the one before by more than six times the
// typical jump within 2.5 ms around it, and by at least 1 % of full scale;
// 0 if there is none. A tone, or a chord of tones, never jumps like that.
std::size_t clickAt(std::span<const float> samples);

float peak(std::span<const float> samples);

// What sounds in `samples`, however a busy machine may have parted it with
// gaps: the runs of soundSegments(samples, 10 ms) joined without the gaps
// between them, how long they last and where most of their energy lies; and
// how loud `samples` are at most.
struct Sound {
    double seconds = 0.0;
    float peak = 0.0f;
    double hz = 0.0;
};
Sound soundIn(std::span<const float> samples, int rate);
double mean(std::span<const float> samples);

// The frequency between 50 Hz and 5 kHz with the most energy, to within
// about 1 %.
double dominantFrequency(std::span<const float> samples, int rate);

}  // namespace navicella::test
