// SPDX-License-Identifier: GPL-3.0-or-later
// Synthesises the game's four bundled cues as WAV files (44.1 kHz, mono,
// 16-bit PCM). Runs at build time: `navicella_cue_synth OUTDIR` writes
// start.wav, right.wav, wrong.wav and end.wav into OUTDIR and exits non-zero
// if it cannot. The output is the same on every run.
//
// Every note rises and falls on smooth curves, so no cue starts, stops or
// joins with a click, and each file ends in 0.2 s of digital silence.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int SampleRate = 44100;
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

std::vector<std::int16_t> render(const std::vector<Note>& notes)
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

// A light two-note call, rising a fourth: the round begins.
std::vector<Note> startCue()
{
    constexpr std::array<double, 4> flute{1.0, 0.25, 0.06, 0.0};
    return {
        {0.00, 0.15, 784.0, 0.8, 0.010, 0.30, flute},   // G5
        {0.13, 0.30, 1046.5, 1.0, 0.010, 0.25, flute},  // C6
    };
}

// A bright chime: one struck bell tone with a quieter one a sixth above.
std::vector<Note> rightCue()
{
    constexpr std::array<double, 4> bell{1.0, 0.30, 0.12, 0.05};
    return {
        {0.00, 0.60, 1568.0, 1.0, 0.004, 0.18, bell},   // G6
        {0.07, 0.50, 2637.0, 0.35, 0.004, 0.14, bell},  // E7
    };
}

// A soft low minor chord that swells in gently: not quite, try again.
std::vector<Note> wrongCue()
{
    constexpr std::array<double, 4> soft{1.0, 0.15, 0.0, 0.0};
    return {
        {0.00, 0.55, 146.8, 1.0, 0.050, 0.40, soft},  // D3
        {0.00, 0.55, 174.6, 0.6, 0.050, 0.40, soft},  // F3
        {0.00, 0.55, 220.0, 0.5, 0.050, 0.40, soft},  // A3
    };
}

// A short fanfare: three quick rising notes, then a held major chord.
std::vector<Note> endCue()
{
    constexpr std::array<double, 4> brass{1.0, 0.45, 0.25, 0.12};
    return {
        {0.00, 0.12, 392.0, 0.7, 0.008, 0.50, brass},   // G4
        {0.11, 0.12, 493.9, 0.7, 0.008, 0.50, brass},   // B4
        {0.22, 0.12, 587.3, 0.7, 0.008, 0.50, brass},   // D5
        {0.33, 0.65, 392.0, 1.0, 0.012, 0.60, brass},   // G4, held
        {0.33, 0.65, 493.9, 0.45, 0.012, 0.60, brass},  // B4
        {0.33, 0.65, 587.3, 0.40, 0.012, 0.60, brass},  // D5
    };
}

void put16(std::ofstream& out, std::uint16_t v)
{
    const std::array<char, 2> b{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.write(b.data(), b.size());
}

void put32(std::ofstream& out, std::uint32_t v)
{
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

bool writeWav(const std::string& path, const std::vector<std::int16_t>& pcm)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    const auto dataBytes = static_cast<std::uint32_t>(pcm.size() * 2);
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, SampleRate);
    put32(out, SampleRate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, dataBytes);
    for (std::int16_t s : pcm)
        put16(out, static_cast<std::uint16_t>(s));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const std::array<std::pair<const char*, std::vector<Note>>, 4> cues{{
        {"start.wav", startCue()},
        {"right.wav", rightCue()},
        {"wrong.wav", wrongCue()},
        {"end.wav", endCue()},
    }};
    for (const auto& [name, notes] : cues) {
        const std::string path = dir + "/" + name;
        if (!writeWav(path, render(notes))) {
            std::fprintf(stderr, "navicella_cue_synth: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
