// SPDX-License-Identifier: GPL-3.0-or-later
// Where every control of the window stands, and its font, in the window's own
// units: twips from the top-left corner of the client area (15 to a pixel)
// and points (converted at 96 dpi, whatever the display reports). Both
// editions lay the window out from these numbers.
#pragma once

#include <array>
#include <cmath>
#include <string_view>

namespace navicella::layout {

inline constexpr int TwipsPerPixel = 15;

struct Box {
    int Left, Top, Width, Height;
};

inline constexpr Box Client{0, 0, 11400, 7935};

inline constexpr Box Opt_Esci{9960, 7200, 1095, 495};
inline constexpr Box Option1{9960, 7320, 135, 270};
inline constexpr Box Opt_Via{4560, 7200, 2415, 495};
inline constexpr Box Opt_Destra{7440, 7200, 1095, 495};
inline constexpr Box Opt_Sinistra{3000, 7200, 1095, 495};
inline constexpr Box Opt_Pulisci{480, 7200, 1095, 495};
inline constexpr Box Lbl_Livello{480, 6720, 1215, 255};
inline constexpr Box Label1{2400, 120, 6615, 495};
inline constexpr Box Lbl_Domanda{2880, 6360, 5775, 615};
inline constexpr Box Shape1{480, 800, 495, 600};   // where the goal marker starts
inline constexpr Box Shape2{600, 1800, 255, 240};  // where the easy-level marker starts

inline constexpr int LineWidthPixels = 3;
// On the browser edition's high-contrast board the trail is wider than the
// thread, another difference than its colour.
inline constexpr int ContrastTrailWidthPixels = 5;

// A font of the first of these families that is installed; DejaVu Sans has
// Verdana-like widths.
inline constexpr std::array<std::string_view, 2> FontFamilies{"Verdana", "DejaVu Sans"};

struct Font {
    double points;
    bool bold;
    // At 96 dpi, rounded to whole pixels, so that the layout does not follow
    // the display's own resolution.
    int pixels() const { return static_cast<int>(std::lround(points * 96 / 72)); }
};

inline constexpr Font ButtonFont{12, true};
inline constexpr Font LevelFont{9.75, true};
inline constexpr Font TitleFont{14.25, false};
inline constexpr Font QuestionFont{15.75, false};

// The browser edition draws its own menu bar, a desktop's plain one, this tall.
inline constexpr int MenuBarPixels = 19;

inline constexpr double toPixels(double twips) { return twips / TwipsPerPixel; }

// A box in whole pixels, as every box of the layout lies.
struct PixelBox {
    int left = 0, top = 0, width = 0, height = 0;
    constexpr int bottom() const { return top + height; }  // the first row below it
    constexpr int centreX() const { return left + (width - 1) / 2; }
    constexpr int centreY() const { return top + (height - 1) / 2; }
};

inline constexpr PixelBox inPixels(const Box& box)
{
    return {box.Left / TwipsPerPixel, box.Top / TwipsPerPixel, box.Width / TwipsPerPixel,
            box.Height / TwipsPerPixel};
}

}  // namespace navicella::layout
