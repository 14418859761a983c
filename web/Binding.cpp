// SPDX-License-Identifier: GPL-3.0-or-later
// The browser edition's door into the core: a small C API over one Game.
//
// The page builds its window from the description that the desktop build
// writes beside the site (web/describe/), which names the handlers, option
// buttons, labels and cues by their numbers here and lays out the view
// record. For every event it runs one handler by its number and reads the
// controls back from viewRecord(), laid out as web/ViewRecord.h has it;
// captions come from caption(). A handler that raises a run-time error
// returns its number and leaves the message in errorMessage(); the steps it
// had done stay done, as on the desktop. The cues a handler played are
// listed by cues().
#include "game/ClockRandom.h"
#include "game/CueSynth.h"
#include "game/Game.h"
#include "game/RuntimeError.h"
#include "game/Window.h"
#include "web/ViewRecord.h"

#include <emscripten/emscripten.h>

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace navicella {
namespace {

// The clock's chance, unless a caller has queued draws first: that is how
// a test, or the comparison with the desktop board, lays out a known thread.
class WebRandom final : public RandomSource {
public:
    void reseedFromClock() override { m_clock.reseedFromClock(); }
    float draw() override
    {
        if (m_queued.empty())
            return m_clock.draw();
        const float value = m_queued.front();
        m_queued.pop_front();
        return value;
    }
    void queue(float value) { m_queued.push_back(value); }

private:
    ClockRandom m_clock;
    std::deque<float> m_queued;
};

// Remembers the cues of one handler; the page plays them through Web Audio.
class CueList final : public CuePlayer {
public:
    void play(std::string_view path) override
    {
        const auto cue = synth::cueFor(path);
        played.push_back(cue ? static_cast<int>(*cue) : -1);
    }
    std::vector<int> played;
};

using window::Buttons;
using window::Handlers;
using window::Labels;

struct Session {
    WebRandom random;
    CueList cues;
    Game game{random, cues};
    int errorNumber = 0;
    std::string errorMessage;
};
std::unique_ptr<Session> session;

std::array<float, view::Size> record;

void refreshView() { view::fill(session->game.controls(), record); }

int run(window::Handler handler)
{
    session->cues.played.clear();
    session->errorNumber = 0;
    try {
        (session->game.*handler)();
    } catch (const RuntimeError& error) {
        session->errorNumber = error.number();
        session->errorMessage = error.what();
    }
    refreshView();
    return session->errorNumber;
}

const std::vector<std::int16_t>& renderedCue(int cue)
{
    static std::array<std::vector<std::int16_t>, 4> rendered;
    static const std::vector<std::int16_t> none;
    if (cue < 0 || cue >= static_cast<int>(rendered.size()))
        return none;
    auto& samples = rendered[static_cast<std::size_t>(cue)];
    if (samples.empty())
        samples = synth::render(static_cast<synth::Cue>(cue));
    return samples;
}

}  // namespace
}  // namespace navicella

using namespace navicella;

extern "C" {

// A new game, as a new start of the program: the easy level and a clean board.
EMSCRIPTEN_KEEPALIVE int newGame()
{
    session = std::make_unique<Session>();
    return run(&Game::Form_Load);
}

EMSCRIPTEN_KEEPALIVE int runHandler(int number)
{
    if (number < 0 || static_cast<std::size_t>(number) >= Handlers.size())
        return -1;
    return run(Handlers[static_cast<std::size_t>(number)].handler);
}

// Selects a member of the option group, as a click or a key does; no handler runs.
EMSCRIPTEN_KEEPALIVE void select(int member)
{
    if (member < 0 || static_cast<std::size_t>(member) >= Buttons.size())
        return;
    Controls& c = session->game.controls();
    c.setValue(c.*Buttons[static_cast<std::size_t>(member)].control, true);
    refreshView();
}

EMSCRIPTEN_KEEPALIVE const float* viewRecord() { return record.data(); }
EMSCRIPTEN_KEEPALIVE int viewSize() { return static_cast<int>(view::Size); }

EMSCRIPTEN_KEEPALIVE const char* caption(int label)
{
    if (label < 0 || static_cast<std::size_t>(label) >= Labels.size())
        return "";
    return (session->game.controls().*Labels[static_cast<std::size_t>(label)].control)
        .Caption.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* errorMessage() { return session->errorMessage.c_str(); }

EMSCRIPTEN_KEEPALIVE const int* cues() { return session->cues.played.data(); }
EMSCRIPTEN_KEEPALIVE int cueCount() { return static_cast<int>(session->cues.played.size()); }

EMSCRIPTEN_KEEPALIVE void queueDraw(float value) { session->random.queue(value); }

// A cue's samples, mono, 16-bit, at sampleRate(): rendered at the first call
// for the cue and kept. cueFrames() renders too, so either may come first.
EMSCRIPTEN_KEEPALIVE const std::int16_t* cueSamples(int cue) { return renderedCue(cue).data(); }
EMSCRIPTEN_KEEPALIVE int cueFrames(int cue) { return static_cast<int>(renderedCue(cue).size()); }
EMSCRIPTEN_KEEPALIVE int sampleRate() { return synth::SampleRate; }

}  // extern "C"
