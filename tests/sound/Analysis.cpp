// SPDX-License-Identifier: GPL-3.0-or-later
#include "Analysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace navicella::test {

std::vector<Segment> soundSegments(std::span<const float> samples, std::size_t minGap, float level)
{
    std::vector<Segment> runs;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) <= level)
            continue;
        if (!runs.empty() && i - runs.back().end < minGap)
            runs.back().end = i + 1;
        else
            runs.push_back({i, i + 1});
    }
    return runs;
}

// The jump of a tone of amplitude a and frequency f is at most 2 pi f a / rate,
// within a few times its mean; a step of sound switched on is far beyond that.
std::size_t clickAt(std::span<const float> s)
{
    constexpr std::size_t Half = 110;
    std::vector<double> sum(s.size() + 1, 0.0);  // running sum of squared steps
    for (std::size_t i = 1; i < s.size(); ++i) {
        const double step = s[i] - s[i - 1];
        sum[i + 1] = sum[i] + step * step;
    }
    for (std::size_t i = 1; i < s.size(); ++i) {
        const std::size_t from = i > Half ? i - Half : 1;
        const std::size_t to = std::min(s.size(), i + Half);
        const double rms = std::sqrt((sum[to] - sum[from]) / static_cast<double>(to - from));
        const double step = std::abs(s[i] - s[i - 1]);
        if (step > 0.01 && step > 6.0 * rms)
            return i;
    }
    return 0;
}

float peak(std::span<const float> samples)
{
    float p = 0.0f;
    for (float s : samples)
        p = std::max(p, std::abs(s));
    return p;
}

Sound soundIn(std::span<const float> samples, int rate)
{
    std::vector<float> joined;
    for (const Segment& run : soundSegments(samples, static_cast<std::size_t>(rate / 100)))
        joined.insert(joined.end(), samples.begin() + std::ptrdiff_t(run.begin),
                      samples.begin() + std::ptrdiff_t(run.end));
    return {static_cast<double>(joined.size()) / rate, peak(samples),
            dominantFrequency(joined, rate)};
}

double mean(std::span<const float> samples)
{
    double sum = 0.0;
    for (float s : samples)
        sum += s;
    return samples.empty() ? 0.0 : sum / static_cast<double>(samples.size());
}

namespace {

std::vector<double> hann(std::span<const float> samples)
{
    const std::size_t n = samples.size();
    std::vector<double> windowed(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                              static_cast<double>(n - 1));
        windowed[i] = w * samples[i];
    }
    return windowed;
}

double goertzel(const std::vector<double>& windowed, int rate, double hz)
{
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * hz / rate);
    double s1 = 0.0;
    double s2 = 0.0;
    for (double x : windowed) {
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

}  // namespace

// Goertzel's single-bin power over a Hann window, on a logarithmic grid of
// 0.5 % steps: fine enough to tell notes a semitone apart, cheap enough for
// a second of sound.
double dominantFrequency(std::span<const float> samples, int rate)
{
    const std::size_t n = samples.size();
    if (n < 64)
        return 0.0;
    const std::vector<double> windowed = hann(samples);
    double best = 0.0;
    double bestPower = -1.0;
    for (double f = 50.0; f <= 5000.0; f *= 1.005) {
        const double power = goertzel(windowed, rate, f);
        if (power > bestPower) {
            bestPower = power;
            best = f;
        }
    }
    return best;
}

}  // namespace navicella::test
