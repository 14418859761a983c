// SPDX-License-Identifier: GPL-3.0-or-later
// The browser edition's door into the core: a small C API over one Game.
//
// The page first reads describe(), a JSON text with everything the window is
// built from: the layout's boxes, fonts and line width, the colours, the
// program's words and the names of the handlers. Then, for every event, it
// runs one handler by its number and reads the controls back from view(),
// a record of floats laid out as written in view() below; captions come from
// caption(). A handler that raises a run-time error returns its number and
// leaves the message in errorMessage(); the steps it had done stay done, as
// on the desktop. The cues a handler played are listed by cues().
#include "game/ClockRandom.h"
#include "game/Constants.h"
#include "game/CueSynth.h"
#include "game/Game.h"
#include "game/Layout.h"
#include "game/RuntimeError.h"

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

using Handler = void (Game::*)();
constexpr std::array<std::pair<std::string_view, Handler>, 11> Handlers{{
    {"Easy_Click", &Game::Easy_Click},
    {"Simple_Click", &Game::Simple_Click},
    {"Complex_Click", &Game::Complex_Click},
    {"Opt_Via_MouseDown", &Game::Opt_Via_MouseDown},
    {"Opt_Via_MouseUp", &Game::Opt_Via_MouseUp},
    {"Opt_Pulisci_MouseDown", &Game::Opt_Pulisci_MouseDown},
    {"Opt_Pulisci_MouseUp", &Game::Opt_Pulisci_MouseUp},
    {"Opt_Destra_MouseDown", &Game::Opt_Destra_MouseDown},
    {"Opt_Destra_MouseUp", &Game::Opt_Destra_MouseUp},
    {"Opt_Sinistra_MouseDown", &Game::Opt_Sinistra_MouseDown},
    {"Opt_Sinistra_MouseUp", &Game::Opt_Sinistra_MouseUp},
}};

// The option group in the order of the page's buttons.
constexpr std::array<std::pair<std::string_view, OptionButton Controls::*>, 6> Members{{
    {"Opt_Esci", &Controls::Opt_Esci},
    {"Option1", &Controls::Option1},
    {"Opt_Via", &Controls::Opt_Via},
    {"Opt_Destra", &Controls::Opt_Destra},
    {"Opt_Sinistra", &Controls::Opt_Sinistra},
    {"Opt_Pulisci", &Controls::Opt_Pulisci},
}};

constexpr std::array<std::pair<std::string_view, Label Controls::*>, 3> Labels{{
    {"Label1", &Controls::Label1},
    {"Lbl_Domanda", &Controls::Lbl_Domanda},
    {"Lbl_Livello", &Controls::Lbl_Livello},
}};

struct Session {
    WebRandom random;
    CueList cues;
    Game game{random, cues};
    int errorNumber = 0;
    std::string errorMessage;
};
std::unique_ptr<Session> session;

// 23 lines (Line1 0..19, Line3 0..2) of X1, Y1, X2, Y2, BorderColor,
// Visible; two shapes (Shape1, Shape2) of Left, Top, Width, Height,
// BorderColor, FillColor, Visible; the labels' Visible; the option group's
// Visible and Value, in the order of Members. Colours are below 2^24, so a
// float holds them exactly.
constexpr std::size_t ViewSize = 23 * 6 + 2 * 7 + Labels.size() + Members.size() * 2;
std::array<float, ViewSize> view;

float flag(bool value) { return value ? 1.0f : 0.0f; }

void refreshView()
{
    const Controls& c = session->game.controls();
    std::size_t i = 0;
    const auto putLine = [&i](const Line& line) {
        for (const float v : {line.X1, line.Y1, line.X2, line.Y2,
                              static_cast<float>(line.BorderColor), flag(line.Visible)})
            view[i++] = v;
    };
    for (const Line& line : c.Line1)
        putLine(line);
    for (const Line& line : c.Line3)
        putLine(line);
    for (const Shape* shape : {&c.Shape1, &c.Shape2}) {
        for (const float v : {shape->Left, shape->Top, shape->Width, shape->Height,
                              static_cast<float>(shape->BorderColor),
                              static_cast<float>(shape->FillColor), flag(shape->Visible)})
            view[i++] = v;
    }
    for (const auto& [name, label] : Labels)
        view[i++] = flag((c.*label).Visible);
    for (const auto& [name, member] : Members) {
        view[i++] = flag((c.*member).Visible);
        view[i++] = flag((c.*member).Value);
    }
}

int run(Handler handler)
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

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char ch : text) {
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += ch;
        }
    }
    return out + "\"";
}

// {"name":value,...} from pairs of a name and a value, with the value as JSON.
template <typename Pairs, typename ToJson>
std::string jsonObject(const Pairs& pairs, ToJson toJson)
{
    std::string json = "{";
    for (const auto& [name, value] : pairs)
        json += (json.size() > 1 ? "," : "") + quoted(name) + ":" + toJson(value);
    return json + "}";
}

// ["name",...] from the names of pairs of a name and anything.
template <typename Pairs>
std::string jsonNames(const Pairs& pairs)
{
    std::string json = "[";
    for (const auto& [name, value] : pairs)
        json += (json.size() > 1 ? "," : "") + quoted(name);
    return json + "]";
}

std::string describeAll()
{
    using namespace layout;
    const std::pair<std::string_view, Box> boxes[] = {
        {"Client", Client},           {"Opt_Esci", Opt_Esci},       {"Option1", Option1},
        {"Opt_Via", Opt_Via},         {"Opt_Destra", Opt_Destra},   {"Opt_Sinistra", Opt_Sinistra},
        {"Opt_Pulisci", Opt_Pulisci}, {"Lbl_Livello", Lbl_Livello}, {"Label1", Label1},
        {"Lbl_Domanda", Lbl_Domanda},
    };
    const std::pair<std::string_view, double> points[] = {
        {"button", ButtonPoints},
        {"level", LevelPoints},
        {"title", TitlePoints},
        {"question", QuestionPoints},
    };
    const std::pair<std::string_view, Colour> colours[] = {
        {"LightYellow", colour::LightYellow},
        {"Yellow", colour::Yellow},
        {"Blue", colour::Blue},
        {"Green", colour::Green},
        {"Red", colour::Red},
        {"DarkGreen", colour::DarkGreen},
    };
    const std::pair<std::string_view, std::string_view> texts[] = {
        {"Title", text::Title},
        {"Sinistra", text::Sinistra},
        {"Destra", text::Destra},
        {"Easy", text::Easy},
        {"Simple", text::Simple},
        {"Complex", text::Complex},
        {"Start", text::Start},
        {"Clear", text::Clear},
        {"Exit", text::Exit},
        {"OptionsMenu", text::OptionsMenu},
        {"InfoMenu", text::InfoMenu},
        {"InfoTitle", text::InfoTitle},
        {"InfoMessage", text::InfoMessage},
        {"ErrorTitle", text::ErrorTitle},
        {"ErrorMessage", text::ErrorMessage},
    };
    const std::pair<std::string_view, synth::Cue> cueNames[] = {
        {"Start", synth::Cue::Start},
        {"Right", synth::Cue::Right},
        {"Wrong", synth::Cue::Wrong},
        {"End", synth::Cue::End},
    };
    const auto number = [](auto value) { return std::to_string(value); };
    return "{\"twipsPerPixel\":" + number(TwipsPerPixel) +
           ",\"lineWidth\":" + number(LineWidthPixels) + ",\"boxes\":" +
           jsonObject(boxes,
                      [&](const Box& b) {
                          return "[" + number(b.Left) + "," + number(b.Top) + "," +
                                 number(b.Width) + "," + number(b.Height) + "]";
                      }) +
           ",\"points\":" + jsonObject(points, number) +
           ",\"colours\":" + jsonObject(colours, number) +
           ",\"texts\":" + jsonObject(texts, quoted) + ",\"handlers\":" + jsonNames(Handlers) +
           ",\"members\":" + jsonNames(Members) + ",\"labels\":" + jsonNames(Labels) +
           ",\"cues\":" + jsonNames(cueNames) + "}";
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

EMSCRIPTEN_KEEPALIVE const char* describe()
{
    static const std::string text = describeAll();
    return text.c_str();
}

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
    return run(Handlers[static_cast<std::size_t>(number)].second);
}

// Selects a member of the option group, as a click or a key does; no handler runs.
EMSCRIPTEN_KEEPALIVE void select(int member)
{
    if (member < 0 || static_cast<std::size_t>(member) >= Members.size())
        return;
    Controls& c = session->game.controls();
    c.setValue(c.*Members[static_cast<std::size_t>(member)].second, true);
    refreshView();
}

EMSCRIPTEN_KEEPALIVE const float* viewRecord() { return view.data(); }
EMSCRIPTEN_KEEPALIVE int viewSize() { return static_cast<int>(ViewSize); }

EMSCRIPTEN_KEEPALIVE const char* caption(int label)
{
    if (label < 0 || static_cast<std::size_t>(label) >= Labels.size())
        return "";
    return (session->game.controls().*Labels[static_cast<std::size_t>(label)].second)
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
