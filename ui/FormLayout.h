// SPDX-License-Identifier: GPL-3.0-or-later
// The window's layout (game/Layout.h) in Qt's terms: pixel rectangles,
// colours and fonts.
#pragma once

#include "game/Constants.h"
#include "game/Layout.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QRectF>

namespace navicella::layout {

inline QRect pixelRect(const Box& box)
{
    const PixelBox p = inPixels(box);
    return {p.left, p.top, p.width, p.height};
}

// Colours are stored 0x00BBGGRR.
inline QColor toQColor(Colour colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

// The font in Qt's terms, its size set in pixels.
QFont qFont(const Font& font);

}  // namespace navicella::layout
