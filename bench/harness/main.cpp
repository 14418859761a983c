// SPDX-License-Identifier: GPL-3.0-or-later
// navicella_bench_desktop: the desktop benchmarks of the game against a bare
// Qt window. Runs inside a desktop session (tests/support/session.sh): needs
// DISPLAY, and for the sound measurements the session's null sink.
//
//   startup  --game P --baseline P [--runs N] [--settle-ms N]
//       exec to first completed paint and peak RSS, game and baseline
//       alternated, after one unrecorded warm-up start of each.
//   response --game P [--presses N]
//       press (XTest) to the end of the next board repaint, for
//       "Via per iniziare" and for an answer.
//   sound    --game P [--presses N]
//       the real cue player's play() return time (in the sound tests'
//       cue driver), and press of "Via per iniziare" in the game to the
//       start cue's first sound at the session's null sink, measured as
//       the sound tests measure it.
//
// Results go to stdout as "result <name> <value>" lines, every sample to
// stderr as "sample <name> <value>". Exit status 1 when a measurement could
// not be taken.
#include "Stats.h"
#include "TracedProcess.h"
#include "sound/Analysis.h"
#include "sound/BundledCues.h"
#include "sound/CueSession.h"
#include "support/BoardGeometry.h"
#include "support/XInput.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace navicella::bench {
namespace {

using std::chrono::milliseconds;
using test::Point;
using namespace test::board;

// Nothing for this long means the program has handled everything queued.
constexpr milliseconds Quiet{25};

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void result(const std::string& name, double value)
{
    std::printf("result %s %.6g\n", name.c_str(), value);
    std::fflush(stdout);
}

void sample(const std::string& name, double value)
{
    std::fprintf(stderr, "sample %s %.6g\n", name.c_str(), value);
}

std::vector<std::string> traced() { return {"NAVICELLA_TRACE_PAINTS=1"}; }

struct Options {
    std::map<std::string, std::string> values;

    std::string text(const std::string& name) const
    {
        const auto it = values.find(name);
        if (it == values.end())
            throw Failure("missing --" + name);
        return it->second;
    }
    int number(const std::string& name, int fallback) const
    {
        const auto it = values.find(name);
        return it == values.end() ? fallback : std::stoi(it->second);
    }
};

struct StartupRun {
    double firstPaintMs;
    double peakRssMb;
    double cpuMs;      // CPU time of the program until its first paint
    double waitingMs;  // time it was ready to run but had no CPU
};

StartupRun startOnce(const std::string& program, milliseconds settle)
{
    TracedProcess process({program}, traced());
    if (!process.running())
        throw Failure("cannot start " + program);
    const auto paint = process.nextPaint(milliseconds(15000));
    if (!paint)
        throw Failure(program + " painted nothing within 15 s:\n" + process.log());
    const TracedProcess::Scheduling scheduling = process.scheduling();
    // Peak RSS counts the program's first moments of idling too: work that a
    // program puts off until after its first paint still costs memory.
    std::this_thread::sleep_for(settle);
    process.settle(milliseconds(0));
    process.stop();
    return {static_cast<double>(*paint - process.spawnedAt()) / 1e6,
            static_cast<double>(process.peakRssKb()) / 1024.0,
            static_cast<double>(scheduling.onCpuNs) / 1e6,
            static_cast<double>(scheduling.waitingNs) / 1e6};
}

void startup(const Options& options)
{
    const std::string programs[2] = {options.text("game"), options.text("baseline")};
    const char* names[2] = {"game", "baseline"};
    const int runs = options.number("runs", 15);
    const milliseconds settle(options.number("settle-ms", 500));

    for (const std::string& program : programs)
        startOnce(program, settle);  // warm the caches; not recorded
    std::vector<double> paintMs[2];
    std::vector<double> rssMb[2];
    std::vector<double> cpuMs[2];
    std::vector<double> waitingMs[2];
    for (int round = 0; round < runs; ++round) {
        for (int which = 0; which < 2; ++which) {
            const StartupRun r = startOnce(programs[which], settle);
            paintMs[which].push_back(r.firstPaintMs);
            rssMb[which].push_back(r.peakRssMb);
            cpuMs[which].push_back(r.cpuMs);
            waitingMs[which].push_back(r.waitingMs);
            sample(std::string("startup.") + names[which] + ".first_paint_ms", r.firstPaintMs);
            sample(std::string("startup.") + names[which] + ".peak_rss_mb", r.peakRssMb);
            sample(std::string("startup.") + names[which] + ".cpu_ms", r.cpuMs);
            sample(std::string("startup.") + names[which] + ".waiting_ms", r.waitingMs);
        }
    }
    result("startup.runs", runs);
    for (int which = 0; which < 2; ++which) {
        result(std::string("startup.") + names[which] + ".first_paint_ms", median(paintMs[which]));
        result(std::string("startup.") + names[which] + ".peak_rss_mb", median(rssMb[which]));
        result(std::string("startup.") + names[which] + ".cpu_ms", median(cpuMs[which]));
        result(std::string("startup.") + names[which] + ".waiting_ms", median(waitingMs[which]));
    }
    result("startup.first_paint_ratio", median(paintMs[0]) / median(paintMs[1]));
    result("startup.peak_rss_ratio", median(rssMb[0]) / median(rssMb[1]));
}

// The game running on the display, with its board's top known.
class GameOnScreen {
public:
    explicit GameOnScreen(const std::string& program) : m_process({program}, traced())
    {
        if (!m_input.usable())
            throw Failure("no X display with the XTest extension");
        if (!m_process.nextPaint(milliseconds(15000)))
            throw Failure("the game painted nothing within 15 s:\n" + m_process.log());
        // The first paint may not have reached the screen yet.
        const auto shown = m_input.waitForWindow("navicella", Background, milliseconds(7000));
        if (!shown)
            throw Failure("the game's window did not show its board");
        m_window = shown->window;
        m_top = shown->clientTop;
        m_process.settle(milliseconds(200));
    }

    TracedProcess& process() { return m_process; }

    void moveTo(Point board)
    {
        m_input.moveTo(m_window, {board.x, m_top + board.y});
        m_process.settle(Quiet);
    }

    // Presses at the pointer and returns the press time and the time of
    // the end of the board's next repaint; then releases and lets the
    // program fall quiet.
    std::pair<std::int64_t, std::int64_t> pressAndRepaint()
    {
        m_process.settle(milliseconds(0));
        const std::int64_t pressed = m_input.press();
        const auto painted = m_process.paintAfter(pressed, milliseconds(5000));
        m_input.release();
        m_process.settle(Quiet);
        if (!painted)
            throw Failure("no repaint within 5 s of a press:\n" + m_process.log());
        return {pressed, *painted};
    }

    double press(Point board)
    {
        moveTo(board);
        const auto [pressed, painted] = pressAndRepaint();
        return static_cast<double>(painted - pressed) / 1e6;
    }

private:
    TracedProcess m_process;
    test::XInput m_input;
    unsigned long m_window = 0;
    int m_top = 0;
};

void response(const Options& options)
{
    const int presses = options.number("presses", 100);
    GameOnScreen game(options.text("game"));
    std::vector<double> via;
    std::vector<double> answer;
    for (int i = 0; i < presses; ++i) {
        via.push_back(game.press(Via));
        // The first turn of a fresh thread, so the round cannot end on it;
        // either word, which is right or wrong as chance laid the thread.
        answer.push_back(game.press(i % 2 == 0 ? Sinistra : Destra));
        game.press(Pulisci);
        sample("response.via_ms", via.back());
        sample("response.answer_ms", answer.back());
    }
    game.process().stop();
    result("response.presses", presses);
    result("response.via.median_ms", median(via));
    result("response.via.p99_ms", percentile(via, 99));
    result("response.answer.median_ms", median(answer));
    result("response.answer.p99_ms", percentile(answer, 99));
    result("response.game.peak_rss_mb", static_cast<double>(game.process().peakRssKb()) / 1024.0);
}

// play() as the game calls it, in the sound tests' cue driver: the four
// cues in turn, each cutting off the one before, as quick presses do.
void playReturn(int plays)
{
    using test::CueSession;
    CueSession session;
    if (!session.ready())
        throw Failure("the cue driver's player did not become ready");
    std::vector<double> inPlay;
    for (int i = 0; i < plays; ++i) {
        const test::Press p =
            session.play(test::bundledCues()[static_cast<std::size_t>(i) % 4].path);
        if (p.calledNs <= 0)
            throw Failure("the cue driver did not answer a play");
        inPlay.push_back(static_cast<double>(p.playNs) / 1e6);
        sample("sound.play_return_ms", inPlay.back());
        std::this_thread::sleep_for(milliseconds(100));
    }
    result("sound.play_return.median_ms", median(inPlay));
    result("sound.play_return.max_ms", percentile(inPlay, 100));
}

// Where a cue played at `pressNs` begins to sound in a recording, looked for
// from 10 ms before the press to `withinMs` after: the first 30 ms of the
// cue's sound, matched sample by sample at the least summed squared
// difference, and that match's largest difference.
struct Onset {
    std::size_t at = 0;
    float error = 1.0f;
};

Onset findOnset(const test::Recording& r, const test::BundledCue& cue, std::int64_t pressNs,
                int withinMs)
{
    const std::span<const float> samples(cue.samples);
    std::size_t first = 0;
    while (first < samples.size() && std::abs(samples[first]) <= test::SilenceLevel)
        ++first;
    const auto opening =
        samples.subspan(first, std::min<std::size_t>(1323, samples.size() - first));
    const std::size_t last = r.indexAt(pressNs + withinMs * test::Ms);
    Onset best;
    double bestSum = -1.0;
    for (std::size_t at = r.indexAt(pressNs - 10 * test::Ms);
         at <= last && at + opening.size() <= r.samples.size(); ++at) {
        double sum = 0.0;
        for (std::size_t i = 0; i < opening.size() && (bestSum < 0 || sum < bestSum); ++i)
            sum += std::pow(r.samples[at + i] - opening[i], 2);
        if (bestSum < 0 || sum < bestSum) {
            bestSum = sum;
            best.at = at;
        }
    }
    if (bestSum < 0)
        return {};
    best.error = 0.0f;
    for (std::size_t i = 0; i < opening.size(); ++i)
        best.error = std::max(best.error, std::abs(r.samples[best.at + i] - opening[i]));
    return best;
}

// The start cue as a player hears it: the press of "Via per iniziare" in the
// running game to the cue's first sound at the sink. Each press comes out of
// silence: the cue before has had time to end.
void pressToSound(const std::string& program, int presses)
{
    using test::CueSession;
    if (!CueSession::hasSink())
        throw Failure("no null sink: run inside tests/support/session.sh with audio");
    // The sink hands over audio in bursts until it has settled on a short
    // latency: only what comes after the first wait counts for the clock.
    const auto recorder = std::make_unique<test::SinkRecorder>();
    if (!recorder->running() || !recorder->wait(2.5))
        throw Failure("cannot record the null sink");
    GameOnScreen game(program);
    // The player connects to the server after the first paint; give it
    // that time, so that the first press is not a special case.
    recorder->wait(1.0);

    const test::BundledCue& cue = test::bundledCue("start");
    const double cueSeconds = static_cast<double>(cue.samples.size()) / test::Recording::Rate;
    std::vector<std::int64_t> pressed;
    for (int i = 0; i < presses; ++i) {
        game.moveTo(Via);
        pressed.push_back(game.pressAndRepaint().first);
        game.press(Pulisci);
        recorder->wait(cueSeconds + 0.2);
    }
    game.process().stop();
    recorder->wait(0.3);
    const test::Recording r = recorder->stop();

    std::vector<double> latest;
    std::vector<double> placed;
    for (const std::int64_t at : pressed) {
        const Onset heard = findOnset(r, cue, at, 1000);
        if (heard.error > 2.0f / 32768)
            throw Failure("the start cue was not heard within 1 s of a press");
        latest.push_back(static_cast<double>(r.arrivalOf(heard.at) - at) / 1e6);
        placed.push_back(static_cast<double>(r.timeOf(heard.at) - at) / 1e6);
        sample("sound.press_to_sound_ms", latest.back());
        sample("sound.press_to_sound_placed_ms", placed.back());
    }
    result("sound.presses", presses);
    result("sound.press_to_sound.median_ms", median(latest));
    result("sound.press_to_sound.max_ms", percentile(latest, 100));
    result("sound.press_to_sound.placed_median_ms", median(placed));
}

void sound(const Options& options)
{
    const int presses = options.number("presses", 20);
    playReturn(presses);
    pressToSound(options.text("game"), presses);
}

int run(int argc, char** argv)
{
    if (argc < 2)
        throw Failure("usage: navicella_bench_desktop startup|response|sound --option value...");
    Options options;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strncmp(argv[i], "--", 2) != 0)
            throw Failure(std::string("not an option: ") + argv[i]);
        options.values[argv[i] + 2] = argv[i + 1];
    }
    const std::string command = argv[1];
    if (command == "startup")
        startup(options);
    else if (command == "response")
        response(options);
    else if (command == "sound")
        sound(options);
    else
        throw Failure("unknown benchmark: " + command);
    return 0;
}

}  // namespace
}  // namespace navicella::bench

int main(int argc, char** argv)
{
    try {
        return navicella::bench::run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "navicella_bench_desktop: %s\n", error.what());
        return 1;
    }
}
