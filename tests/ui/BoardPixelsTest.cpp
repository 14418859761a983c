// SPDX-License-Identifier: GPL-3.0-or-later
// Pixels of the rendered board stand where the layout puts them.
#include "game/Constants.h"
#include "support/WindowFixture.h"
#include "ui/FormLayout.h"

#include <QImage>

namespace navicella::test {
namespace {

QColor rgb(Colour colour) { return layout::toQColor(colour); }

class BoardPixelsTest : public WindowFixture {
protected:
    // The board as it is painted now, one image pixel to one logical pixel.
    QImage render() const
    {
        return window->board()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // Facile, four turns, left pair first: the thread runs along vertex A
    // from (5500, 3500): left 200, up 300, right 400, up 500, so the last
    // segment ends at (5700, 2700) and the goal's box is at (5450, 2380).
    void startEasyRound()
    {
        random.push({0.1f, 0.75f, 0.25f});
        click(window->Opt_Via());
    }
};

struct Probe {
    const char* what;
    int x, y;  // logical pixels on the board
    Colour expected;
};

TEST_F(BoardPixelsTest, EasyRoundStandsWhereTheLayoutSays)
{
    startEasyRound();
    const QImage image = render();
    ASSERT_EQ(image.size(), QSize(760, 529));
    const Probe probes[] = {
        {"background", 700, 300, colour::LightYellow},
        {"first segment, 5350 / 3500 twips", 356, 233, colour::Green},
        {"fourth segment below the goal", 380, 200, colour::Green},
        {"goal fill hides the segment under it", 380, 185, colour::LightYellow},
        {"goal outline, top", 379, 164, colour::Red},
        {"marker outline at home, left", 361, 234, colour::DarkGreen},
    };
    for (const Probe& probe : probes) {
        EXPECT_EQ(image.pixelColor(probe.x, probe.y), rgb(probe.expected)) << probe.what;
    }
}

TEST_F(BoardPixelsTest, SimpleLevelShowsTheBlueShipAtHome)
{
    window->Simple()->trigger();
    startEasyRound();
    const QImage image = render();
    // The base runs from 5500 to 6000 twips at 3500: pixels 367..400 on row 233.
    EXPECT_EQ(image.pixelColor(395, 233), rgb(colour::Blue));
    // The nose at (5750, 3250): pixel (383, 217).
    EXPECT_EQ(image.pixelColor(383, 217), rgb(colour::Blue));
}

TEST_F(BoardPixelsTest, AnsweredSegmentsTurnRedAndTheGoalFillsRed)
{
    startEasyRound();
    click(window->Opt_Sinistra());
    QImage image = render();
    EXPECT_EQ(image.pixelColor(360, 233), rgb(colour::Red)) << "first segment";
    EXPECT_EQ(image.pixelColor(353, 228), rgb(colour::Red)) << "second segment, the follow-on";
    // The marker now stands at its end, 90 twips up and left: its fill hides the segment's top.
    EXPECT_EQ(image.pixelColor(353, 218), rgb(colour::LightYellow));
    EXPECT_EQ(image.pixelColor(380, 200), rgb(colour::Green)) << "fourth segment not yet";

    click(window->Opt_Destra());
    image = render();
    EXPECT_EQ(image.pixelColor(380, 178), rgb(colour::Red)) << "goal filled";
    EXPECT_FALSE(window->Opt_Destra()->isVisible());
    EXPECT_TRUE(window->Opt_Via()->isVisible());
}

TEST_F(BoardPixelsTest, ShapeStandsInFrontOfTheLevelLabel)
{
    // Put the easy-level marker over the level's caption at 480, 6720 twips.
    Shape& marker = controls().Shape2;
    marker.Visible = true;
    marker.Left = 540;
    marker.Top = 6720;
    window->dispatch(&Game::Easy_Click);
    const QImage image = render();
    // The marker's 16-pixel circle is centred at (40.5, 456): its fill covers the text.
    bool anyBlue = false;
    for (int y = 450; y <= 462; ++y)
        for (int x = 36; x <= 45; ++x)
            anyBlue = anyBlue || image.pixelColor(x, y) == rgb(colour::Blue);
    EXPECT_FALSE(anyBlue);
    // Beside the marker the label's blue text still shows.
    bool textBeside = false;
    for (int y = 448; y <= 465; ++y)
        for (int x = 55; x <= 95; ++x)
            textBeside = textBeside || image.pixelColor(x, y) == rgb(colour::Blue);
    EXPECT_TRUE(textBeside);
}

TEST_F(BoardPixelsTest, ASelectedButtonIsDrawnPressedIn)
{
    const QImage released = window->Opt_Via()->grab().toImage();
    controls().setValue(controls().Opt_Via, true);
    window->dispatch(&Game::Easy_Click);
    const QImage pressed = window->Opt_Via()->grab().toImage();
    // The top-left corner is light when raised and dark when pressed in.
    EXPECT_EQ(released.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(pressed.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(released.pixelColor(released.width() / 2, 3), rgb(colour::Yellow)) << "the face";
}

}  // namespace
}  // namespace navicella::test
