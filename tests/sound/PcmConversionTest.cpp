// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/PcmConversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace navicella::test {
namespace {

TEST(PcmConversion, ResamplesByLinearInterpolation)
{
    const std::vector<float> ramp{0.0f, 0.4f, 0.8f};
    struct Case {
        int from;
        int to;
        std::vector<float> expected;
    };
    const std::vector<Case> cases{
        {44100, 44100, {0.0f, 0.4f, 0.8f}},
        {22050, 44100, {0.0f, 0.2f, 0.4f, 0.6f, 0.8f}},
        {44100, 22050, {0.0f, 0.8f}},
        {0, 44100, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
        const std::vector<float> out = pcm::resample(ramp, c.from, c.to);
        ASSERT_EQ(out.size(), c.expected.size());
        for (std::size_t i = 0; i < out.size(); ++i)
            EXPECT_NEAR(out[i], c.expected[i], 1e-6);
    }
    // A second of sound stays a second long.
    EXPECT_NEAR(static_cast<double>(pcm::resample(std::vector<float>(48000), 48000, 44100).size()),
                44100.0, 1.0);
}

template <typename T>
T at(const QByteArray& bytes, int index)
{
    T v;
    std::memcpy(&v, bytes.constData() + index * static_cast<int>(sizeof(T)), sizeof v);
    return v;
}

QAudioFormat format(QAudioFormat::SampleFormat sample, int channels)
{
    QAudioFormat f;
    f.setSampleRate(44100);
    f.setChannelCount(channels);
    f.setSampleFormat(sample);
    return f;
}

TEST(PcmConversion, WritesEverySampleFormatIntoEveryChannel)
{
    const std::vector<float> samples{0.5f, -1.0f, 2.0f};  // the last one clips
    for (int channels : {1, 2, 6}) {
        SCOPED_TRACE(channels);
        const auto write = [&](QAudioFormat::SampleFormat sample) {
            const QAudioFormat f = format(sample, channels);
            QByteArray out(pcm::bytesFor(3, f), '\x55');
            EXPECT_TRUE(pcm::writeFrames(samples, f, out.data()));
            return out;
        };
        const QByteArray i16 = write(QAudioFormat::Int16);
        const QByteArray i32 = write(QAudioFormat::Int32);
        const QByteArray u8 = write(QAudioFormat::UInt8);
        const QByteArray f32 = write(QAudioFormat::Float);
        for (int c = 0; c < channels; ++c) {
            EXPECT_EQ(at<std::int16_t>(i16, c), 16384);
            EXPECT_EQ(at<std::int16_t>(i16, channels + c), -32768);
            EXPECT_EQ(at<std::int16_t>(i16, 2 * channels + c), 32767);
            EXPECT_EQ(at<std::int32_t>(i32, c), 1073741824);
            EXPECT_EQ(at<std::int32_t>(i32, channels + c), -2147483647 - 1);
            EXPECT_EQ(at<std::int32_t>(i32, 2 * channels + c), 2147483647);
            EXPECT_EQ(at<std::uint8_t>(u8, c), 192);
            EXPECT_EQ(at<std::uint8_t>(u8, channels + c), 0);
            EXPECT_EQ(at<std::uint8_t>(u8, 2 * channels + c), 255);
            EXPECT_EQ(at<float>(f32, channels + c), -1.0f);
        }
    }
    QByteArray untouched(8, '\x55');
    EXPECT_FALSE(pcm::writeFrames(samples, QAudioFormat(), untouched.data()));
    EXPECT_EQ(untouched, QByteArray(8, '\x55'));
}

}  // namespace
}  // namespace navicella::test
