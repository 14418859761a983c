// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Board.h"

#include "game/Window.h"
#include "ui/FormLayout.h"

#include <QPainter>
#include <QStringList>

#include <cmath>

namespace navicella {
namespace {

// A 3-pixel line covers the pixel its end rounds to and one on each side, as
// a classic display does; the half-pixel shift keeps its edges on whole
// device pixels at any scale factor.
QPointF snapped(float xTwips, float yTwips)
{
    return {std::round(layout::toPixels(xTwips)) + 0.5, std::round(layout::toPixels(yTwips)) + 0.5};
}

void paintLine(QPainter& painter, const Line& line)
{
    // A line whose ends coincide shows nothing: that is how the trail is cleared.
    if (!line.Visible || (line.X1 == line.X2 && line.Y1 == line.Y2))
        return;
    painter.setPen(QPen(layout::toQColor(line.BorderColor), layout::LineWidthPixels, Qt::SolidLine,
                        Qt::RoundCap));
    painter.drawLine(snapped(line.X1, line.Y1), snapped(line.X2, line.Y2));
}

// The largest circle that fits the shape's box, centred in it, with its
// outline inside the box and a solid fill that hides what lies under it.
void paintShape(QPainter& painter, const Shape& shape)
{
    if (!shape.Visible)
        return;
    const QRectF box(layout::toPixels(shape.Left), layout::toPixels(shape.Top),
                     layout::toPixels(shape.Width), layout::toPixels(shape.Height));
    const qreal diameter = std::min(box.width(), box.height());
    QRectF circle(0, 0, diameter, diameter);
    circle.moveCenter(box.center());
    const qreal inset = layout::LineWidthPixels / 2.0;
    painter.setPen(QPen(layout::toQColor(shape.BorderColor), layout::LineWidthPixels));
    painter.setBrush(layout::toQColor(shape.FillColor));
    painter.drawEllipse(circle.adjusted(inset, inset, -inset, -inset));
    painter.setBrush(Qt::NoBrush);
}

// Labels have no background: their text is centred in the box, wraps at its
// width like any label, and what does not fit is cut off.
void paintLabel(QPainter& painter, const Label& label, const layout::Box& box, const QFont& font)
{
    if (!label.Visible || label.Caption.empty())
        return;
    const QRect rect = layout::pixelRect(box);
    painter.save();
    painter.setClipRect(rect);
    painter.setFont(font);
    painter.setPen(layout::toQColor(colour::Blue));
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                     QString::fromStdString(label.Caption));
    painter.restore();
}

}  // namespace

Board::Board(const Controls& controls, QWidget* parent) : QWidget(parent), m_controls(controls)
{
    for (std::size_t k = 0; k < m_fonts.size(); ++k)
        m_fonts[k] = layout::qFont(window::Labels[k].font);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QString::fromUtf8(text::Title.data(), text::Title.size()));
}

void Board::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), layout::toQColor(colour::LightYellow));
    painter.setRenderHint(QPainter::Antialiasing);

    window::paintInOrder(
        m_controls, [&](const Line& line) { paintLine(painter, line); },
        [&](const Shape& shape) { paintShape(painter, shape); },
        [&](std::size_t k, const Label& label) {
            paintLabel(painter, label, window::Labels[k].box, m_fonts[k]);
        });
    painter.end();
    emit painted();
}

void Board::refreshAccessibleText()
{
    QStringList texts;
    for (const window::LabelPlace& place : window::Labels) {
        const Label& label = m_controls.*place.control;
        if (label.Visible && !label.Caption.empty())
            texts << QString::fromStdString(label.Caption);
    }
    setAccessibleDescription(texts.join(QLatin1Char('\n')));
}

}  // namespace navicella
