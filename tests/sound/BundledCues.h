// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own four cues, rendered once, with the measurements the
// sound tests compare recordings against.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace navicella::test {

struct BundledCue {
    std::string name;   // start, right, wrong, end
    std::string path;   // the game's fixed path that selects it
    double expectedHz;  // where the synthesiser puts most of its energy
    std::vector<float> samples;
    std::size_t soundLength = 0;  // up to the last sample above the silence level
    double dominantHz = 0.0;
};

const std::array<BundledCue, 4>& bundledCues();
const BundledCue& bundledCue(const std::string& name);

}  // namespace navicella::test
