// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FormLayout.h"

#include <QStringList>

namespace navicella::layout {

QFont qFont(const Font& font)
{
    QStringList families;
    for (const std::string_view family : FontFamilies)
        families << QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size()));
    QFont qfont;
    qfont.setFamilies(families);
    qfont.setPixelSize(font.pixels());
    qfont.setBold(font.bold);
    qfont.setItalic(false);
    qfont.setUnderline(false);
    qfont.setStrikeOut(false);
    return qfont;
}

}  // namespace navicella::layout
