// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Form1.h"

#include "game/RuntimeError.h"
#include "ui/Board.h"
#include "ui/FormLayout.h"
#include "ui/GraphicalOptionButton.h"

#include <QCoreApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>

namespace navicella {
namespace {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void showMessageBox(QWidget* parent, const QString& title, const QString& text, bool isError)
{
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(isError ? QMessageBox::Critical : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace

Form1::Form1(RandomSource& random, CuePlayer& player, QWidget* parent)
    : QMainWindow(parent), m_game(random, player), m_presenter(showMessageBox)
{
    setWindowTitle(QString());
    m_board = new Board(m_game.controls(), this);
    setCentralWidget(m_board);

    // Created back to front, so that each button stands in front of the ones
    // before it: "Esci" hides the neutral Option1 entirely.
    m_pulisci = addButton(toQString(text::Clear), colour::Yellow, layout::Opt_Pulisci);
    m_sinistra = addButton(toQString(text::Sinistra), colour::Yellow, layout::Opt_Sinistra);
    m_destra = addButton(toQString(text::Destra), colour::Yellow, layout::Opt_Destra);
    m_via = addButton(toQString(text::Start), colour::Yellow, layout::Opt_Via);
    m_option1 = addButton(QString(), colour::LightYellow, layout::Option1);
    m_esci = addButton(toQString(text::Exit), colour::Yellow, layout::Opt_Esci);
    m_members = {{{m_esci, &Controls::Opt_Esci},
                  {m_option1, &Controls::Option1},
                  {m_via, &Controls::Opt_Via},
                  {m_destra, &Controls::Opt_Destra},
                  {m_sinistra, &Controls::Opt_Sinistra},
                  {m_pulisci, &Controls::Opt_Pulisci}}};
    setTabOrder(m_pulisci, m_sinistra);
    setTabOrder(m_sinistra, m_destra);
    setTabOrder(m_destra, m_via);
    setTabOrder(m_via, m_esci);
    setTabOrder(m_esci, m_option1);

    wireRoundButton(m_via, &Controls::Opt_Via, &Game::Opt_Via_MouseDown, &Game::Opt_Via_MouseUp);
    wireRoundButton(m_pulisci, &Controls::Opt_Pulisci, &Game::Opt_Pulisci_MouseDown,
                    &Game::Opt_Pulisci_MouseUp);
    wireRoundButton(m_destra, &Controls::Opt_Destra, &Game::Opt_Destra_MouseDown,
                    &Game::Opt_Destra_MouseUp);
    wireRoundButton(m_sinistra, &Controls::Opt_Sinistra, &Game::Opt_Sinistra_MouseDown,
                    &Game::Opt_Sinistra_MouseUp);
    connect(m_esci, &GraphicalOptionButton::clicked, this, [this] {
        m_game.controls().setValue(m_game.controls().Opt_Esci, true);
        Opt_Esci_Click();
    });
    for (const Member& member : m_members) {
        connect(member.widget, &GraphicalOptionButton::keySelected, this,
                [this, control = member.control] { selectFromKeyboard(control); });
    }

    buildMenu();
    dispatch(&Game::Form_Load);

    // The client area below the menu bar is 760 x 529 pixels; the window
    // opens centred, and a smaller one simply cuts off the right and bottom.
    const QRect client = layout::pixelRect(layout::Client);
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

GraphicalOptionButton* Form1::addButton(const QString& caption, Colour face, const layout::Box& box)
{
    auto* button = new GraphicalOptionButton(caption, layout::toQColor(face), m_board);
    button->setGeometry(layout::pixelRect(box));
    return button;
}

// The command runs on the press, whatever the mouse button; the release first
// selects the button, as clicking any member of the group does, then runs the
// release handler, which lets it pop back up.
void Form1::wireRoundButton(GraphicalOptionButton* widget, OptionButton Controls::*control,
                            void (Game::*mouseDown)(), void (Game::*mouseUp)())
{
    connect(widget, &GraphicalOptionButton::mouseDown, this,
            [this, mouseDown] { dispatch(mouseDown); });
    connect(widget, &GraphicalOptionButton::mouseUp, this, [this, control, mouseUp] {
        m_game.controls().setValue(m_game.controls().*control, true);
        dispatch(mouseUp);
    });
}

// A key only selects: no game command, except that "Esci" ends the game.
void Form1::selectFromKeyboard(OptionButton Controls::*control)
{
    m_game.controls().setValue(m_game.controls().*control, true);
    syncWidgets();
    if (control == &Controls::Opt_Esci)
        Opt_Esci_Click();
}

void Form1::buildMenu()
{
    QMenu* opzioni = menuBar()->addMenu(toQString(text::OptionsMenu));
    m_easy = opzioni->addAction(toQString(text::Easy));
    m_simple = opzioni->addAction(toQString(text::Simple));
    m_complex = opzioni->addAction(toQString(text::Complex));
    m_info = menuBar()->addAction(toQString(text::InfoMenu));
    connect(m_easy, &QAction::triggered, this, [this] { dispatch(&Game::Easy_Click); });
    connect(m_simple, &QAction::triggered, this, [this] { dispatch(&Game::Simple_Click); });
    connect(m_complex, &QAction::triggered, this, [this] { dispatch(&Game::Complex_Click); });
    connect(m_info, &QAction::triggered, this, &Form1::info_Click);
}

void Form1::setMessagePresenter(MessagePresenter presenter) { m_presenter = std::move(presenter); }

QString Form1::infoText()
{
    QString message = toQString(text::InfoMessage);
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    message.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return message;
}

void Form1::info_Click() { m_presenter(this, toQString(text::InfoTitle), infoText(), false); }

void Form1::Opt_Esci_Click() { QCoreApplication::exit(0); }

void Form1::dispatch(void (Game::*handler)())
{
    try {
        (m_game.*handler)();
    } catch (const RuntimeError& error) {
        // The steps done before the error stay done: show them behind the box.
        syncWidgets();
        m_presenter(
            this, toQString(text::ErrorTitle),
            toQString(text::ErrorMessage).arg(error.number()).arg(QString::fromUtf8(error.what())),
            true);
    }
    syncWidgets();
}

void Form1::syncWidgets()
{
    const Controls& controls = m_game.controls();
    for (const Member& member : m_members) {
        const OptionButton& control = controls.*member.control;
        member.widget->setHidden(!control.Visible);
        member.widget->setSelected(control.Value);
    }
    m_board->refreshAccessibleText();
    m_board->update();
}

}  // namespace navicella
