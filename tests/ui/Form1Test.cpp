// SPDX-License-Identifier: GPL-3.0-or-later
// The window as a player meets it: presses with any mouse button, the option
// group's look, the menu, the info box, and errors kept inside the window.
#include "game/Constants.h"
#include "support/WindowFixture.h"

#include <QAccessible>
#include <QMenuBar>
#include <QTimer>

namespace navicella::test {
namespace {

// Facile, four turns: "Sinistra", "Destra", "Destra", "Sinistra".
constexpr std::initializer_list<float> FourTurnsLeftFirst{0.1f, 0.75f, 0.25f};

class Form1Test : public WindowFixture {};

TEST_F(Form1Test, FirstSightIsTheLoadedState)
{
    EXPECT_TRUE(window->windowTitle().isEmpty());
    EXPECT_EQ(window->centralWidget()->size(), QSize(760, 529));
    for (auto* shown : {window->Opt_Via(), window->Opt_Esci()})
        EXPECT_TRUE(shown->isVisible() && !shown->isSelected()) << shown->text().toStdString();
    for (auto* hidden : {window->Opt_Destra(), window->Opt_Sinistra(), window->Opt_Pulisci()})
        EXPECT_FALSE(hidden->isVisible()) << hidden->text().toStdString();
    EXPECT_EQ(state().EasyMode, True);
    EXPECT_EQ(controls().Lbl_Livello.Caption, "Facile");
}

struct PressCase {
    const char* name;
    Qt::MouseButton button;
    Qt::KeyboardModifiers modifiers;
};

class AnyMouseButton : public WindowFixture, public ::testing::WithParamInterface<PressCase> {};

// Each round button's command runs on the press, whichever mouse button it is.
TEST_P(AnyMouseButton, ReachesEveryRoundHandler)
{
    const auto [name, button, modifiers] = GetParam();
    random.push(FourTurnsLeftFirst);

    QTest::mousePress(window->Opt_Via(), button, modifiers);
    EXPECT_EQ(state().Turns(0), "Sinistra") << "start on press";
    EXPECT_FALSE(window->Opt_Via()->isVisible());
    QTest::mouseRelease(window->Opt_Via(), button, modifiers);
    EXPECT_FALSE(controls().Opt_Via.Value);

    QTest::mousePress(window->Opt_Destra(), button, modifiers);
    EXPECT_EQ(controls().Lbl_Domanda.Caption, "Ritenta - Sinistra o Destra ?") << "wrong answer";
    EXPECT_TRUE(window->Opt_Destra()->isHeldDown());
    QTest::mouseRelease(window->Opt_Destra(), button, modifiers);
    EXPECT_FALSE(window->Opt_Destra()->isSelected());

    click(window->Opt_Sinistra(), button, modifiers);
    EXPECT_EQ(state().AnswerIndex, 2) << "right answer and its follow-on";

    click(window->Opt_Pulisci(), button, modifiers);
    EXPECT_EQ(state().Turns(0), "") << "clear";
    EXPECT_TRUE(window->Opt_Via()->isVisible());
    EXPECT_TRUE(window->Opt_Pulisci()->isVisible());
    EXPECT_FALSE(window->Opt_Pulisci()->isSelected());
    EXPECT_EQ(player.cues,
              (std::vector<std::string>{std::string(cue::StartCue), std::string(cue::WrongCue),
                                        std::string(cue::RightCue), std::string(cue::RightCue)}));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, AnyMouseButton,
    ::testing::Values(PressCase{"Left", Qt::LeftButton, Qt::NoModifier},
                      PressCase{"Right", Qt::RightButton, Qt::NoModifier},
                      PressCase{"Middle", Qt::MiddleButton, Qt::NoModifier},
                      PressCase{"ShiftLeft", Qt::LeftButton, Qt::ShiftModifier},
                      PressCase{"ControlRight", Qt::RightButton, Qt::ControlModifier}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(Form1Test, AHeldButtonLooksPressedAndPopsBackUp)
{
    random.push(FourTurnsLeftFirst);
    click(window->Opt_Via());
    QTest::mousePress(window->Opt_Sinistra(), Qt::LeftButton);
    EXPECT_TRUE(window->Opt_Sinistra()->isHeldDown());
    QTest::mouseRelease(window->Opt_Sinistra(), Qt::LeftButton);
    EXPECT_FALSE(window->Opt_Sinistra()->isHeldDown());
    EXPECT_FALSE(window->Opt_Sinistra()->isSelected());
    EXPECT_FALSE(controls().Opt_Sinistra.Value);
}

TEST_F(Form1Test, OptionGroupDrawsTheSelectedMemberAlone)
{
    controls().setValue(controls().Opt_Esci, true);
    window->dispatch(&Game::Easy_Click);  // any event brings the widgets in line
    EXPECT_TRUE(window->Opt_Esci()->isSelected());
    EXPECT_FALSE(window->Option1()->isSelected());

    controls().setValue(controls().Option1, true);
    window->dispatch(&Game::Easy_Click);
    for (auto* button : {window->Opt_Esci(), window->Opt_Via()})
        EXPECT_FALSE(button->isSelected());
}

TEST_F(Form1Test, SpaceOrEnterSelectsWithoutACommand)
{
    for (const auto key : {Qt::Key_Return, Qt::Key_Space}) {
        controls().setValue(controls().Option1, true);
        QTest::keyClick(window->Opt_Via(), key);
        EXPECT_TRUE(controls().Opt_Via.Value && window->Opt_Via()->isSelected()) << key;
    }
    EXPECT_EQ(state().Turns(0), "") << "no round was started";
    EXPECT_EQ(random.draws, 0);
}

TEST_F(Form1Test, TabOrderFollowsTheLayout)
{
    const std::vector<QWidget*> order{window->Opt_Pulisci(), window->Opt_Sinistra(),
                                      window->Opt_Destra(),  window->Opt_Via(),
                                      window->Opt_Esci(),    window->Option1()};
    for (std::size_t k = 0; k + 1 < order.size(); ++k)
        EXPECT_EQ(order[k]->nextInFocusChain(), order[k + 1]) << k;
}

TEST_F(Form1Test, MenuChoosesLevelsAndInfoIsACommandOnTheBar)
{
    const QList<QAction*> bar = window->menuBar()->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0]->text(), "&Opzioni");
    EXPECT_EQ(bar[1]->text(), "&Info");
    EXPECT_EQ(bar[1]->menu(), nullptr);
    const QList<QAction*> items = bar[0]->menu()->actions();
    ASSERT_EQ(items.size(), 3);

    struct Level {
        int item;
        const char* caption;
        Int16 easyMode, randomLength;
    };
    for (const Level& level : {Level{2, "Complesso", False, False},
                               Level{1, "Semplice", False, True}, Level{0, "Facile", True, True}}) {
        items[level.item]->trigger();
        EXPECT_EQ(items[level.item]->text().toStdString(), level.caption);
        EXPECT_EQ(controls().Lbl_Livello.Caption, level.caption);
        EXPECT_EQ(state().EasyMode, level.easyMode);
        EXPECT_EQ(state().RandomLength, level.randomLength);
        EXPECT_FALSE(items[level.item]->isCheckable());
    }
}

TEST_F(Form1Test, InfoBoxShowsTwoLinesAndLeavesTheGameAlone)
{
    random.push(FourTurnsLeftFirst);
    click(window->Opt_Via());
    const GameState before = state();
    const Controls controlsBefore = controls();

    window->info()->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Velmora");
    EXPECT_FALSE(messages[0].isError);
    const QStringList lines = messages[0].text.split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "        vesk ");
    EXPECT_EQ(lines[1], "Dicembre 2007");
    EXPECT_TRUE(state() == before);
    EXPECT_TRUE(controls() == controlsBefore);
}

TEST_F(Form1Test, RunTimeErrorIsShownAndTheWindowGoesOn)
{
    random.push(FourTurnsLeftFirst);
    click(window->Opt_Via());
    game().state().AnswerIndex = 20;

    click(window->Opt_Destra());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].isError);
    EXPECT_TRUE(messages[0].text.contains("'9'")) << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.contains("Subscript out of range"));

    game().state().AnswerIndex = 0;
    click(window->Opt_Sinistra());
    EXPECT_EQ(state().AnswerIndex, 2) << "the window still plays";
}

TEST_F(Form1Test, EsciEndsTheProgramOnALeftClickOrAKey)
{
    for (const int k : {0, 1, 2}) {  // a right click (no click), a key, a left click
        QTimer::singleShot(0, [this, k] {
            k == 1 ? QTest::keyClick(window->Opt_Esci(), Qt::Key_Enter)
                   : click(window->Opt_Esci(), k == 0 ? Qt::RightButton : Qt::LeftButton);
        });
        QTimer::singleShot(k == 0 ? 100 : 5000, [] { QCoreApplication::exit(7); });
        EXPECT_EQ(QCoreApplication::exec(), k == 0 ? 7 : 0) << k;
    }
}

TEST_F(Form1Test, PaintedTextsAreTheBoardsAccessibleText)
{
    random.push(FourTurnsLeftFirst);
    click(window->Opt_Via());
    QAccessibleInterface* board = QAccessible::queryAccessibleInterface(window->board());
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->text(QAccessible::Name), QString::fromUtf8(text::Title.data()));
    const QString description = board->text(QAccessible::Description);
    EXPECT_TRUE(description.contains("Sinistra o Destra ?")) << description.toStdString();
    EXPECT_TRUE(description.contains("Facile"));
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(window->Opt_Destra());
    EXPECT_EQ(button->text(QAccessible::Name), "Destra");
}

TEST_F(Form1Test, ResizingMovesNothing)
{
    const QRect via = window->Opt_Via()->geometry();
    for (const QSize size : {QSize(100, 100), QSize(4000, 3000)}) {
        window->resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(window->Opt_Via()->geometry(), via);
        EXPECT_EQ(window->board()->pos(), QPoint(0, window->menuBar()->height()));
    }
}

}  // namespace
}  // namespace navicella::test
