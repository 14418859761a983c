// SPDX-License-Identifier: GPL-3.0-or-later
// Navicella: builds the window on the real clock-seeded chance and the real
// sound player, shows it, and runs the event loop.
#include "game/ClockRandom.h"
#include "ui/Form1.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt's platform plugin gives up with a fatal message and an
// abort; say it in one clear line and end with status 1 instead.
void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "navicella: cannot start: %s\n", qPrintable(message));
        std::_Exit(1);
    }
    qt_message_output(type, context, message);
}

class SilentPlayer final : public navicella::CuePlayer {
public:
    void play(std::string_view) override {}
};

}  // namespace

int main(int argc, char* argv[])
{
    const QtMessageHandler defaultHandler = qInstallMessageHandler(messageHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(defaultHandler);
    QApplication::setApplicationName(QStringLiteral("navicella"));
    QGuiApplication::setDesktopFileName(QStringLiteral(NAVICELLA_APP_ID));

    navicella::ClockRandom random;
    SilentPlayer player;
    navicella::Form1 window(random, player);
    window.show();
    return QApplication::exec();
}
