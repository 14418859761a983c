// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Form1.h"

#include "game/RuntimeError.h"
#include "game/Window.h"
#include "ui/Board.h"
#include "ui/FormLayout.h"
#include "ui/GraphicalOptionButton.h"

#include <QCoreApplication>
#include <QGridLayout>
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
    // A title bar centres the title between its buttons and cuts it where they
    // begin; sized for its short text alone, the box lost most of "Velmora" to
    // the buttons of Qt's own title bar on Wayland. Leave room for the title
    // and, on either side of it, for a title bar's three buttons.
    const QFontMetrics metrics(box.font());
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(
            new QSpacerItem(metrics.horizontalAdvance(title) * 3 / 2 + 12 * metrics.height(), 0),
            grid->rowCount(), 0, 1, grid->columnCount());
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
    // before it; the neutral Option1, behind "Esci", comes last in the tab order.
    for (std::size_t k = 0; k < window::Buttons.size(); ++k) {
        const window::Button& button = window::Buttons[k];
        auto* widget = new GraphicalOptionButton(toQString(button.caption),
                                                 layout::toQColor(button.face), m_board);
        widget->setGeometry(layout::pixelRect(button.box));
        m_members[k] = {widget, button.control};
        if (button.role == window::Role::Round)
            wireRoundButton(widget, button.control, button.mouseDown, button.mouseUp);
    }
    setTabOrder(Opt_Esci(), Option1());
    connect(Opt_Esci(), &GraphicalOptionButton::clicked, this, [this] {
        m_game.controls().setValue(m_game.controls().Opt_Esci, true);
        Opt_Esci_Click();
    });
    for (const Member& member : m_members) {
        connect(member.widget, &GraphicalOptionButton::keySelected, this,
                [this, control = member.control] { selectFromKeyboard(control); });
    }

    buildMenu();
    dispatch(&Game::Form_Load);

    // The client area below the menu bar is the layout's Client box; the
    // window opens centred, and a smaller one simply cuts off the right and bottom.
    const QRect client = layout::pixelRect(layout::Client);
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

GraphicalOptionButton* Form1::widgetOf(OptionButton Controls::*control) const
{
    for (const Member& member : m_members)
        if (member.control == control)
            return member.widget;
    return nullptr;
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

// A key only selects: no game command, except where the key rule makes the
// selection a click ("Esci"). The round's buttons are not pressed by keys here.
void Form1::selectFromKeyboard(OptionButton Controls::*control)
{
    m_game.controls().setValue(m_game.controls().*control, true);
    syncWidgets();
    for (const window::Button& button : window::Buttons)
        if (button.control == control && window::keyAction(button.role) == window::KeyAction::Click)
            Opt_Esci_Click();
}

void Form1::buildMenu()
{
    QMenu* opzioni = menuBar()->addMenu(toQString(text::OptionsMenu));
    for (const window::MenuEntry& entry : window::LevelMenu) {
        QAction* action = opzioni->addAction(toQString(entry.caption));
        connect(action, &QAction::triggered, this,
                [this, handler = entry.handler] { dispatch(handler); });
        m_levels.push_back(action);
    }
    m_info = menuBar()->addAction(toQString(text::InfoMenu));
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
