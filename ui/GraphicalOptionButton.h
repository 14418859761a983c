// SPDX-License-Identifier: GPL-3.0-or-later
// A graphical option button: looks like a push button with its caption on a
// coloured face, drawn pressed in while selected or held down.
//
// Unlike an ordinary button it reports a press with any mouse button, at once
// (mouseDown), and the release that follows (mouseUp), even when the press
// has hidden it. Selecting it from the keyboard (the acting keys of the
// game's key rule) emits keySelected, which starts no game command. Whether
// it is selected is the game's data: the window sets it with setSelected().
#pragma once

#include <QAbstractButton>
#include <QColor>

namespace navicella {

class GraphicalOptionButton : public QAbstractButton {
    Q_OBJECT
public:
    GraphicalOptionButton(const QString& caption, QColor face, QWidget* parent = nullptr);

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    bool isHeldDown() const { return m_heldDown; }

    QSize sizeHint() const override;

signals:
    void mouseDown();
    void mouseUp();
    void keySelected();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QColor m_face;
    bool m_selected = false;
    bool m_heldDown = false;
};

}  // namespace navicella
