// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/GraphicalOptionButton.h"

#include "game/Constants.h"
#include "game/Window.h"
#include "ui/FormLayout.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace navicella {
namespace {

// The classic two-pixel bevel: light above and left, dark below and right;
// the other way round when pressed in.
void paintBevel(QPainter& painter, const QRect& r, bool sunken)
{
    const QColor outerLight = sunken ? Qt::black : Qt::white;
    const QColor innerLight = sunken ? QColor(128, 128, 128) : QColor(227, 227, 227);
    const QColor outerDark = sunken ? Qt::white : Qt::black;
    const QColor innerDark = sunken ? QColor(227, 227, 227) : QColor(128, 128, 128);
    const int x0 = r.left(), y0 = r.top(), x1 = r.right(), y1 = r.bottom();
    painter.setPen(outerLight);
    painter.drawLine(x0, y0, x1 - 1, y0);
    painter.drawLine(x0, y0, x0, y1 - 1);
    painter.setPen(outerDark);
    painter.drawLine(x0, y1, x1, y1);
    painter.drawLine(x1, y0, x1, y1);
    painter.setPen(innerLight);
    painter.drawLine(x0 + 1, y0 + 1, x1 - 2, y0 + 1);
    painter.drawLine(x0 + 1, y0 + 1, x0 + 1, y1 - 2);
    painter.setPen(innerDark);
    painter.drawLine(x0 + 1, y1 - 1, x1 - 1, y1 - 1);
    painter.drawLine(x1 - 1, y0 + 1, x1 - 1, y1 - 1);
}

}  // namespace

GraphicalOptionButton::GraphicalOptionButton(const QString& caption, QColor face, QWidget* parent)
    : QAbstractButton(parent), m_face(face)
{
    setText(caption);
    setFont(layout::qFont(layout::ButtonFont));
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphicalOptionButton::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

QSize GraphicalOptionButton::sizeHint() const { return size(); }

void GraphicalOptionButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool sunken = m_selected || m_heldDown;
    painter.fillRect(rect(), m_face);
    paintBevel(painter, rect(), sunken);
    // Pressed in, the caption moves one pixel down and right with the face.
    const QRect face = rect().adjusted(2, 2, -2, -2).translated(sunken ? 1 : 0, sunken ? 1 : 0);
    painter.setPen(layout::toQColor(colour::Blue));
    painter.setFont(font());
    painter.drawText(face, Qt::AlignCenter, text());
    if (hasFocus()) {
        QPen dotted(Qt::black, 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.drawRect(rect().adjusted(4, 4, -5, -5));
    }
}

// Any button, with any modifier, presses: the base class would only take the left one.
void GraphicalOptionButton::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    m_heldDown = true;
    update();
    emit mouseDown();
}

void GraphicalOptionButton::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_heldDown)
        return;
    m_heldDown = false;
    update();
    emit mouseUp();
    // "Esci" acts on a click: the left button released over it.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void GraphicalOptionButton::mouseMoveEvent(QMouseEvent* event) { event->accept(); }

namespace {

// Looks the key up by the name the game's key rule knows it by.
bool isActingKey(int key)
{
    return window::isActingKey(key == Qt::Key_Space                            ? "Space"
                               : key == Qt::Key_Return || key == Qt::Key_Enter ? "Enter"
                                                                               : "");
}

}  // namespace

void GraphicalOptionButton::keyPressEvent(QKeyEvent* event)
{
    if (isActingKey(event->key()) && !event->isAutoRepeat()) {
        event->accept();
        emit keySelected();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void GraphicalOptionButton::keyReleaseEvent(QKeyEvent* event)
{
    if (isActingKey(event->key())) {
        event->accept();
        return;
    }
    QAbstractButton::keyReleaseEvent(event);
}

// A button hidden by its own press (the start button) loses the mouse, and
// the release would go to whatever lies under the pointer: watch for it, so
// that the press still ends with this button's mouseUp.
void GraphicalOptionButton::hideEvent(QHideEvent* event)
{
    QAbstractButton::hideEvent(event);
    if (m_heldDown)
        qApp->installEventFilter(this);
}

bool GraphicalOptionButton::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && m_heldDown) {
        qApp->removeEventFilter(this);
        m_heldDown = false;
        emit mouseUp();
        return isHidden();  // the release was this button's, not the widget's beneath
    }
    return QAbstractButton::eventFilter(watched, event);
}

}  // namespace navicella
