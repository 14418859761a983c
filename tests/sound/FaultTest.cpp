// SPDX-License-Identifier: GPL-3.0-or-later
// The real player heard at a null sink: every cue reaches it, and what goes
// wrong around the player ends in silence, one line on stderr for each kind
// of fault, and a player that goes on working; a file at a cue's path plays
// instead of our own, in whatever format it comes.
//
// What the stream carries is CueFeedTest's to check, sample by sample. Here
// a sound is measured as a server starved by other work may part it with
// gaps and drop some of it: how much of it is heard; and for a pure tone,
// how loud and at which pitch (the partials of our chime trade places as
// pieces of it go missing).
#include "Analysis.h"
#include "BundledCues.h"
#include "CueSession.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <span>
#include <thread>

namespace navicella::test {
namespace {

namespace fs = std::filesystem;

// Wall-clock limits mean nothing under the sanitizers, which slow everything.
constexpr bool Timed = !NAVICELLA_SANITIZED;

fs::path temporaryFolder()
{
    std::string name = (fs::temp_directory_path() / "navicella-cues.XXXXXX").string();
    return mkdtemp(name.data()) ? fs::path(name) : fs::path();
}

void writeBytes(const fs::path& file, std::string_view bytes)
{
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// `seconds` of 1 kHz at half of full scale, with 10 ms ramps, in every channel.
void writeTone(const fs::path& file, int format, int channels, int rate, double seconds = 0.3)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(out, nullptr) << sf_strerror(nullptr);
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> samples;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double ramp = std::min({1.0, t / 0.01, (seconds - t) / 0.01});
        samples.insert(samples.end(), static_cast<std::size_t>(channels),
                       static_cast<float>(0.5 * ramp * std::sin(2 * std::numbers::pi * 1000 * t)));
    }
    sf_writef_float(out, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(out);
}

class CueFaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_folder.empty()); }
    void TearDown() override { fs::remove_all(m_folder); }

    // What the sink carries over `seconds` from the moment `press` runs. Its
    // samples so far were all mixed before, so the window holds nothing of
    // what came before and all that the press made sound within `seconds`;
    // or, where no sound has come and ended by then, within `longest`: a
    // server just started may be slow to take a connection, and its sink runs
    // up to 2 s ahead while it settles.
    static Sound heardAfter(SinkRecorder& recorder, double seconds,
                            const std::function<void()>& press, double longest = 0)
    {
        const auto from = static_cast<std::size_t>(recorder.received() * Recording::Rate);
        press();
        recorder.wait(seconds);
        for (;; seconds += 0.25) {
            const Recording r = recorder.snapshot();
            const auto length = static_cast<std::size_t>(seconds * Recording::Rate);
            const auto window =
                std::span(r.samples).subspan(from, std::min(length, r.samples.size() - from));
            const auto runs = soundSegments(window, Recording::Rate / 100);
            if (seconds >= longest ||
                (!runs.empty() && window.size() - runs.back().end > Recording::Rate * 3 / 10))
                return soundIn(window, Recording::Rate);
            recorder.wait(0.25);
        }
    }
    static double ownSeconds(const BundledCue& cue)
    {
        return soundIn(cue.samples, Recording::Rate).seconds;
    }
    // `heard` lasts at most as long as our own sound, and at least half as
    // long, as a server starved by other work may drop some of a stream.
    static void expectHeard(const Sound& heard, double seconds)
    {
        EXPECT_GT(heard.seconds, seconds / 2);
        EXPECT_LT(heard.seconds, seconds + 0.01);
    }

    fs::path m_folder = temporaryFolder();
};

// A sound server of the test's own, on a socket of its own, with a null sink
// of the session's sink's name: PulseAudio, or pipewire-pulse on the
// session's PipeWire.
class OwnServer {
public:
    explicit OwnServer(fs::path folder) : m_folder(std::move(folder)) {}
    ~OwnServer() { stop(); }
    std::string address() const { return "unix:" + (m_folder / "native").string(); }

    // The session's helper runs a server of the session's kind; stopped
    // once its socket has gone, within 5 s.
    bool start() { return run("\"$NAVICELLA_SESSION\" --own-server up"); }
    bool stop() { return run("\"$NAVICELLA_SESSION\" --own-server down"); }

private:
    bool run(const std::string& command) const
    {
        const std::string home = m_folder.string();
        return std::system(("XDG_RUNTIME_DIR=" + home + " HOME=" + home + " " + command).c_str()) ==
               0;
    }
    fs::path m_folder;
};

// No server when the game starts, then one that comes, goes and comes back.
// Runs the same with or without the session's own server.
TEST_F(CueFaults, SilenceWithoutAServerAndSoundOnceItIsBack)
{
    OwnServer server(m_folder);
    CueSession session({}, {"PULSE_SERVER=" + server.address()});
    ASSERT_TRUE(session.ready());
    EXPECT_FALSE(session.audible());
    // Creating the player and playing never wait for the server: the sound
    // thread connects. The bound catches a wait in the window's thread, not a
    // slow machine (bench/ measures how quick they are).
    constexpr auto Bound = 500 * Ms;
    EXPECT_TRUE(!Timed || session.constructionNs() < Bound) << session.constructionNs();
    for (const BundledCue& cue : bundledCues()) {
        const Press press = session.play(cue.path);
        EXPECT_TRUE(!Timed || press.playNs < Bound) << press.playNs;
    }

    const BundledCue& chime = bundledCue("right");
    for (int life = 0; life < 2; ++life) {
        SCOPED_TRACE(life);
        ASSERT_TRUE(server.start());
        SinkRecorder recorder(20, server.address());
        ASSERT_TRUE(recorder.wait(2.5));
        // The first cue connects again, and sounds once connected.
        expectHeard(heardAfter(
                        recorder, 0.5, [&] { session.play(chime.path); }, 4.0),
                    ownSeconds(chime));
        recorder.stop();
        ASSERT_TRUE(server.stop());
        EXPECT_GT(session.play(chime.path).calledNs, 0);
    }
    EXPECT_EQ(session.quit(), 0);
    const auto lines = session.errorLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].starts_with("navicella: no sound server (")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("navicella: lost the sound server (")) << lines[1];
}

// Every cue reaches the sink whole in its turn, and one pressed while another
// sounds cuts it off rather than queue behind it. A stream the server refuses,
// asked for a sink it does not have, is silent, with one line; once the sink
// is there (a sink remapped onto the session's) the next cue sounds all the same.
TEST_F(CueFaults, EveryCueReachesTheSinkEvenAfterAStreamThatCannotStart)
{
    SinkRecorder* recorder = CueSession::sharedRecorder();
    if (!recorder)
        GTEST_SKIP() << "needs the null sink of tests/support/session.sh";
    CueSession session({}, {"PULSE_SINK=navicella_later"});
    ASSERT_TRUE(session.audible());
    const BundledCue& chime = bundledCue("right");
    EXPECT_EQ(heardAfter(*recorder, 0.5, [&] { session.play(chime.path); }).seconds, 0.0);
    // Gone however the test ends: the session's other tests play on.
    struct LaterSink {
        ~LaterSink() { EXPECT_EQ(std::system("pactl unload-module module-remap-sink"), 0); }
    } later;
    ASSERT_EQ(std::system("pactl load-module module-remap-sink sink_name=navicella_later "
                          "master=\"$NAVICELLA_SINK\" >/dev/null"),
              0);
    for (const BundledCue& cue : bundledCues()) {
        SCOPED_TRACE(cue.name);
        const double seconds = static_cast<double>(cue.samples.size()) / Recording::Rate + 0.3;
        expectHeard(heardAfter(*recorder, seconds, [&] { session.play(cue.path); }),
                    ownSeconds(cue));
    }
    // In quick succession: the last, and of the others at most their openings.
    const Sound heard = heardAfter(*recorder, 2.0, [&] {
        for (const BundledCue& cue : bundledCues())
            session.play(cue.path);
    });
    const double last = ownSeconds(bundledCues().back());
    EXPECT_GT(heard.seconds, last / 2);
    EXPECT_LT(heard.seconds, last + 0.3);
    EXPECT_EQ(session.quit(), 0);
    const auto lines = session.errorLines();
    EXPECT_EQ(lines, std::vector<std::string>{"navicella: a cue's stream failed (No such entity)"});
}

// Where no thread can start, the player says so once and is silent.
TEST_F(CueFaults, SilenceWithOneLineWhereNoSoundThreadCanStart)
{
    CueSession session({"--no-threads"});
    ASSERT_TRUE(session.ready());
    EXPECT_FALSE(session.audible());
    EXPECT_GT(session.play(bundledCue("right").path).calledNs, 0);
    EXPECT_EQ(session.quit(), 0);
    EXPECT_EQ(
        session.errorLines(),
        std::vector<std::string>{"navicella: cannot start the sound thread, cues are silent"});
}

TEST_F(CueFaults, AFileThatCannotBePlayedIsSilentWithOneLineAndTheNextCueSounds)
{
    SinkRecorder* recorder = CueSession::sharedRecorder();
    if (!recorder)
        GTEST_SKIP() << "needs the null sink of tests/support/session.sh";
    using Writer = std::function<void(const fs::path&)>;
    const auto bytes = [](std::string text) -> Writer {
        return [text](const fs::path& file) { writeBytes(file, text); };
    };
    const auto tone = [](int format, int rate, double seconds) -> Writer {
        return [=](const fs::path& file) { writeTone(file, format, 1, rate, seconds); };
    };
    struct Case {
        const char* name;
        Writer write;        // none: a path of no file and no cue of ours
        const char* reason;  // the reason the one line gives, where it is known
    };
    const std::vector<Case> cases{
        {"unknown file name", nullptr, nullptr},
        {"empty file", bytes(""), "Format not recognised"},
        {"not a sound", bytes("This is a text, not a sound.\n"), "Format not recognised"},
        {"cut off in its format",
         bytes({"RIFF\x24\x10\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xac", 26}), ""},
        {"header only", tone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 0.0),
         "there is no sound in it"},
        {"longer than a minute", tone(SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8000, 61.0),
         "it is longer than a minute"},
    };
    const BundledCue& chime = bundledCue("right");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = R"(C:\WINDOWS\Media\ding.wav)";
        std::string line = "navicella: no sound for \"" + path + "\"";
        if (c.write) {
            const fs::path file = m_folder / (std::string(c.name) + ".wav");
            c.write(file);
            path = file.string();
            line = "navicella: cannot play \"" + path + "\": " + c.reason;
        }
        CueSession session;
        ASSERT_TRUE(session.audible());
        const Sound broken = heardAfter(*recorder, 0.5, [&] {
            session.play(path);
            session.play(path);
        });
        EXPECT_EQ(broken.seconds, 0.0);
        expectHeard(heardAfter(*recorder, 1.2, [&] { session.play(chime.path); }),
                    ownSeconds(chime));

        EXPECT_EQ(session.quit(), 0);
        const auto lines = session.errorLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(lines[0].starts_with(line)) << lines[0];
        EXPECT_TRUE(lines[0].ends_with(c.write ? ", the cue stays silent" : "\"")) << lines[0];
    }
}

// Where the fixed path names a file that exists, that file is the cue, in
// whatever format, rate and layout it comes, and nothing is said.
TEST_F(CueFaults, AFileAtThePathIsPlayedInsteadOfOurOwn)
{
    SinkRecorder* recorder = CueSession::sharedRecorder();
    if (!recorder)
        GTEST_SKIP() << "needs the null sink of tests/support/session.sh";
    struct Case {
        const char* name;
        int format;
        int channels;
        int rate;
        float peakTolerance;  // lossy coding moves the peak a little
    };
    const std::vector<Case> cases{
        {"8-bit stereo WAV at 22.05 kHz", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 2, 22050, 0.02f},
        {"float WAV at 48 kHz", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 48000, 0.02f},
        {"24-bit FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1, 44100, 0.02f},
        {"Ogg Vorbis stereo", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2, 48000, 0.06f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = m_folder / "chimes.wav";
        writeTone(file, c.format, c.channels, c.rate);
        CueSession session;
        const Sound heard = heardAfter(*recorder, 0.8, [&] { session.play(file.string()); });
        expectHeard(heard, 0.3);
        EXPECT_NEAR(heard.hz, 1000.0, 10.0);
        EXPECT_NEAR(heard.peak, 0.5f, c.peakTolerance);
        EXPECT_EQ(session.quit(), 0);
        EXPECT_TRUE(session.errorLines().empty());
    }
}

}  // namespace
}  // namespace navicella::test
