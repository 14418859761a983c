// SPDX-License-Identifier: GPL-3.0-or-later
// The window's controls as plain data, under their own names.
//
// The game changes what the window shows only by setting these properties;
// the window paints from them after every event. Line ends and shape
// positions are single-precision twips. A control array addressed outside its
// bounds raises the missing-element error, before anything is changed.
#pragma once

#include "game/Arithmetic.h"
#include "game/Constants.h"

#include <array>
#include <string>

namespace navicella {

struct Line {
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    Colour BorderColor = colour::Green;
    bool Visible = true;
    bool operator==(const Line&) const = default;
};

// A circle shape: the largest circle that fits its box, centred in it,
// outlined 3 pixels wide and filled solid.
struct Shape {
    float Left = 0, Top = 0;
    float Width = 0, Height = 0;  // fixed by the layout
    Colour BorderColor = colour::Red;
    Colour BackColor = colour::LightYellow;  // never seen: the solid fill covers it
    Colour FillColor = colour::LightYellow;
    bool Visible = true;
    bool operator==(const Shape&) const = default;
};

struct Label {
    std::string Caption;
    bool Visible = true;
    bool operator==(const Label&) const = default;
};

struct OptionButton {
    bool Visible = true;
    bool Value = false;
    bool operator==(const OptionButton&) const = default;
};

template <typename Control, int Count>
class ControlArray {
public:
    Control& operator()(Int16 index)
    {
        check(index);
        return m_items[static_cast<std::size_t>(index)];
    }
    const Control& operator()(Int16 index) const
    {
        check(index);
        return m_items[static_cast<std::size_t>(index)];
    }
    static constexpr int size() { return Count; }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }
    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    bool operator==(const ControlArray&) const = default;

private:
    static void check(Int16 index);
    std::array<Control, Count> m_items{};
};

[[noreturn]] void raiseMissingControlElement(Int16 index);

template <typename Control, int Count>
void ControlArray<Control, Count>::check(Int16 index)
{
    if (index < 0 || index >= Count)
        raiseMissingControlElement(index);
}

// Every control the game touches, in the state the window creates them in.
struct Controls {
    Controls();

    ControlArray<Line, Line1Count> Line1;  // the thread and the trail
    ControlArray<Line, Line3Count> Line3;  // the ship: base, left flank, right flank
    Shape Shape1;                          // the goal marker
    Shape Shape2;                          // the ship in the easy level
    Label Label1;                          // the title, never changed
    Label Lbl_Domanda;
    Label Lbl_Livello;

    // The option group: at most one member is selected at a time.
    OptionButton Opt_Esci;
    OptionButton Option1;  // the hidden neutral member, selected to release the others
    OptionButton Opt_Via;
    OptionButton Opt_Destra;
    OptionButton Opt_Sinistra;
    OptionButton Opt_Pulisci;

    // Value true selects the member and releases every other; false releases
    // the member and selects no other.
    void setValue(OptionButton& member, bool value);

    bool operator==(const Controls&) const = default;
};

}  // namespace navicella
