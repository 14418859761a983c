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

#include <QList>
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
    GraphicalOptionButton* Opt_Esci() const { return widgetOf(&Controls::Opt_Esci); }
    GraphicalOptionButton* Option1() const { return widgetOf(&Controls::Option1); }
    GraphicalOptionButton* Opt_Via() const { return widgetOf(&Controls::Opt_Via); }
    GraphicalOptionButton* Opt_Destra() const { return widgetOf(&Controls::Opt_Destra); }
    GraphicalOptionButton* Opt_Sinistra() const { return widgetOf(&Controls::Opt_Sinistra); }
    GraphicalOptionButton* Opt_Pulisci() const { return widgetOf(&Controls::Opt_Pulisci); }
    QAction* Easy() const { return m_levels.at(0); }
    QAction* Simple() const { return m_levels.at(1); }
    QAction* Complex() const { return m_levels.at(2); }
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

    GraphicalOptionButton* widgetOf(OptionButton Controls::*control) const;
    void wireRoundButton(GraphicalOptionButton* widget, OptionButton Controls::*control,
                         void (Game::*mouseDown)(), void (Game::*mouseUp)());
    void selectFromKeyboard(OptionButton Controls::*control);
    void buildMenu();
    void syncWidgets();

    Game m_game;
    Board* m_board = nullptr;
    std::array<Member, 6> m_members{};  // as window::Buttons lists them
    QList<QAction*> m_levels;           // the "Opzioni" menu's entries
    QAction* m_info = nullptr;
    MessagePresenter m_presenter;
};

}  // namespace navicella
