// SPDX-License-Identifier: GPL-3.0-or-later
// A real Form1 on scripted chance, with message boxes recorded instead of shown.
#pragma once

#include "support/RecordingPlayer.h"
#include "support/ScriptedRandom.h"
#include "ui/Board.h"
#include "ui/Form1.h"
#include "ui/GraphicalOptionButton.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace navicella::test {

struct ShownMessage {
    QString title;
    QString text;
    bool isError;
};

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<Form1>(random, player);
        window->setMessagePresenter(
            [this](QWidget*, const QString& title, const QString& text, bool isError) {
                messages.push_back({title, text, isError});
            });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // A press and a release, as a player makes them, with any mouse button.
    static void click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mousePress(widget, button, modifiers);
        QTest::mouseRelease(widget, button, modifiers);
    }

    Game& game() { return window->game(); }
    const GameState& state() { return window->game().state(); }
    Controls& controls() { return window->game().controls(); }

    ScriptedRandom random;
    RecordingPlayer player;
    std::unique_ptr<Form1> window;
    std::vector<ShownMessage> messages;
};

}  // namespace navicella::test
