// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time tool: writes the program's icon as an icon theme tree,
//   <dir>/<n>x<n>/apps/<id>.png for every size of iconSizes and
//   <dir>/scalable/apps/<id>.svg,
// and the full-bleed icon, for launchers that cut their own shape, as
//   <full-bleed dir>/<n>x<n>.png for every size of fullBleedIconSizes;
// all painted by paintIcon(). Usage: navicella_icongen <dir> <id> <full-bleed dir>.
// Needs no display. Exit status 0 on success, 1 with a message otherwise.
#include "ui/AppIcon.h"

#include <QDir>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QSvgGenerator>

#include <cstdio>

namespace {

constexpr int svgSide = 256;

bool fail(const QString& message)
{
    std::fprintf(stderr, "navicella_icongen: %s\n", qPrintable(message));
    return false;
}

bool makeFolder(const QString& path)
{
    return QDir().mkpath(path) || fail(QStringLiteral("cannot create %1").arg(path));
}

bool writePng(const QString& folder, const QString& name, int size,
              navicella::IconShape shape = navicella::IconShape::Tile)
{
    const QString file = QStringLiteral("%1/%2.png").arg(folder, name);
    if (!makeFolder(folder)) {
        return false;
    }
    return navicella::iconImage(size, shape).save(file, "PNG") ||
           fail(QStringLiteral("cannot write %1").arg(file));
}

bool writeSvg(const QString& root, const QString& id)
{
    const QString folder = root + QStringLiteral("/scalable/apps");
    const QString file = QStringLiteral("%1/%2.svg").arg(folder, id);
    if (!makeFolder(folder)) {
        return false;
    }
    QSvgGenerator generator;
    generator.setFileName(file);
    generator.setSize(QSize(svgSide, svgSide));
    generator.setViewBox(QRect(0, 0, svgSide, svgSide));
    generator.setTitle(QStringLiteral("Navicella"));
    generator.setDescription(QStringLiteral("A ship, its thread and the goal"));
    QPainter painter;
    if (!painter.begin(&generator)) {
        return fail(QStringLiteral("cannot write %1").arg(file));
    }
    navicella::paintIcon(painter, QRectF(0.0, 0.0, svgSide, svgSide));
    return painter.end() || fail(QStringLiteral("cannot finish %1").arg(file));
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: navicella_icongen <dir> <id> <full-bleed dir>\n");
        return 1;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString id = QString::fromLocal8Bit(argv[2]);
    for (const int size : navicella::iconSizes) {
        if (!writePng(QStringLiteral("%1/%2x%2/apps").arg(root).arg(size), id, size)) {
            return 1;
        }
    }
    const QString fullBleed = QString::fromLocal8Bit(argv[3]);
    for (const int size : navicella::fullBleedIconSizes) {
        if (!writePng(fullBleed, QStringLiteral("%1x%1").arg(size), size,
                      navicella::IconShape::FullBleed)) {
            return 1;
        }
    }
    return writeSvg(root, id) ? 0 : 1;
}
