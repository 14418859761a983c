// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Controls.h"

#include "game/Layout.h"
#include "game/RuntimeError.h"

namespace navicella {

[[noreturn]] void raiseMissingControlElement(Int16 index)
{
    throw RuntimeError(RuntimeError::Kind::MissingControlElement,
                       "Control array element '" + std::to_string(index) + "' doesn't exist");
}

Controls::Controls()
{
    for (Line& line : Line3)
        line.BorderColor = colour::Blue;

    Shape1 = {.Left = layout::Shape1.Left,
              .Top = layout::Shape1.Top,
              .Width = layout::Shape1.Width,
              .Height = layout::Shape1.Height,
              .BorderColor = colour::Red,
              .BackColor = colour::LightYellow,
              .FillColor = colour::LightYellow,
              .Visible = true};
    Shape2 = {.Left = layout::Shape2.Left,
              .Top = layout::Shape2.Top,
              .Width = layout::Shape2.Width,
              .Height = layout::Shape2.Height,
              .BorderColor = colour::DarkGreen,
              .BackColor = colour::LightYellow,
              .FillColor = colour::LightYellow,
              .Visible = false};

    Label1 = {std::string(text::Title), true};
    Lbl_Domanda = {"", true};
    Lbl_Livello = {"", false};

    Option1.Value = true;
}

void Controls::setValue(OptionButton& member, bool value)
{
    if (value) {
        for (OptionButton* other :
             {&Opt_Esci, &Option1, &Opt_Via, &Opt_Destra, &Opt_Sinistra, &Opt_Pulisci})
            other->Value = false;
    }
    member.Value = value;
}

}  // namespace navicella
