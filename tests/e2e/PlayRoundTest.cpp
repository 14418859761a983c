// SPDX-License-Identifier: GPL-3.0-or-later
// Whole rounds of the real program, played with the mouse on an X display:
// the level chosen from the menu, the start button pressed, every turn
// answered by watching the screen, until the goal fills red.
#include "e2e/DesktopSession.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

namespace navicella::test {
namespace {

using namespace board;

const QColor Red(rgb(colour::Red));
const QColor Blue(rgb(colour::Blue));
const QColor MarkerGreen(rgb(colour::DarkGreen));

// "Ritenta - Sinistra o Destra ?" reaches further left than the question
// itself, which is centred and leaves the left fifth of its label free: blue
// text there means the last answer was wrong.
bool asksAgain(const QImage& board)
{
    for (int y = Question.top; y < Question.bottom(); ++y) {
        for (int x = Question.left; x < Question.left + Question.width / 5; ++x) {
            if (board.pixelColor(x, y) == Blue)
                return true;
        }
    }
    return false;
}

// The board above the row of buttons, whose pressed look changes with every press.
QImage field(const QImage& board) { return board.copy(0, 0, board.width(), ButtonsTop); }

// Where Qt draws a box's title bar itself (on Wayland), it centres the title
// on the bar and cuts it off where the bar's buttons begin. The compositor
// centres the box on the screen: a whole title's dark run of columns in the
// bar (its letters at most four columns apart) is centred there too, within
// a few pixels of ink; one cut off by a letter or more is not.
bool titleWhole(const QImage& shot)
{
    const int middle = shot.width() / 2;
    const auto grey = [&](int y) {
        const QRgb c = shot.pixel(middle, y);
        return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
    };
    int top = shot.height() / 2;  // up the box's grey face to its edge
    while (top > 0 && grey(top - 1))
        --top;
    const auto dark = [&](int x) {
        bool any = false;
        for (int y = top; y < top + 30; ++y)
            any = any || qGray(shot.pixel(x, y)) < 100;
        return any;
    };
    const auto near = [&](int x, int step) {
        return dark(x + step) || dark(x + 2 * step) || dark(x + 3 * step) || dark(x + 4 * step);
    };
    int left = middle;
    int right = middle;
    while (near(left, -1))
        --left;
    while (near(right, 1))
        ++right;
    return dark(middle) && std::abs(left + right - 2 * middle) <= 12;
}

void save(const QImage& image, const QString& name)
{
    QDir().mkpath(QStringLiteral(NAVICELLA_SHOTS_DIR));
    image.save(QStringLiteral(NAVICELLA_SHOTS_DIR "/%1.png").arg(name));
}

struct LevelCase {
    const char* name;
    int menuItem;                   // 0 Facile, 1 Semplice, 2 Complesso
    std::vector<int> rightPresses;  // the counts a whole thread can take
    bool marker;                    // the ship is the easy-level circle, not the triangle
};

class PlayRound : public ::testing::TestWithParam<LevelCase> {};

TEST_P(PlayRound, ToItsEnd)
{
    const LevelCase level = GetParam();
    DesktopSession game(NAVICELLA_BINARY);
    ASSERT_TRUE(game.waitForWindow());

    // "Opzioni" opens with a click on the bar; the arrow keys pick the item.
    game.clickWindow({30, game.menuBarHeight() / 2});
    sleepFor(300);
    std::vector<std::string> keys(static_cast<std::size_t>(level.menuItem) + 1, "Down");
    keys.push_back("Return");
    game.keys(keys);
    sleepFor(300);

    game.clickBoard(Via);
    ASSERT_TRUE(game.waitForBoard([](const QImage& b) {
        return !shows(b, Via) && shows(b, Sinistra);
    })) << "the round did not start";
    const QImage start = game.board();
    save(start, QStringLiteral("%1-start").arg(level.name));
    EXPECT_EQ(countInField(start, MarkerGreen) > 0, level.marker);
    EXPECT_EQ(countInField(start, Blue) > 0, !level.marker);

    // Each turn is answered "Sinistra" first, with the left button; when the
    // window asks again, "Destra" must be right, with the right button first. A right answer may
    // leave no new red in sight (a later segment can run over it), so the question tells right from
    // wrong.
    int rightPresses = 0;
    int wrongPresses = 0;
    for (int press = 0; press < 40 && !shows(game.board(), Via); ++press) {
        const QImage before = field(game.board());
        game.clickBoard(Sinistra);
        ASSERT_TRUE(game.waitForBoard([&](const QImage& b) { return field(b) != before; }))
            << "a press changed nothing on the screen";
        sleepFor(100);
        ++rightPresses;
        if (!asksAgain(game.board()))
            continue;
        game.clickBoard(Destra, ++wrongPresses % 2 == 1 ? 3 : 1);
        ASSERT_TRUE(game.waitForBoard([](const QImage& b) { return !asksAgain(b); }))
            << "neither answer was right";
        sleepFor(100);
    }

    const QImage end = game.board();
    save(end, QStringLiteral("%1-end").arg(level.name));
    EXPECT_TRUE(shows(end, Via));
    EXPECT_FALSE(shows(end, Sinistra));
    EXPECT_FALSE(shows(end, Destra));
    EXPECT_GT(countInField(end, Red), countInField(start, Red) + 500) << "the goal fills red";
    EXPECT_EQ(countInField(end, MarkerGreen), 0) << "the marker is hidden at the end";
    EXPECT_NE(std::find(level.rightPresses.begin(), level.rightPresses.end(), rightPresses),
              level.rightPresses.end())
        << rightPresses << " right presses";
}

INSTANTIATE_TEST_SUITE_P(Levels, PlayRound,
                         ::testing::Values(LevelCase{"Semplice", 1, {4, 6, 8}, false},
                                           LevelCase{"Complesso", 2, {9}, false},
                                           LevelCase{"Facile", 0, {2, 3, 4}, true}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(Program, InfoBoxComesWithAltIAndLeavesTheGameAsItWas)
{
    DesktopSession game(NAVICELLA_BINARY);
    ASSERT_TRUE(game.waitForWindow());
    game.clickBoard(Via);
    ASSERT_TRUE(game.waitForBoard([](const QImage& b) { return shows(b, Sinistra); }));
    const QImage before = game.board();

    game.keys({"alt+i"});
    const unsigned long box = game.waitForInfoBox(10000);
    ASSERT_NE(box, 0UL) << "no info box";
    sleepFor(300);
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(box).toImage();
    save(shot, QStringLiteral("info-box"));
    if (onWayland()) {
        EXPECT_TRUE(titleWhole(shot)) << "the box's title is cut off";
    }
    game.keys({"Return"}, box);
    // The playing field above the buttons is as it was (the focus may have moved).
    EXPECT_TRUE(game.waitForBoard([&](const QImage& b) { return field(b) == field(before); }));
}

TEST(Program, EsciEndsItAtOnceWithStatusZero)
{
    DesktopSession game(NAVICELLA_BINARY, {"WAYLAND_DEBUG=client"});
    ASSERT_TRUE(game.waitForWindow());
    game.clickBoard(Esci);
    EXPECT_EQ(game.process().wait(std::chrono::seconds(5)), 0) << "ended normally, status 0";
    // The desktop finds the window's entry, icon and name by its application id.
    if (onWayland()) {
        EXPECT_NE(game.process().errorText().find("set_app_id(\"" NAVICELLA_APP_ID "\")"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace navicella::test
