// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/CueSynth.h"

#include "game/Constants.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>

namespace navicella::synth {
namespace {

constexpr double TailPadSeconds = 0.2;
// Loud enough over a laptop speaker, far enough from full scale for any
// resampling or mixing downstream to stay clear of clipping.
constexpr double PeakLevel = 0.56;  // about -5 dBFS

struct Note {
    double start;                     // seconds
    double length;                    // seconds, release included
    double frequency;                 // Hz
    double gain;                      // relative to the other notes of the cue
    double attack;                    // seconds of the raised-cosine rise
    double decay;                     // time constant of the exponential fall, seconds
    std::array<double, 4> harmonics;  // amplitudes of partials 1..4
};

constexpr double Release = 0.04;  // every note closes on a 40 ms half-cosine

// A light two-note call, rising a fourth: the round begins.
constexpr std::array<double, 4> Flute{1.0, 0.25, 0.06, 0.0};
constexpr std::array<Note, 2> StartNotes{{
    {0.00, 0.15, 784.0, 0.8, 0.010, 0.30, Flute},   // G5
    {0.13, 0.30, 1046.5, 1.0, 0.010, 0.25, Flute},  // C6
}};

// A bright chime: one struck bell tone with a quieter one a sixth above.
constexpr std::array<double, 4> Bell{1.0, 0.30, 0.12, 0.05};
constexpr std::array<Note, 2> RightNotes{{
    {0.00, 0.60, 1568.0, 1.0, 0.004, 0.18, Bell},   // G6
    {0.07, 0.50, 2637.0, 0.35, 0.004, 0.14, Bell},  // E7
}};

// A soft low minor chord that swells in gently: not quite, try again.
constexpr std::array<double, 4> Soft{1.0, 0.15, 0.0, 0.0};
constexpr std::array<Note, 3> WrongNotes{{
    {0.00, 0.55, 146.8, 1.0, 0.050, 0.40, Soft},  // D3
    {0.00, 0.55, 174.6, 0.6, 0.050, 0.40, Soft},  // F3
    {0.00, 0.55, 220.0, 0.5, 0.050, 0.40, Soft},  // A3
}};

// A short fanfare: three quick rising notes, then a held major chord.
constexpr std::array<double, 4> Brass{1.0, 0.45, 0.25, 0.12};
constexpr std::array<Note, 6> EndNotes{{
    {0.00, 0.12, 392.0, 0.7, 0.008, 0.50, Brass},   // G4
    {0.11, 0.12, 493.9, 0.7, 0.008, 0.50, Brass},   // B4
    {0.22, 0.12, 587.3, 0.7, 0.008, 0.50, Brass},   // D5
    {0.33, 0.65, 392.0, 1.0, 0.012, 0.60, Brass},   // G4, held
    {0.33, 0.65, 493.9, 0.45, 0.012, 0.60, Brass},  // B4
    {0.33, 0.65, 587.3, 0.40, 0.012, 0.60, Brass},  // D5
}};

double envelope(const Note& n, double t)
{
    if (t < 0.0 || t >= n.length)
        return 0.0;
    double e = std::exp(-t / n.decay);
    if (t < n.attack)
        e *= 0.5 - 0.5 * std::cos(std::numbers::pi * t / n.attack);
    const double untilEnd = n.length - t;
    if (untilEnd < Release)
        e *= 0.5 - 0.5 * std::cos(std::numbers::pi * untilEnd / Release);
    return e;
}

std::vector<std::int16_t> renderNotes(std::span<const Note> notes)
{
    double end = 0.0;
    for (const Note& n : notes)
        end = std::max(end, n.start + n.length);
    const auto soundFrames = static_cast<std::size_t>(std::ceil(end * SampleRate));

    std::vector<double> mix(soundFrames, 0.0);
    for (const Note& n : notes) {
        const auto first = static_cast<std::size_t>(std::floor(n.start * SampleRate));
        for (std::size_t i = first; i < soundFrames; ++i) {
            const double t = static_cast<double>(i) / SampleRate - n.start;
            const double e = envelope(n, t);
            if (e == 0.0 && t > 0.0)
                break;
            double v = 0.0;
            for (std::size_t h = 0; h < n.harmonics.size(); ++h) {
                const double k = static_cast<double>(h + 1);
                v += n.harmonics[h] * std::sin(2.0 * std::numbers::pi * k * n.frequency * t);
            }
            mix[i] += n.gain * e * v;
        }
    }

    double peak = 0.0;
    for (double v : mix)
        peak = std::max(peak, std::abs(v));
    const double scale = peak > 0.0 ? PeakLevel * 32767.0 / peak : 0.0;

    const auto padFrames = static_cast<std::size_t>(TailPadSeconds * SampleRate);
    std::vector<std::int16_t> pcm(soundFrames + padFrames, 0);
    for (std::size_t i = 0; i < soundFrames; ++i)
        pcm[i] = static_cast<std::int16_t>(std::lround(mix[i] * scale));
    return pcm;
}

std::string_view fileName(std::string_view path)
{
    const auto slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

std::optional<Cue> cueFor(std::string_view path)
{
    constexpr std::array<std::pair<std::string_view, Cue>, 4> Paths{{
        {cue::StartCue, Cue::Start},
        {cue::RightCue, Cue::Right},
        {cue::WrongCue, Cue::Wrong},
        {cue::EndCue, Cue::End},
    }};
    const std::string_view name = fileName(path);
    for (const auto& [cuePath, cue] : Paths) {
        if (!name.empty() && sameIgnoringCase(name, fileName(cuePath)))
            return cue;
    }
    return std::nullopt;
}

std::vector<std::int16_t> render(Cue cue)
{
    switch (cue) {
    case Cue::Start: return renderNotes(StartNotes);
    case Cue::Right: return renderNotes(RightNotes);
    case Cue::Wrong: return renderNotes(WrongNotes);
    case Cue::End: return renderNotes(EndNotes);
    }
    return {};
}

}  // namespace navicella::synth
