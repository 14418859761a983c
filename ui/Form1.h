// SPDX-License-Identifier: GPL-3.0-or-later
// The game's one window: the board, the six option buttons, the menu and the
// info box, wired to the game's handlers.
//
// Every event enters the game through dispatch(), which runs one handler,
// shows a run-time error plainly instead of letting it cross the event loop,
// and brings the widgets in line with the game's controls. The window runs
// Form_Load while it is built, so its first sight is the loaded state.
#pragma once

#include "game/Game.h"
#include "ui/FormLayout.h"

#include <QMainWindow>

#include <array>
#include <functional>

class QAction;

namespace navicella {

class Board;
class GraphicalOptionButton;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // Shows a modal message box. Replaceable, so that tests are not held up by one.
    using MessagePresenter = std::function<void(QWidget* parent, const QString& title,
                                                const QString& text, bool isError)>;

    Form1(RandomSource& random, CuePlayer& player, QWidget* parent = nullptr);

    Game& game() { return m_game; }
    Board* board() const { return m_board; }
    GraphicalOptionButton* Opt_Esci() const { return m_esci; }
    GraphicalOptionButton* Option1() const { return m_option1; }
    GraphicalOptionButton* Opt_Via() const { return m_via; }
    GraphicalOptionButton* Opt_Destra() const { return m_destra; }
    GraphicalOptionButton* Opt_Sinistra() const { return m_sinistra; }
    GraphicalOptionButton* Opt_Pulisci() const { return m_pulisci; }
    QAction* Easy() const { return m_easy; }
    QAction* Simple() const { return m_simple; }
    QAction* Complex() const { return m_complex; }
    QAction* info() const { return m_info; }

    void setMessagePresenter(MessagePresenter presenter);

    // The info box's text as shown: the lone carriage return breaks the line.
    static QString infoText();

    void info_Click();
    void Opt_Esci_Click();

    // Runs one game handler as the answer to one event.
    void dispatch(void (Game::*handler)());

private:
    struct Member {
        GraphicalOptionButton* widget;
        OptionButton Controls::*control;
    };

    GraphicalOptionButton* addButton(const QString& caption, Colour face, const layout::Box& box);
    void wireRoundButton(GraphicalOptionButton* widget, OptionButton Controls::*control,
                         void (Game::*mouseDown)(), void (Game::*mouseUp)());
    void selectFromKeyboard(OptionButton Controls::*control);
    void buildMenu();
    void syncWidgets();

    Game m_game;
    Board* m_board = nullptr;
    GraphicalOptionButton* m_esci = nullptr;
    GraphicalOptionButton* m_option1 = nullptr;
    GraphicalOptionButton* m_via = nullptr;
    GraphicalOptionButton* m_destra = nullptr;
    GraphicalOptionButton* m_sinistra = nullptr;
    GraphicalOptionButton* m_pulisci = nullptr;
    std::array<Member, 6> m_members{};
    QAction* m_easy = nullptr;
    QAction* m_simple = nullptr;
    QAction* m_complex = nullptr;
    QAction* m_info = nullptr;
    MessagePresenter m_presenter;
};

}  // namespace navicella
