// SPDX-License-Identifier: GPL-3.0-or-later
// The window as both editions build it: its controls by name, with their
// places, captions and fonts, the handlers an event may run, and the order
// the board is painted in. The desktop reads these tables directly; the
// browser edition receives them in the module's description.
#pragma once

#include "game/Constants.h"
#include "game/Game.h"
#include "game/Layout.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace navicella::window {

using Handler = void (Game::*)();

// Every handler an event may run, by name.
struct NamedHandler {
    std::string_view name;
    Handler handler;
};
inline constexpr std::array<NamedHandler, 11> Handlers{{
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

// What pressing a member of the option group does: a round button runs its
// handlers on a pointer's press and release; "Esci" ends the game on a
// click; the neutral Option1 is never pressed, only selected by the game.
enum class Role { Round, Exit, Neutral };

// What the acting keys, Space and Enter, do on a focused member, in both
// editions: a key selects it, as a click does, and starts no game command but
// as its role has it. On "Esci" the selection counts as its click. A round
// button is pressed and released by the key where an edition offers play
// without a pointer: the browser edition does; the desktop edition only
// selects it (docs/decisions.md says why).
inline constexpr std::array<std::string_view, 2> ActingKeys{"Space", "Enter"};
enum class KeyAction { Select, Click, PressAndRelease };

constexpr KeyAction keyAction(Role role)
{
    return role == Role::Exit    ? KeyAction::Click
           : role == Role::Round ? KeyAction::PressAndRelease
                                 : KeyAction::Select;
}

constexpr bool isActingKey(std::string_view key)
{
    for (const std::string_view name : ActingKeys)
        if (name == key)
            return true;
    return false;
}

// The option group, back to front: each button stands in front of the ones
// before it, so "Esci" hides the neutral Option1 entirely.
struct Button {
    std::string_view name;
    OptionButton Controls::*control;
    layout::Box box;
    std::string_view caption;
    Colour face;
    Role role;
    Handler mouseDown = nullptr;
    Handler mouseUp = nullptr;
};
inline constexpr std::array<Button, 6> Buttons{{
    {"Opt_Pulisci", &Controls::Opt_Pulisci, layout::Opt_Pulisci, text::Clear, colour::Yellow,
     Role::Round, &Game::Opt_Pulisci_MouseDown, &Game::Opt_Pulisci_MouseUp},
    {"Opt_Sinistra", &Controls::Opt_Sinistra, layout::Opt_Sinistra, text::Sinistra, colour::Yellow,
     Role::Round, &Game::Opt_Sinistra_MouseDown, &Game::Opt_Sinistra_MouseUp},
    {"Opt_Destra", &Controls::Opt_Destra, layout::Opt_Destra, text::Destra, colour::Yellow,
     Role::Round, &Game::Opt_Destra_MouseDown, &Game::Opt_Destra_MouseUp},
    {"Opt_Via", &Controls::Opt_Via, layout::Opt_Via, text::Start, colour::Yellow, Role::Round,
     &Game::Opt_Via_MouseDown, &Game::Opt_Via_MouseUp},
    {"Option1", &Controls::Option1, layout::Option1, "", colour::LightYellow, Role::Neutral},
    {"Opt_Esci", &Controls::Opt_Esci, layout::Opt_Esci, text::Exit, colour::Yellow, Role::Exit},
}};

// The entries of the "Opzioni" menu.
struct MenuEntry {
    std::string_view caption;
    Handler handler;
};
inline constexpr std::array<MenuEntry, 3> LevelMenu{{
    {text::Easy, &Game::Easy_Click},
    {text::Simple, &Game::Simple_Click},
    {text::Complex, &Game::Complex_Click},
}};

struct LabelPlace {
    std::string_view name;
    Label Controls::*control;
    layout::Box box;
    layout::Font font;
};
inline constexpr std::array<LabelPlace, 3> Labels{{
    {"Label1", &Controls::Label1, layout::Label1, layout::TitleFont},
    {"Lbl_Domanda", &Controls::Lbl_Domanda, layout::Lbl_Domanda, layout::QuestionFont},
    {"Lbl_Livello", &Controls::Lbl_Livello, layout::Lbl_Livello, layout::LevelFont},
}};

struct NamedShape {
    std::string_view name;
    Shape Controls::*control;
};
inline constexpr std::array<NamedShape, 2> Shapes{{
    {"Shape1", &Controls::Shape1},
    {"Shape2", &Controls::Shape2},
}};

struct LineArray {
    std::string_view name;
    int count;
    const Line& (*at)(const Controls&, Int16);
};
inline constexpr std::array<LineArray, 2> LineArrays{{
    {"Line1", Line1Count, [](const Controls& c, Int16 k) -> const Line& { return c.Line1(k); }},
    {"Line3", Line3Count, [](const Controls& c, Int16 k) -> const Line& { return c.Line3(k); }},
}};

// The board's controls back to front: each covers the ones painted before it.
// A step names a line array with a range of its elements, a shape or a label.
struct PaintStep {
    std::string_view name;
    Int16 first = 0, last = 0;
};
inline constexpr std::array<PaintStep, 9> PaintOrder{{
    {"Line3", 0, 0},
    {"Line1", 0, 9},
    {"Line3", 1, 2},
    {"Line1", 10, 19},
    {"Lbl_Domanda"},
    {"Shape1"},
    {"Label1"},
    {"Lbl_Livello"},
    {"Shape2"},
}};

// Walks the board in PaintOrder: line(const Line&), shape(const Shape&) and
// label(k, const Label&), k its place in Labels, are called for each control in turn.
template <typename OnLine, typename OnShape, typename OnLabel>
void paintInOrder(const Controls& c, OnLine line, OnShape shape, OnLabel label)
{
    for (const PaintStep& step : PaintOrder) {
        for (const LineArray& array : LineArrays)
            if (array.name == step.name)
                for (Int16 k = step.first; k <= step.last; ++k)
                    line(array.at(c, k));
        for (const NamedShape& named : Shapes)
            if (named.name == step.name)
                shape(c.*named.control);
        for (std::size_t k = 0; k < Labels.size(); ++k)
            if (Labels[k].name == step.name)
                label(k, c.*Labels[k].control);
    }
}

}  // namespace navicella::window
