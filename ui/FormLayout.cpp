// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FormLayout.h"

#include <QStringList>

#include <cmath>

namespace navicella::layout {

QFont verdana(double points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

}  // namespace navicella::layout
