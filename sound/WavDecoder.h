// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a RIFF/WAVE file into mono samples, floating-point or 16-bit.
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

#include <optional>
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

    // Where a file's sound lies and how it is stored.
    struct Layout {
        bool isFloat = false;
        int channels = 0;
        int sampleRate = 0;
        int bits = 0;
        int blockAlign = 0;       // bytes per frame
        qsizetype dataOffset = 0; // of the first frame, from the start of the file
        qsizetype frames = 0;     // whole frames in the file

        // Whether the frames are already mono 16-bit samples at `rate`.
        bool isMono16At(int rate) const
        {
            return !isFloat && channels == 1 && bits == 16 && blockAlign == 2 && sampleRate == rate;
        }
    };

    // The layout of a file that decode() accepts; otherwise nothing, and
    // the reason in `error`.
    static std::optional<Layout> parse(const QByteArray& file, QString* error);

    // Returns the sound, or an empty sound and the reason in `error`.
    static DecodedSound decode(const QByteArray& file, QString* error);

    // The sound as mono signed 16-bit little-endian samples at `sampleRate`,
    // or an empty array and the reason in `error`.
    static QByteArray monoInt16(const QByteArray& file, int sampleRate, QString* error);
};

}  // namespace navicella
