// SPDX-License-Identifier: GPL-3.0-or-later
// The browser edition's door into the core: a small C API over one Game.
//
// The page first reads describe(), a JSON text with everything the window is
// built from: the layout's boxes, fonts and line width, the colours, the
// program's words, the option buttons and what keys do on them, the menu,
// the paint order, the names of the handlers and the layout of the view
// record. Then, for every event, it runs one handler by its number and reads
// the controls back from viewRecord(), a record of floats laid out as its
// description says; captions come from caption(). A handler that raises a
// run-time error returns its number and leaves the message in errorMessage();
// the steps it had done stay done, as on the desktop. The cues a handler
// played are listed by cues().
#include "game/ClockRandom.h"
#include "game/Constants.h"
#include "game/CueSynth.h"
#include "game/Game.h"
#include "game/Layout.h"
#include "game/RuntimeError.h"
#include "game/Window.h"

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

// The view record: for each control, its fields as floats, in this order.
// Colours are below 2^24, so a float holds them exactly; a flag is 0 or 1.
template <typename Control>
struct Field {
    std::string_view name;
    float (*read)(const Control&);
    bool flag = false;
};
constexpr float flag(bool value) { return value ? 1.0f : 0.0f; }
constexpr float asFloat(Colour colour) { return static_cast<float>(colour); }

constexpr std::array<Field<Line>, 6> LineFields{{
    {"X1", [](const Line& l) { return l.X1; }},
    {"Y1", [](const Line& l) { return l.Y1; }},
    {"X2", [](const Line& l) { return l.X2; }},
    {"Y2", [](const Line& l) { return l.Y2; }},
    {"BorderColor", [](const Line& l) { return asFloat(l.BorderColor); }},
    {"Visible", [](const Line& l) { return flag(l.Visible); }, true},
}};
constexpr std::array<Field<Shape>, 7> ShapeFields{{
    {"Left", [](const Shape& s) { return s.Left; }},
    {"Top", [](const Shape& s) { return s.Top; }},
    {"Width", [](const Shape& s) { return s.Width; }},
    {"Height", [](const Shape& s) { return s.Height; }},
    {"BorderColor", [](const Shape& s) { return asFloat(s.BorderColor); }},
    {"FillColor", [](const Shape& s) { return asFloat(s.FillColor); }},
    {"Visible", [](const Shape& s) { return flag(s.Visible); }, true},
}};
constexpr std::array<Field<Label>, 1> LabelFields{{
    {"Visible", [](const Label& l) { return flag(l.Visible); }, true},
}};
constexpr std::array<Field<OptionButton>, 2> ButtonFields{{
    {"Visible", [](const OptionButton& b) { return flag(b.Visible); }, true},
    {"Value", [](const OptionButton& b) { return flag(b.Value); }, true},
}};

struct Session {
    WebRandom random;
    CueList cues;
    Game game{random, cues};
    int errorNumber = 0;
    std::string errorMessage;
};
std::unique_ptr<Session> session;

constexpr std::size_t ViewSize =
    (Line1Count + Line3Count) * LineFields.size() + window::Shapes.size() * ShapeFields.size() +
    Labels.size() * LabelFields.size() + Buttons.size() * ButtonFields.size();
std::array<float, ViewSize> view;

// Calls visit(name, count, fields, control at) for every part of the view
// record in its order: count is 0 for a single control.
template <typename Visit>
void forEachViewPart(Visit visit)
{
    for (const window::LineArray& array : window::LineArrays)
        visit(array.name, array.count, LineFields,
              [&array](const Controls& c, int k) -> const Line& {
                  return array.at(c, static_cast<Int16>(k));
              });
    for (const window::NamedShape& shape : window::Shapes)
        visit(shape.name, 0, ShapeFields,
              [&shape](const Controls& c, int) -> const Shape& { return c.*shape.control; });
    for (const window::LabelPlace& label : Labels)
        visit(label.name, 0, LabelFields,
              [&label](const Controls& c, int) -> const Label& { return c.*label.control; });
    for (const window::Button& button : Buttons)
        visit(
            button.name, 0, ButtonFields,
            [&button](const Controls& c, int) -> const OptionButton& { return c.*button.control; });
}

void refreshView()
{
    const Controls& c = session->game.controls();
    std::size_t i = 0;
    forEachViewPart([&](std::string_view, int count, const auto& fields, auto at) {
        for (int k = 0; k < std::max(count, 1); ++k)
            for (const auto& field : fields)
                view[i++] = field.read(at(c, k));
    });
}

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

// [a,b,...] and {"name":a,...} from a range, each element given as JSON by toJson.
template <typename Range, typename ToJson>
std::string jsonList(const Range& range, ToJson toJson)
{
    std::string json;
    for (const auto& element : range)
        json += (json.empty() ? "" : ",") + toJson(element);
    return "[" + json + "]";
}
template <typename Range, typename ToJson>
std::string jsonObject(const Range& range, ToJson toJson)
{
    std::string json;
    for (const auto& element : range)
        json += (json.empty() ? "" : ",") + quoted(element.name) + ":" + toJson(element);
    return "{" + json + "}";
}

std::string number(double value)
{
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    return text;
}

std::string describeAll()
{
    using namespace layout;
    struct NamedBox {
        std::string_view name;
        Box box;
    };
    std::vector<NamedBox> boxes{
        {"Client", Client}, {"Shape1", layout::Shape1}, {"Shape2", layout::Shape2}};
    for (const window::Button& button : Buttons)
        boxes.push_back({button.name, button.box});
    for (const window::LabelPlace& label : Labels)
        boxes.push_back({label.name, label.box});
    struct NamedFont {
        std::string_view name;
        Font font;
    };
    std::vector<NamedFont> fonts{{"button", ButtonFont}};
    for (const window::LabelPlace& label : Labels)
        fonts.push_back({label.name, label.font});
    struct NamedColour {
        std::string_view name;
        Colour colour;
    };
    const NamedColour colours[] = {
        {"LightYellow", colour::LightYellow},
        {"Yellow", colour::Yellow},
        {"Blue", colour::Blue},
        {"Green", colour::Green},
        {"Red", colour::Red},
        {"DarkGreen", colour::DarkGreen},
    };
    const NamedColour contrastColours[] = {
        {"LightYellow", contrast::LightYellow},
        {"Yellow", contrast::Yellow},
        {"Blue", contrast::Blue},
        {"Green", contrast::Green},
        {"Red", contrast::Red},
        {"DarkGreen", contrast::DarkGreen},
    };
    struct NamedText {
        std::string_view name, text;
    };
    const NamedText texts[] = {
        {"Title", text::Title},
        {"OptionsMenu", text::OptionsMenu},
        {"InfoMenu", text::InfoMenu},
        {"InfoTitle", text::InfoTitle},
        {"InfoMessage", text::InfoMessage},
        {"ErrorTitle", text::ErrorTitle},
        {"ErrorMessage", text::ErrorMessage},
        {"Farewell", text::Farewell},
        {"Again", text::Again},
    };
    const std::string_view cueNames[] = {"Start", "Right", "Wrong", "End"};
    const std::string roles[] = {"\"round\"", "\"exit\"", "\"neutral\""};
    const std::string keyActions[] = {"\"select\"", "\"click\"", "\"pressAndRelease\""};
    const auto name = [](const auto& element) { return quoted(element.name); };
    // A handler's name, or "" for none.
    const auto handler = [](window::Handler h) {
        for (const window::NamedHandler& named : Handlers)
            if (h && named.handler == h)
                return quoted(named.name);
        return quoted("");
    };

    std::string parts;
    forEachViewPart([&parts](std::string_view part, int count, const auto& fields, auto) {
        parts +=
            std::string(parts.empty() ? "" : ",") + "{\"name\":" + quoted(part) +
            ",\"count\":" + number(count) +
            ",\"fields\":" + jsonList(fields, [](const auto& f) { return quoted(f.name); }) +
            ",\"flags\":" +
            jsonList(fields, [](const auto& f) { return std::string(f.flag ? "true" : "false"); }) +
            "}";
    });

    return "{\"twipsPerPixel\":" + number(TwipsPerPixel) +
           ",\"lineWidth\":" + number(LineWidthPixels) +
           ",\"menuBarHeight\":" + number(MenuBarPixels) + ",\"fadeMs\":" + number(cue::FadeMs) +
           ",\"boxes\":" +
           jsonObject(boxes,
                      [](const NamedBox& b) {
                          return "[" + number(b.box.Left) + "," + number(b.box.Top) + "," +
                                 number(b.box.Width) + "," + number(b.box.Height) + "]";
                      }) +
           ",\"fontFamilies\":" + jsonList(FontFamilies, quoted) + ",\"fonts\":" +
           jsonObject(fonts,
                      [](const NamedFont& f) {
                          return "{\"pixels\":" + number(f.font.pixels()) +
                                 ",\"bold\":" + (f.font.bold ? "true" : "false") + "}";
                      }) +
           ",\"colours\":" +
           jsonObject(colours, [](const NamedColour& c) { return number(c.colour); }) +
           ",\"contrastColours\":" +
           jsonObject(contrastColours, [](const NamedColour& c) { return number(c.colour); }) +
           ",\"contrastTrailWidth\":" + number(ContrastTrailWidthPixels) +
           ",\"texts\":" + jsonObject(texts, [](const NamedText& t) { return quoted(t.text); }) +
           ",\"handlers\":" + jsonList(Handlers, name) +
           ",\"keys\":" + jsonList(window::ActingKeys, quoted) + ",\"buttons\":" +
           jsonList(Buttons,
                    [&](const window::Button& b) {
                        return "{\"name\":" + quoted(b.name) + ",\"caption\":" + quoted(b.caption) +
                               ",\"face\":" + number(b.face) +
                               ",\"role\":" + roles[static_cast<int>(b.role)] + ",\"key\":" +
                               keyActions[static_cast<int>(window::keyAction(b.role))] +
                               ",\"mouseDown\":" + handler(b.mouseDown) +
                               ",\"mouseUp\":" + handler(b.mouseUp) + "}";
                    }) +
           ",\"levels\":" +
           jsonList(window::LevelMenu,
                    [&](const window::MenuEntry& e) {
                        return "{\"caption\":" + quoted(e.caption) +
                               ",\"handler\":" + handler(e.handler) + "}";
                    }) +
           ",\"labels\":" + jsonList(Labels, name) + ",\"paintOrder\":" +
           jsonList(window::PaintOrder,
                    [](const window::PaintStep& p) {
                        return "[" + quoted(p.name) + "," + number(p.first) + "," + number(p.last) +
                               "]";
                    }) +
           ",\"view\":[" + parts + "],\"cues\":" + jsonList(cueNames, quoted) + "}";
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

EMSCRIPTEN_KEEPALIVE const float* viewRecord() { return view.data(); }
EMSCRIPTEN_KEEPALIVE int viewSize() { return static_cast<int>(ViewSize); }

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
