// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the browser edition's description: everything the page builds its
// window from, taken from the core's own tables when the core is built. The
// layout's boxes in twips, fonts in pixels and the line width; the colours
// as 0x00BBGGRR numbers; the program's words; the option buttons, what keys
// do on them and the handlers they run; the menu; the paint order; the
// names of the handlers, labels and cues in the order of their numbers in
// the WebAssembly; and the layout of the view record. The site ships it as
// description.json. Usage: navicella_describe OUT.json
#include "game/CueSynth.h"
#include "game/Window.h"
#include "web/ViewRecord.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <string_view>
#include <utility>

namespace navicella {
namespace {

using nlohmann::ordered_json;

ordered_json box(const layout::Box& b) { return {b.Left, b.Top, b.Width, b.Height}; }
ordered_json font(const layout::Font& f) { return {{"pixels", f.pixels()}, {"bold", f.bold}}; }

// A handler's name, or "" for none.
std::string_view handlerName(window::Handler handler)
{
    for (const window::NamedHandler& named : window::Handlers)
        if (handler && named.handler == handler)
            return named.name;
    return "";
}

std::string_view roleName(window::Role role)
{
    switch (role) {
    case window::Role::Round: return "round";
    case window::Role::Exit: return "exit";
    case window::Role::Neutral: break;
    }
    return "neutral";
}

std::string_view keyActionName(window::KeyAction action)
{
    switch (action) {
    case window::KeyAction::Select: break;
    case window::KeyAction::Click: return "click";
    case window::KeyAction::PressAndRelease: return "pressAndRelease";
    }
    return "select";
}

// A set of the board's colours, the game's own or the high-contrast board's,
// under the names both sets share.
ordered_json colourSet(Colour lightYellow, Colour yellow, Colour blue, Colour green, Colour red,
                       Colour darkGreen)
{
    return {{"LightYellow", lightYellow},
            {"Yellow", yellow},
            {"Blue", blue},
            {"Green", green},
            {"Red", red},
            {"DarkGreen", darkGreen}};
}

// The cues by name, each at its number in the WebAssembly.
constexpr std::pair<synth::Cue, std::string_view> CueNames[] = {
    {synth::Cue::Start, "Start"},
    {synth::Cue::Right, "Right"},
    {synth::Cue::Wrong, "Wrong"},
    {synth::Cue::End, "End"},
};

ordered_json describe()
{
    using namespace layout;
    ordered_json d;
    d["twipsPerPixel"] = TwipsPerPixel;
    d["lineWidth"] = LineWidthPixels;
    d["menuBarHeight"] = MenuBarPixels;
    d["fadeMs"] = cue::FadeMs;

    ordered_json& boxes = d["boxes"];
    boxes["Client"] = box(Client);
    boxes["Shape1"] = box(layout::Shape1);
    boxes["Shape2"] = box(layout::Shape2);
    for (const window::Button& button : window::Buttons)
        boxes[std::string(button.name)] = box(button.box);
    for (const window::LabelPlace& label : window::Labels)
        boxes[std::string(label.name)] = box(label.box);

    d["fontFamilies"] = FontFamilies;
    d["fonts"]["button"] = font(ButtonFont);
    for (const window::LabelPlace& label : window::Labels)
        d["fonts"][std::string(label.name)] = font(label.font);

    d["colours"] = colourSet(colour::LightYellow, colour::Yellow, colour::Blue, colour::Green,
                             colour::Red, colour::DarkGreen);
    d["contrastColours"] = colourSet(contrast::LightYellow, contrast::Yellow, contrast::Blue,
                                     contrast::Green, contrast::Red, contrast::DarkGreen);
    d["contrastTrailWidth"] = ContrastTrailWidthPixels;
    d["texts"] = {
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

    for (const window::NamedHandler& handler : window::Handlers)
        d["handlers"].push_back(handler.name);
    d["keys"] = window::ActingKeys;
    for (const window::Button& b : window::Buttons)
        d["buttons"].push_back({{"name", b.name},
                                {"caption", b.caption},
                                {"face", b.face},
                                {"role", roleName(b.role)},
                                {"key", keyActionName(window::keyAction(b.role))},
                                {"mouseDown", handlerName(b.mouseDown)},
                                {"mouseUp", handlerName(b.mouseUp)}});
    for (const window::MenuEntry& entry : window::LevelMenu)
        d["levels"].push_back(
            {{"caption", entry.caption}, {"handler", handlerName(entry.handler)}});
    for (const window::LabelPlace& label : window::Labels)
        d["labels"].push_back(label.name);
    for (const window::PaintStep& step : window::PaintOrder)
        d["paintOrder"].push_back({step.name, step.first, step.last});

    view::forEachPart([&d](std::string_view name, int count, const auto& fields, auto) {
        ordered_json part{{"name", name}, {"count", count}};
        for (const auto& field : fields) {
            part["fields"].push_back(field.name);
            part["flags"].push_back(field.flag);
        }
        d["view"].push_back(part);
    });
    for (const auto& [cue, name] : CueNames)
        d["cues"][static_cast<std::size_t>(cue)] = name;
    return d;
}

}  // namespace
}  // namespace navicella

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: navicella_describe OUT.json\n");
        return 1;
    }
    std::ofstream out(argv[1]);
    out << navicella::describe().dump() << '\n';
    out.close();
    if (!out) {
        std::fprintf(stderr, "navicella_describe: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
