// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AppIcon.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <QPolygonF>
#include <QRectF>

#include <algorithm>

namespace navicella {

namespace {

// The drawing is laid out on a 16 x 16 grid so that at 16 pixels every unit
// is one pixel: the one-unit strokes run along half units and stay sharp
// instead of smearing over two pixel rows.
constexpr qreal gridUnits = 16.0;

// The game's own colours, plus a darker edge so that the pale tile still
// stands out on a white panel.
const QColor tileFill{0xFF, 0xFF, 0xC0};
const QColor tileEdge{0xC8, 0xA0, 0x00};
const QColor shipBlue{0x00, 0x00, 0xFF};
const QColor threadGreen{0x00, 0xC0, 0x00};
const QColor goalRed{0xFF, 0x00, 0x00};

QPen strokePen(const QColor& colour, qreal width)
{
    QPen pen(colour, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

}  // namespace

void paintIcon(QPainter& painter, const QRectF& target, IconShape shape)
{
    const qreal side = std::min(target.width(), target.height());
    if (side <= 0.0) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(target.center().x() - side / 2.0, target.center().y() - side / 2.0);
    painter.scale(side / gridUnits, side / gridUnits);

    if (shape == IconShape::FullBleed) {
        // A launcher may keep no more than the circle of 80 % of the width
        // around the centre; the drawing's farthest point, the ship's left
        // corner, lies 9.2 units from it, so the drawing shrinks to fit.
        painter.fillRect(QRectF(0.0, 0.0, gridUnits, gridUnits), tileFill);
        constexpr qreal shrink = 0.68;
        painter.translate(gridUnits / 2.0, gridUnits / 2.0);
        painter.scale(shrink, shrink);
        painter.translate(-gridUnits / 2.0, -gridUnits / 2.0);
    } else {
        // The edge is one pixel at the smallest sizes and half a unit from
        // 32 pixels up, where a full unit would look heavy.
        const qreal edge = std::max(0.5, gridUnits / side);
        painter.setPen(strokePen(tileEdge, edge));
        painter.setBrush(tileFill);
        painter.drawRoundedRect(QRectF(edge / 2.0, edge / 2.0, gridUnits - edge, gridUnits - edge),
                                3.0, 3.0);
    }

    // The thread leaves the ship's nose, runs up, across and down into the
    // goal: the game's right-angled path in three strokes.
    QPainterPath thread;
    thread.moveTo(4.5, 11.0);
    thread.lineTo(4.5, 3.5);
    thread.lineTo(11.5, 3.5);
    thread.lineTo(11.5, 9.0);
    painter.setPen(strokePen(threadGreen, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(thread);

    // The game's ship: a base twice as wide as the nose stands in front of it.
    const QPolygonF ship{{1.0, 14.0}, {8.0, 14.0}, {4.5, 10.5}};
    painter.setPen(Qt::NoPen);
    painter.setBrush(shipBlue);
    painter.drawPolygon(ship);

    painter.setPen(strokePen(goalRed, 1.25));
    painter.setBrush(tileFill);
    painter.drawEllipse(QPointF(11.5, 11.0), 2.25, 2.25);

    painter.restore();
}

QImage iconImage(int size, IconShape shape)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintIcon(painter, QRectF(0.0, 0.0, size, size), shape);
    painter.end();
    return image;
}

QIcon windowIcon()
{
    QIcon icon;
    for (const int size : windowIconSizes) {
        icon.addPixmap(QPixmap::fromImage(iconImage(size)));
    }
    return icon;
}

}  // namespace navicella
