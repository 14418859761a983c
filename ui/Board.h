// SPDX-License-Identifier: GPL-3.0-or-later
// The client area of the window: paints the lines, shapes and labels of the
// game's controls, back to front, in the window's stacking order.
//
// The board only reads the controls; the window calls update() after every
// event. The buttons are child widgets standing in front of it.
#pragma once

#include "game/Controls.h"

#include <QFont>
#include <QWidget>

#include <array>

namespace navicella {

class Board : public QWidget {
    Q_OBJECT
public:
    explicit Board(const Controls& controls, QWidget* parent = nullptr);

    // Keeps the painted texts available to assistive technology.
    void refreshAccessibleText();

signals:
    // A paint has just completed; benchmarks time the response of the window by it.
    void painted();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Controls& m_controls;
    std::array<QFont, 3> m_fonts;  // one for each label, as window::Labels lists them
};

}  // namespace navicella
