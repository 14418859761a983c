// SPDX-License-Identifier: GPL-3.0-or-later
// Where every control of the window stands, and its font, in the window's own
// units: twips from the top-left corner of the client area (15 to a pixel)
// and points (converted at 96 dpi, whatever the display reports). Both
// editions lay the window out from these numbers.
#pragma once

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

inline constexpr int LineWidthPixels = 3;

inline constexpr double ButtonPoints = 12;
inline constexpr double LevelPoints = 9.75;
inline constexpr double TitlePoints = 14.25;
inline constexpr double QuestionPoints = 15.75;

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
