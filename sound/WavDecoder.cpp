// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/WavDecoder.h"

#include "sound/PcmConversion.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace navicella {

namespace {

constexpr std::uint16_t FormatPcm = 1;
constexpr std::uint16_t FormatFloat = 3;
constexpr std::uint16_t FormatExtensible = 0xFFFE;

std::uint32_t le(const char* p, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

struct Format {
    std::uint16_t encoding = 0;
    int channels = 0;
    int sampleRate = 0;
    int blockAlign = 0;
    int bits = 0;
};

std::optional<Format> readFormat(const char* p, std::uint32_t size, QString* error)
{
    if (size < 16) {
        *error = QStringLiteral("format chunk too short");
        return std::nullopt;
    }
    Format f;
    f.encoding = static_cast<std::uint16_t>(le(p, 2));
    f.channels = static_cast<int>(le(p + 2, 2));
    f.sampleRate = static_cast<int>(std::min<std::uint32_t>(le(p + 4, 4), INT32_MAX));
    f.blockAlign = static_cast<int>(le(p + 12, 2));
    f.bits = static_cast<int>(le(p + 14, 2));
    if (f.encoding == FormatExtensible) {
        if (size < 40) {
            *error = QStringLiteral("extensible format chunk too short");
            return std::nullopt;
        }
        // The sub-format GUID starts with the plain format code.
        f.encoding = static_cast<std::uint16_t>(le(p + 24, 2));
    }
    if (f.encoding != FormatPcm && f.encoding != FormatFloat) {
        *error = QStringLiteral("unsupported encoding %1").arg(f.encoding);
        return std::nullopt;
    }
    if (f.channels < 1 || f.channels > 32 || f.sampleRate < 1000 || f.sampleRate > 768000) {
        *error = QStringLiteral("implausible format: %1 channels at %2 Hz")
                     .arg(f.channels)
                     .arg(f.sampleRate);
        return std::nullopt;
    }
    const int container = f.blockAlign / f.channels;
    const bool pcmOk = f.encoding == FormatPcm && container >= 1 && container <= 4 && f.bits >= 1 &&
                       f.bits <= 8 * container;
    const bool floatOk =
        f.encoding == FormatFloat && (container == 4 || container == 8) && f.bits == 8 * container;
    if (f.blockAlign != container * f.channels || (!pcmOk && !floatOk)) {
        *error = QStringLiteral("unsupported sample layout: %1 bits in %2-byte frames")
                     .arg(f.bits)
                     .arg(f.blockAlign);
        return std::nullopt;
    }
    return f;
}

float sampleAt(const char* p, const Format& f, int container)
{
    if (f.encoding == FormatFloat) {
        if (container == 4) {
            const auto v = std::bit_cast<float>(le(p, 4));
            return std::isfinite(v) ? v : 0.0f;
        }
        const std::uint64_t bits = le(p, 4) | (std::uint64_t{le(p + 4, 4)} << 32);
        const auto v = std::bit_cast<double>(bits);
        return std::isfinite(v) ? static_cast<float>(v) : 0.0f;
    }
    if (container == 1)  // 8-bit WAV is unsigned, centred on 128
        return (static_cast<float>(static_cast<unsigned char>(*p)) - 128.0f) / 128.0f;
    // Sign-extend from the container's top bit; unused low bits are zero.
    const int shift = 32 - 8 * container;
    const auto v = static_cast<std::int32_t>(le(p, container) << shift);
    return static_cast<float>(v) / 2147483648.0f;
}

}  // namespace

std::optional<WavDecoder::Layout> WavDecoder::parse(const QByteArray& file, QString* error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    error->clear();
    const qsizetype total = file.size();
    if (total > MaxFileBytes) {
        *error = QStringLiteral("file larger than %1 bytes").arg(MaxFileBytes);
        return std::nullopt;
    }
    const char* base = file.constData();
    if (total < 12 || std::memcmp(base, "RIFF", 4) != 0 || std::memcmp(base + 8, "WAVE", 4) != 0) {
        *error = QStringLiteral("not a RIFF/WAVE file");
        return std::nullopt;
    }

    std::optional<Format> format;
    const char* data = nullptr;
    qsizetype dataBytes = 0;
    qsizetype at = 12;
    while (at + 8 <= total && !(format && data)) {
        const char* chunk = base + at;
        const std::uint32_t size = le(chunk + 4, 4);
        const qsizetype available = total - at - 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size > available) {
                *error = QStringLiteral("format chunk runs past the end of the file");
                return std::nullopt;
            }
            format = readFormat(chunk + 8, size, error);
            if (!format)
                return std::nullopt;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!format) {
                *error = QStringLiteral("data chunk before the format chunk");
                return std::nullopt;
            }
            data = chunk + 8;
            dataBytes = std::min<qsizetype>(size, available);
        }
        // Chunks are padded to an even length.
        at += 8 + static_cast<qsizetype>(size) + (size & 1);
    }
    if (!format) {
        *error = QStringLiteral("no format chunk");
        return std::nullopt;
    }
    const qsizetype frames = data ? dataBytes / format->blockAlign : 0;
    if (frames == 0) {
        *error = QStringLiteral("no sound data");
        return std::nullopt;
    }
    return Layout{format->encoding == FormatFloat,
                  format->channels,
                  format->sampleRate,
                  format->bits,
                  format->blockAlign,
                  data - base,
                  frames};
}

DecodedSound WavDecoder::decode(const QByteArray& file, QString* error)
{
    const std::optional<Layout> layout = parse(file, error);
    if (!layout)
        return {};
    const Format format{layout->isFloat ? FormatFloat : FormatPcm, layout->channels,
                        layout->sampleRate, layout->blockAlign, layout->bits};
    const char* data = file.constData() + layout->dataOffset;

    DecodedSound sound;
    sound.sampleRate = format.sampleRate;
    sound.samples.resize(static_cast<std::size_t>(layout->frames));
    const int container = format.blockAlign / format.channels;
    const float perChannel = 1.0f / static_cast<float>(format.channels);
    for (qsizetype i = 0; i < layout->frames; ++i) {
        const char* frame = data + i * format.blockAlign;
        float sum = 0.0f;
        for (int c = 0; c < format.channels; ++c)
            sum += sampleAt(frame + static_cast<std::ptrdiff_t>(c) * container, format, container);
        sound.samples[static_cast<std::size_t>(i)] = std::clamp(sum * perChannel, -1.0f, 1.0f);
    }
    return sound;
}

QByteArray WavDecoder::monoInt16(const QByteArray& file, int sampleRate, QString* error)
{
    const std::optional<Layout> layout = parse(file, error);
    if (!layout)
        return {};
    if (layout->isMono16At(sampleRate))
        return file.mid(layout->dataOffset, layout->frames * 2);

    const DecodedSound sound = decode(file, error);
    const std::vector<float> samples = pcm::resample(sound.samples, sound.sampleRate, sampleRate);
    QAudioFormat mono16;
    mono16.setSampleRate(sampleRate);
    mono16.setChannelCount(1);
    mono16.setSampleFormat(QAudioFormat::Int16);
    QByteArray out(pcm::bytesFor(static_cast<qsizetype>(samples.size()), mono16), Qt::Uninitialized);
    pcm::writeFrames(samples, mono16, out.data());
    return out;
}

}  // namespace navicella
