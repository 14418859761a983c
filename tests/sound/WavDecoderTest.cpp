// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavBuilder.h"
#include "sound/WavDecoder.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <string>
#include <vector>

namespace navicella::test {
namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

QByteArray floats32(std::initializer_list<float> values)
{
    QByteArray out;
    for (float v : values)
        putLe(out, std::bit_cast<std::uint32_t>(v), 4);
    return out;
}

QByteArray floats64(std::initializer_list<double> values)
{
    QByteArray out;
    for (double v : values)
        putLe(out, std::bit_cast<std::uint64_t>(v), 8);
    return out;
}

struct GoodCase {
    const char* name;
    QByteArray file;
    int rate;
    std::vector<float> samples;
};

TEST(WavDecoder, ReadsEverySampleLayout)
{
    const std::vector<GoodCase> cases{
        {"8-bit unsigned",
         wav({.bits = 8}, bytes({128, 255, 0, 192})),
         44100,
         {0.0f, 127.0f / 128, -1.0f, 0.5f}},
        {"16-bit",
         wav({.rate = 22050}, bytes({0x00, 0x40, 0x00, 0xC0, 0xFF, 0x7F})),
         22050,
         {0.5f, -0.5f, 32767.0f / 32768}},
        {"24-bit",
         wav({.bits = 24}, bytes({0x00, 0x00, 0x40, 0x00, 0x00, 0x80})),
         44100,
         {0.5f, -1.0f}},
        {"32-bit",
         wav({.bits = 32}, bytes({0, 0, 0, 0x20, 0, 0, 0, 0xE0})),
         44100,
         {0.25f, -0.25f}},
        {"20 bits in 3 bytes",
         wav({.bits = 20, .blockAlign = 3}, bytes({0x00, 0x00, 0x40})),
         44100,
         {0.5f}},
        {"float 32",
         wav({.encoding = 3, .bits = 32}, floats32({0.25f, -0.75f})),
         44100,
         {0.25f, -0.75f}},
        {"float 64",
         wav({.encoding = 3, .bits = 64}, floats64({0.125, -1.0})),
         44100,
         {0.125f, -1.0f}},
        {"float out of range is clamped",
         wav({.encoding = 3, .bits = 32}, floats32({3.0f, -2.0f})),
         44100,
         {1.0f, -1.0f}},
        {"extensible PCM",
         wav({.encoding = 0xFFFE, .subEncoding = 1}, bytes({0x00, 0x20})),
         44100,
         {0.25f}},
        {"extensible float",
         wav({.encoding = 0xFFFE, .subEncoding = 3, .bits = 32}, floats32({-0.5f})),
         44100,
         {-0.5f}},
        {"stereo is averaged",
         wav({.channels = 2}, bytes({0x00, 0x40, 0x00, 0x00, 0x00, 0xC0, 0x00, 0xC0})),
         44100,
         {0.25f, -0.5f}},
        {"chunks before fmt, odd sizes padded",
         riff(chunk("LIST", "abc") + chunk("fmt ", fmtBody({.rate = 8000})) + chunk("fact", "x") +
              chunk("data", bytes({0x00, 0x40}))),
         8000,
         {0.5f}},
        {"data running past the end is cut there",
         riff(chunk("fmt ", fmtBody({})) + QByteArray("data\xFF\xFF\x00\x00", 8) +
              bytes({0x00, 0x40, 0x00, 0xC0, 0x01})),
         44100,
         {0.5f, -0.5f}},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        const DecodedSound sound = WavDecoder::decode(c.file, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_EQ(sound.sampleRate, c.rate);
        ASSERT_EQ(sound.samples.size(), c.samples.size());
        for (std::size_t i = 0; i < c.samples.size(); ++i)
            EXPECT_NEAR(sound.samples[i], c.samples[i], 1e-6) << "sample " << i;
    }
}

struct BadCase {
    const char* name;
    QByteArray file;
};

TEST(WavDecoder, RefusesBrokenFilesWithAReason)
{
    const QByteArray sample = bytes({0x00, 0x40});
    const std::vector<BadCase> cases{
        {"empty", {}},
        {"not RIFF", QByteArray("RIFX....WAVEfmt ")},
        {"RIFF but not WAVE", riff({}).replace(8, 4, "AVI ")},
        {"no format chunk", riff(chunk("data", sample))},
        {"data before format", riff(chunk("data", sample) + chunk("fmt ", fmtBody({})))},
        {"format chunk too short",
         riff(chunk("fmt ", fmtBody({}).left(14)) + chunk("data", sample))},
        {"format chunk past the end", riff(QByteArray("fmt \x28\x00\x00\x00", 8) + fmtBody({}))},
        {"extensible chunk too short",
         riff(chunk("fmt ", fmtBody({.encoding = 0xFFFE}).left(24)) + chunk("data", sample))},
        {"ADPCM", wav({.encoding = 2, .bits = 4, .blockAlign = 1}, sample)},
        {"mu-law", wav({.encoding = 7, .bits = 8}, sample)},
        {"extensible of another kind", wav({.encoding = 0xFFFE, .subEncoding = 2}, sample)},
        {"no channels", wav({.channels = 0, .blockAlign = 2}, sample)},
        {"sample rate zero", wav({.rate = 0}, sample)},
        {"block too small", wav({.channels = 2, .blockAlign = 2}, sample)},
        {"more bits than the container", wav({.bits = 24, .blockAlign = 2}, sample)},
        {"float of 16 bits", wav({.encoding = 3, .bits = 16}, sample)},
        {"no data chunk", riff(chunk("fmt ", fmtBody({})))},
        {"empty data", wav({}, {})},
        {"less than one frame", wav({.channels = 2}, sample)},
        {"too large", riff(chunk("fmt ", fmtBody({})) +
                           chunk("data", QByteArray(WavDecoder::MaxFileBytes, '\0')))},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        const DecodedSound sound = WavDecoder::decode(c.file, &error);
        EXPECT_TRUE(sound.samples.empty());
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(error.contains(u'\n'));
    }
}

// Damaged copies of a good file must never read outside it or hang; run
// under AddressSanitizer this is where an off-by-one would show.
TEST(WavDecoder, SurvivesRandomDamage)
{
    QByteArray good = wav({.channels = 2, .bits = 24}, QByteArray(600, '\x11'));
    std::mt19937 random(20071207);
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = good;
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < changes; ++i) {
            const auto at =
                static_cast<qsizetype>(random() % static_cast<unsigned>(damaged.size()));
            damaged[at] = static_cast<char>(random());
        }
        if (round % 3 == 0)
            damaged.truncate(
                static_cast<qsizetype>(random() % static_cast<unsigned>(damaged.size())));
        QString error;
        const DecodedSound sound = WavDecoder::decode(damaged, &error);
        EXPECT_EQ(sound.samples.empty(), !error.isEmpty());
        for (float s : sound.samples)
            ASSERT_TRUE(s >= -1.0f && s <= 1.0f);
    }
}

// The player's form: mono 16-bit at the output's rate. A file already in that
// form gives its data chunk as it is; any other is converted.
TEST(WavDecoder, GivesMono16BitSoundAtTheAskedRate)
{
    struct Case {
        const char* name;
        QByteArray file;
        int rate;
        QByteArray expected;
    };
    const QByteArray ramp = bytes({0x00, 0x00, 0x00, 0x40, 0x00, 0xC0, 0xFF, 0x7F});
    const std::vector<Case> cases{
        {"already in form", wav({}, ramp), 44100, ramp},
        {"already in form, odd trailing byte dropped", wav({}, ramp + '\x12'), 44100, ramp},
        {"stereo averaged", wav({.channels = 2}, bytes({0x00, 0x40, 0x00, 0x20})), 44100,
         bytes({0x00, 0x30})},
        {"8-bit widened", wav({.bits = 8}, bytes({128, 192, 64})), 44100,
         bytes({0x00, 0x00, 0x00, 0x40, 0x00, 0xC0})},
        {"float, full scale clamped", wav({.encoding = 3, .bits = 32}, floats32({1.0f, -1.0f})),
         44100, bytes({0xFF, 0x7F, 0x00, 0x80})},
        {"half the rate, interpolated", wav({.rate = 22050}, bytes({0x00, 0x00, 0x00, 0x40})),
         44100, bytes({0x00, 0x00, 0x00, 0x20, 0x00, 0x40})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        EXPECT_EQ(WavDecoder::monoInt16(c.file, c.rate, &error).toHex(' ').toStdString(),
                  c.expected.toHex(' ').toStdString());
        EXPECT_EQ(error.toStdString(), "");
    }

    QString error;
    EXPECT_TRUE(WavDecoder::monoInt16(QByteArray("RIFF"), 44100, &error).isEmpty());
    EXPECT_EQ(error.toStdString(), "not a RIFF/WAVE file");
}

// Where the frames lie: what lets the player play a file in place.
TEST(WavDecoder, FindsTheFramesOfAFile)
{
    const QByteArray file =
        riff(chunk("fmt ", fmtBody({.rate = 48000})) + chunk("LIST", QByteArray(3, 'x')) +
             chunk("data", QByteArray(10, '\x05')));
    QString error;
    const auto layout = WavDecoder::parse(file, &error);
    ASSERT_TRUE(layout) << error.toStdString();
    EXPECT_EQ(layout->dataOffset, 12 + 24 + 12 + 8);
    EXPECT_EQ(layout->frames, 5);
    EXPECT_TRUE(layout->isMono16At(48000));
    EXPECT_FALSE(layout->isMono16At(44100));
    EXPECT_FALSE(WavDecoder::parse(wav({.channels = 2}, QByteArray(8, '\0')), &error)
                     ->isMono16At(44100));
}

}  // namespace
}  // namespace navicella::test
