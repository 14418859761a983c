// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window's controls stand on the board (the client area below the
// menu bar), in pixels, worked out from the layout the window itself is laid
// out from (game/Layout.h): every press of the tests and the benchmarks
// follows a control wherever the layout moves it. Toolkit-free, so that the
// benchmarks can use it too.
#pragma once

#include "game/Constants.h"
#include "game/Layout.h"

#include <algorithm>
#include <cstdint>

namespace navicella::test {

struct Point {
    int x = 0;
    int y = 0;
};

using Region = layout::PixelBox;

constexpr Region pixels(const layout::Box& box) { return layout::inPixels(box); }
constexpr Point centre(const Region& r) { return {r.centreX(), r.centreY()}; }

// Where a button centred at `button` shows its face, above its caption.
constexpr Point face(Point button) { return {button.x, button.y - 10}; }

// A colour of the core (0x00BBGGRR) as X and images hold it, 0xRRGGBB.
constexpr std::uint32_t rgb(Colour colour)
{
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

namespace board {

inline constexpr Region Whole = pixels(layout::Client);
inline constexpr std::uint32_t Background = rgb(colour::LightYellow);

// The centres of the buttons.
inline constexpr Point Via = centre(pixels(layout::Opt_Via));
inline constexpr Point Sinistra = centre(pixels(layout::Opt_Sinistra));
inline constexpr Point Destra = centre(pixels(layout::Opt_Destra));
inline constexpr Point Pulisci = centre(pixels(layout::Opt_Pulisci));
inline constexpr Point Esci = centre(pixels(layout::Opt_Esci));

// The playing field, between the title and the question.
inline constexpr Region Field{0, pixels(layout::Label1).bottom(), Whole.width,
                              pixels(layout::Lbl_Domanda).top - pixels(layout::Label1).bottom()};
inline constexpr Region Question = pixels(layout::Lbl_Domanda);
// The first row of the buttons, whose pressed look changes with every press.
inline constexpr int ButtonsTop = std::min(
    {pixels(layout::Opt_Via).top, pixels(layout::Opt_Sinistra).top, pixels(layout::Opt_Destra).top,
     pixels(layout::Opt_Pulisci).top, pixels(layout::Opt_Esci).top});

}  // namespace board
}  // namespace navicella::test
