// SPDX-License-Identifier: GPL-3.0-or-later
// Builds WAV files byte by byte, well-formed or deliberately broken, for the
// decoder's tests.
#pragma once

#include <QByteArray>

#include <cstdint>

namespace navicella::test {

struct WavLayout {
    std::uint16_t encoding = 1;  // 1 PCM, 3 float, 0xFFFE extensible
    std::uint16_t subEncoding = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 44100;
    std::uint16_t bits = 16;
    std::uint16_t blockAlign = 0;  // 0: channels * bytes per sample
};

inline void putLe(QByteArray& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline QByteArray chunk(const char* id, const QByteArray& body)
{
    QByteArray out(id, 4);
    putLe(out, static_cast<std::uint64_t>(body.size()), 4);
    out += body;
    if (body.size() % 2)
        out.append('\0');
    return out;
}

inline QByteArray fmtBody(const WavLayout& l)
{
    const std::uint16_t align =
        l.blockAlign ? l.blockAlign : static_cast<std::uint16_t>(l.channels * ((l.bits + 7) / 8));
    QByteArray body;
    putLe(body, l.encoding, 2);
    putLe(body, l.channels, 2);
    putLe(body, l.rate, 4);
    putLe(body, std::uint64_t{l.rate} * align, 4);
    putLe(body, align, 2);
    putLe(body, l.bits, 2);
    if (l.encoding == 0xFFFE) {
        putLe(body, 22, 2);
        putLe(body, l.bits, 2);
        putLe(body, 0, 4);
        putLe(body, l.subEncoding, 2);
        body.append("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    return body;
}

inline QByteArray riff(const QByteArray& chunks)
{
    QByteArray out("RIFF");
    putLe(out, static_cast<std::uint64_t>(chunks.size() + 4), 4);
    out += "WAVE";
    out += chunks;
    return out;
}

inline QByteArray wav(const WavLayout& layout, const QByteArray& data)
{
    return riff(chunk("fmt ", fmtBody(layout)) + chunk("data", data));
}

}  // namespace navicella::test
