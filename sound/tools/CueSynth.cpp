// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the game's four own cues as WAV files (44.1 kHz, mono, 16-bit PCM).
// Runs at build time: `navicella_cue_synth OUTDIR` writes start.wav,
// right.wav, wrong.wav and end.wav into OUTDIR and exits non-zero if it
// cannot.
#include "game/CueSynth.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using navicella::synth::Cue;
using navicella::synth::SampleRate;

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
    const std::array<std::pair<const char*, Cue>, 4> cues{{
        {"start.wav", Cue::Start},
        {"right.wav", Cue::Right},
        {"wrong.wav", Cue::Wrong},
        {"end.wav", Cue::End},
    }};
    for (const auto& [name, cue] : cues) {
        const std::string path = dir + "/" + name;
        if (!writeWav(path, navicella::synth::render(cue))) {
            std::fprintf(stderr, "navicella_cue_synth: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
