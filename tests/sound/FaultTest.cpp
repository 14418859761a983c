// SPDX-License-Identifier: GPL-3.0-or-later
// What goes wrong around the player ends in silence, one line on stderr at
// most, and a player that goes on working.
#include "Analysis.h"
#include "BundledCues.h"
#include "CueSession.h"
#include "RetryOnce.h"
#include "WavBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <span>

namespace navicella::test {
namespace {

class CueFaults : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_recorder = CueSession::sharedRecorder(); }

    // The loudest sample the sink carried from `fromNs` for `seconds`.
    static float loudestSince(std::int64_t fromNs, double seconds)
    {
        const Recording r = s_recorder->snapshot();
        const std::size_t from = r.indexAt(fromNs);
        const auto length = static_cast<std::size_t>(seconds * Recording::Rate);
        return peak(std::span(r.samples).subspan(from, std::min(length, r.samples.size() - from)));
    }

    static SinkRecorder* s_recorder;
};

SinkRecorder* CueFaults::s_recorder = nullptr;

std::string local(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Runs in a session with a sink and a bogus server address, and under
// session.sh --no-audio, where there is no server at all.
TEST_F(CueFaults, NoSoundServerMeansSilenceOneLineAndNoDelay)
{
    std::vector<std::string> environment;
    if (CueSession::hasSink())
        environment.push_back("PULSE_SERVER=unix:/nonexistent/navicella-pulse");
    CueSession session(s_recorder, {}, environment);
    ASSERT_TRUE(session.ready());
    EXPECT_FALSE(session.audible());
    // Creating the player costs the window nothing: the sound thread does
    // the connecting.
    EXPECT_LT(session.constructionNs(), 20'000'000);
    EXPECT_LT(session.readyAfterNs(), 3'000'000'000);

    std::int64_t firstPress = 0;
    for (int round = 0; round < 2; ++round) {
        for (const BundledCue& cue : bundledCues()) {
            const Press p = session.play(cue.path);
            EXPECT_GT(p.calledNs, 0);
            EXPECT_LT(p.playNs, 5'000'000);
            if (!firstPress)
                firstPress = p.calledNs;
        }
    }
    session.pass(1.0);
    if (s_recorder) {
        EXPECT_LT(loudestSince(firstPress, 1.0), SilenceLevel);
    }
    EXPECT_EQ(session.quit(), 0);
    const auto lines = session.errorLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("navicella: no audio output")) << lines[0];
}

TEST_F(CueFaults, AFileThatCannotBePlayedIsSilentWithOneLineAndTheNextCueSounds)
{
    if (!s_recorder)
        GTEST_SKIP() << "needs the null sink of tests/support/session.sh";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray tone = wav({}, QByteArray(8820, '\x40'));
    struct Case {
        const char* name;
        QByteArray contents;  // written to the file, if not null
        std::string path;     // a path of our own, if the file is not written
        const char* line;     // the one line expected, as a pattern
    };
    const std::vector<Case> cases{
        {"unknown file name",
         {},
         "C:\\WINDOWS\\Media\\ding.wav",
         R"(navicella: no sound for "C:\\WINDOWS\\Media\\ding.wav")"},
        {"garbage",
         QByteArray("RIFF\x20\0\0\0WAVEfmt \x10\0\0\0\x02\0", 22),
         {},
         R"(navicella: cannot play ".*": .*, the cue stays silent)"},
        {"empty file",
         QByteArray(""),
         {},
         R"(navicella: cannot play ".*": not a RIFF/WAVE file.*)"},
        {"compressed WAV",
         wav({.encoding = 2, .bits = 4, .blockAlign = 1}, tone),
         {},
         R"(navicella: cannot play ".*": unsupported encoding 2.*)"},
        {"header only", tone.left(44), {}, R"(navicella: cannot play ".*": no sound data.*)"},
    };
    const BundledCue& chime = bundledCue("right");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        std::string path = c.path;
        if (path.empty()) {
            const QString file = dir.filePath(QStringLiteral("cue%1.wav").arg(i));
            write(file, c.contents);
            path = local(file);
        }
        withOneRetry([&] {
            CueSession session(s_recorder);
            ASSERT_TRUE(session.audible());
            const Press first = session.play(path);
            session.play(path);
            session.pass(0.5);
            EXPECT_LT(loudestSince(first.calledNs, 0.5), SilenceLevel);

            const Press after = session.play(chime.path);
            session.pass(1.2);
            EXPECT_LT(findCue(s_recorder->snapshot(), chime, after.calledNs).wholeError,
                      2.0f / 32768);

            EXPECT_EQ(session.quit(), 0);
            const auto lines = session.errorLines();
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_TRUE(std::regex_match(lines[0], std::regex(c.line))) << lines[0];
        });
    }
}

// Where the fixed path names a file that exists, that file is the cue, in
// whatever rate and layout it comes, and nothing is said.
TEST_F(CueFaults, AFileAtThePathIsPlayedInsteadOfOurOwn)
{
    if (!s_recorder)
        GTEST_SKIP() << "needs the null sink of tests/support/session.sh";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // 0.3 s of 1 kHz, 8-bit stereo at 22.05 kHz, with 10 ms ramps.
    QByteArray data;
    const int frames = 6615;
    for (int i = 0; i < frames; ++i) {
        const double ramp = std::min({1.0, i / 220.5, (frames - 1 - i) / 220.5});
        const double v = 0.5 * ramp * std::sin(2.0 * 3.141592653589793 * 1000.0 * i / 22050.0);
        const auto byte = static_cast<char>(static_cast<int>(std::lround(128.0 + 127.0 * v)));
        data.append(byte).append(byte);
    }
    const QString file = dir.filePath(QStringLiteral("chimes.wav"));
    write(file, wav({.channels = 2, .rate = 22050, .bits = 8}, data));

    withOneRetry([&] {
        CueSession session(s_recorder);
        const Press p = session.play(local(file));
        session.pass(0.8);
        const Recording r = s_recorder->snapshot();
        const std::size_t from = r.indexAt(p.calledNs - 10 * Ms);
        const auto runs = soundSegments(std::span(r.samples).subspan(from), 441);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_NEAR(static_cast<double>(runs[0].length()) / Recording::Rate, 0.3, 0.01);
        const auto sound = std::span(r.samples).subspan(from + runs[0].begin, runs[0].length());
        EXPECT_NEAR(dominantFrequency(sound, Recording::Rate), 1000.0, 10.0);
        EXPECT_NEAR(peak(sound), 0.5f, 0.02f);
        EXPECT_EQ(session.quit(), 0);
        EXPECT_TRUE(session.errorLines().empty());
    });
}

}  // namespace
}  // namespace navicella::test
