// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon, drawn by code: a blue ship at the foot of a green thread
// that leads to a red goal ring, on the game's light yellow tile.
//
// One painting function feeds the window icon, the installed PNGs and the
// scalable SVG, so they cannot drift apart. paintIcon() and iconImage() need
// no QGuiApplication; windowIcon() does, because a QIcon holds pixmaps.
#pragma once

#include <QIcon>
#include <QImage>

#include <array>

class QPainter;
class QRectF;

namespace navicella {

// The pixel sizes the icon is rendered and installed at.
inline constexpr std::array<int, 8> iconSizes{16, 32, 48, 64, 128, 192, 256, 512};

// The tile with its rounded corners, or the square filled to its edges for
// launchers that cut their own shape out of an icon (a web app's maskable
// icon, an iPad's home screen).
enum class IconShape { Tile, FullBleed };

// The pixel sizes the full-bleed icon is rendered at: an iPad's home screen
// and a web app's maskable icon.
inline constexpr std::array<int, 2> fullBleedIconSizes{180, 512};

// Paints the icon into target. A square target is filled; in any other the
// icon is a square as large as the shorter side, centred. Nothing outside
// the tile's rounded corners (or the full-bleed square) is touched. The
// painter's state is restored.
void paintIcon(QPainter& painter, const QRectF& target, IconShape shape = IconShape::Tile);

// The icon as a size x size ARGB image, transparent outside the tile.
QImage iconImage(int size, IconShape shape = IconShape::Tile);

// The sizes a window's icon is offered at: what title bars, task bars and
// window switchers show. Larger ones would only slow the start.
inline constexpr std::array<int, 4> windowIconSizes{16, 32, 48, 64};

// The icon at every size of windowIconSizes, for QGuiApplication::setWindowIcon.
// Call it after the QGuiApplication exists.
QIcon windowIcon();

}  // namespace navicella
