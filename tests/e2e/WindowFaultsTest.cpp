// SPDX-License-Identifier: GPL-3.0-or-later
// The real window under conditions a child's computer may bring: scaled
// screens, odd window sizes, and presses faster than the screen repaints.
#include "e2e/DesktopSession.h"

#include <gtest/gtest.h>

#include <cmath>

namespace navicella::test {
namespace {

using namespace board;

const QColor ButtonFace(rgb(colour::Yellow));
const QColor Green(rgb(colour::Green));

class ScaleFactor : public ::testing::TestWithParam<double> {};

// The same layout, in device pixels times the factor: nothing cut or shifted.
TEST_P(ScaleFactor, ShowsTheSameLayoutScaled)
{
    const double f = GetParam();
    const auto scaled = [f](Point logical) {
        return Point{static_cast<int>(std::lround(logical.x * f)),
                     static_cast<int>(std::lround(logical.y * f))};
    };
    const auto showsScaled = [&](const QImage& b, Point button) {
        const Point at = scaled(face(button));
        return b.pixelColor(at.x, at.y) == ButtonFace;
    };
    DesktopSession game(NAVICELLA_BINARY, {"QT_SCALE_FACTOR=" + std::to_string(f)});
    ASSERT_TRUE(game.waitForWindow());
    const QImage idle = game.board();
    EXPECT_NEAR(idle.width(), Whole.width * f, 1.0);
    EXPECT_NEAR(idle.height(), Whole.height * f, 1.0);
    EXPECT_TRUE(showsScaled(idle, Via)) << "Via per iniziare";
    EXPECT_TRUE(showsScaled(idle, Esci)) << "Esci";

    game.clickBoard(scaled(Via));
    ASSERT_TRUE(game.waitForBoard([&](const QImage& b) { return showsScaled(b, Sinistra); }));
    const QImage playing = game.board();
    EXPECT_TRUE(showsScaled(playing, Destra)) << "Destra";
    // The shortest thread is 1400 twips (93 pixels) of 3-pixel line, partly
    // under the goal and the marker. An unsmoothed line of 3 x f device
    // pixels covers at least the whole pixels of that width.
    const int lineWidth = static_cast<int>(std::floor(3 * f));
    EXPECT_GT(countColour(playing, Green), static_cast<int>(50 * f) * lineWidth);
}

INSTANTIATE_TEST_SUITE_P(Screens, ScaleFactor, ::testing::Values(1.0, 1.25, 1.5, 2.0),
                         [](const auto& param) {
                             std::string name(1, 'x');
                             name += std::to_string(std::lround(param.param * 100));
                             return name;
                         });

TEST(Window, ResizedSmallOrLargeMovesNothing)
{
    DesktopSession game(NAVICELLA_BINARY);
    ASSERT_TRUE(game.waitForWindow());
    game.clickBoard(Via);
    ASSERT_TRUE(game.waitForBoard([](const QImage& b) { return shows(b, Sinistra); }));
    const QImage full = game.board();

    game.resizeWindow(100, 100);
    ASSERT_TRUE(game.waitForBoard([](const QImage& b) { return b.width() == 100; }));
    const QImage small = game.board();
    EXPECT_EQ(small, full.copy(0, 0, 100, small.height())) << "cut off, not moved or scaled";

    game.resizeWindow(4000, 3000);
    ASSERT_TRUE(game.waitForBoard([](const QImage& b) { return b.width() == 4000; }));
    const QImage large = game.board();
    EXPECT_EQ(large.copy(0, 0, Whole.width, Whole.height), full) << "nothing moved";
    // Still on the 2560 x 1600 screen, where the window was centred before.
    EXPECT_EQ(large.pixelColor(1000, 800), QColor(Background)) << "the rest is the board's colour";

    // Still playable: a clear brings back the start button.
    game.clickBoard(Pulisci);
    EXPECT_TRUE(game.waitForBoard([](const QImage& b) { return shows(b, Via); }));
}

// A child hammering the buttons: every press is handled, none crashes the game.
TEST(Window, PressesFasterThanRepaints)
{
    DesktopSession game(NAVICELLA_BINARY);
    ASSERT_TRUE(game.waitForWindow());
    for (int round = 0; round < 5; ++round) {
        game.clickBoard(Via);  // start, or nothing while a round is on
        for (int press = 0; press < 10; ++press) {
            game.moveTo(press % 2 ? Sinistra : Destra);
            game.input().click(1, 4);
        }
    }
    EXPECT_TRUE(game.process().running());
    // The window still answers: a clear, when a round is on, shows the start button.
    game.clickBoard(Pulisci);
    EXPECT_TRUE(game.waitForBoard([](const QImage& b) { return shows(b, Via); }));
}

}  // namespace
}  // namespace navicella::test
