// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/PcmConversion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace navicella::pcm {

std::vector<float> resample(std::span<const float> samples, int fromRate, int toRate)
{
    if (fromRate <= 0 || toRate <= 0 || samples.empty())
        return {};
    if (fromRate == toRate)
        return {samples.begin(), samples.end()};
    const double step = static_cast<double>(fromRate) / toRate;
    const auto frames =
        static_cast<std::size_t>(std::floor(static_cast<double>(samples.size() - 1) / step) + 1);
    std::vector<float> out(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double position = static_cast<double>(i) * step;
        const auto left = static_cast<std::size_t>(position);
        const auto right = std::min(left + 1, samples.size() - 1);
        const auto fraction = static_cast<float>(position - static_cast<double>(left));
        out[i] = samples[left] + (samples[right] - samples[left]) * fraction;
    }
    return out;
}

qsizetype bytesFor(qsizetype frames, const QAudioFormat& format)
{
    return frames * format.bytesPerFrame();
}

namespace {

template <typename T>
void put(char* out, T value)
{
    std::memcpy(out, &value, sizeof value);
}

}  // namespace

bool writeFrames(std::span<const float> samples, const QAudioFormat& format, char* out)
{
    const int channels = format.channelCount();
    const int width = format.bytesPerSample();
    if (channels < 1 || width < 1)
        return false;
    for (float s : samples) {
        const float v = std::clamp(s, -1.0f, 1.0f);
        char sample[4];
        switch (format.sampleFormat()) {
            // Scaled the way the decoder reads, so that 16-bit sound comes out
            // exactly as it went in; only full positive scale needs clamping.
            case QAudioFormat::UInt8:
                put(sample,
                    static_cast<std::uint8_t>(std::clamp(std::lround(v * 128.0f) + 128, 0L, 255L)));
                break;
            case QAudioFormat::Int16:
                put(sample, static_cast<std::int16_t>(
                                std::clamp(std::lround(v * 32768.0f), -32768L, 32767L)));
                break;
            case QAudioFormat::Int32:
                put(sample, static_cast<std::int32_t>(
                                std::clamp(std::llround(static_cast<double>(v) * 2147483648.0),
                                           -2147483648LL, 2147483647LL)));
                break;
            case QAudioFormat::Float:
                put(sample, v);
                break;
            default:
                return false;
        }
        for (int c = 0; c < channels; ++c, out += width)
            std::memcpy(out, sample, static_cast<std::size_t>(width));
    }
    return true;
}

}  // namespace navicella::pcm
