// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a RIFF/WAVE file into mono floating-point samples.
//
// Accepts integer PCM of 8, 16, 24 and 32 bits, IEEE float of 32 and 64
// bits, and the extensible form of either, with any number of channels,
// which are averaged. Anything else, and any file whose chunks contradict
// each other, is refused with a one-line reason; a decoder never throws for
// bad input. A data chunk that runs past the end of the file is cut where the
// file ends, as most players do.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace navicella {

struct DecodedSound {
    int sampleRate = 0;
    std::vector<float> samples;  // mono, full scale is 1
};

class WavDecoder {
public:
    // Larger files are refused: a cue is a short sound.
    static constexpr qsizetype MaxFileBytes = qsizetype{16} * 1024 * 1024;

    // Returns the sound, or an empty sound and the reason in `error`.
    static DecodedSound decode(const QByteArray& file, QString* error);
};

}  // namespace navicella
