// SPDX-License-Identifier: GPL-3.0-or-later
#include "BundledCues.h"

#include "Analysis.h"
#include "game/Constants.h"
#include "game/CueSynth.h"

#include <stdexcept>

namespace navicella::test {

namespace {

BundledCue load(const char* name, std::string_view path, double expectedHz)
{
    BundledCue cue{name, std::string(path), expectedHz, {}, 0, 0.0};
    for (std::int16_t sample : synth::render(synth::cueFor(path).value()))
        cue.samples.push_back(static_cast<float>(sample) / 32768.0f);
    const auto runs = soundSegments(cue.samples, cue.samples.size());
    cue.soundLength = runs.empty() ? 0 : runs.back().end;
    cue.dominantHz = dominantFrequency(cue.samples, 44100);
    return cue;
}

}  // namespace

const std::array<BundledCue, 4>& bundledCues()
{
    static const std::array<BundledCue, 4> cues{
        load("start", cue::StartCue, 1046.5),
        load("right", cue::RightCue, 1568.0),
        load("wrong", cue::WrongCue, 146.8),
        load("end", cue::EndCue, 392.0),
    };
    return cues;
}

const BundledCue& bundledCue(const std::string& name)
{
    for (const BundledCue& cue : bundledCues()) {
        if (cue.name == name)
            return cue;
    }
    throw std::invalid_argument("no bundled cue " + name);
}

}  // namespace navicella::test
