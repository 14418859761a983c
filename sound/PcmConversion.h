// SPDX-License-Identifier: GPL-3.0-or-later
// Brings mono floating-point sound to what an audio output takes: its
// sample rate, its channel count and its sample format.
#pragma once

#include <QAudioFormat>

#include <span>
#include <vector>

namespace navicella::pcm {

// Linear interpolation from one rate to another; plenty for short cues.
std::vector<float> resample(std::span<const float> samples, int fromRate, int toRate);

// Bytes needed for `frames` frames of `format`.
qsizetype bytesFor(qsizetype frames, const QAudioFormat& format);

// Writes `samples` as frames of `format` into `out` (bytesFor(size) bytes),
// copying the one mono sample into every channel. Formats without a sample
// format write nothing and return false.
bool writeFrames(std::span<const float> samples, const QAudioFormat& format, char* out);

}  // namespace navicella::pcm
