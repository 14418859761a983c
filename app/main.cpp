// SPDX-License-Identifier: GPL-3.0-or-later
// Navicella: builds the window on the real clock-seeded chance and the real
// sound player, shows it, and runs the event loop.
#include "game/ClockRandom.h"
#include "sound/SoundCuePlayer.h"
#include "ui/AppIcon.h"
#include "ui/Board.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QList>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt's platform plugin warns twice and then aborts. Hold
// the messages of start-up back: on failure say in one line why, and end
// with status 1; on success pass them on as they came.
//
// In a Wayland session Qt looks for its Wayland plugin first, which comes in
// a package of its own; without it Qt warns and goes on through XWayland
// where there is one. Say instead, in our own words, what to install.
struct HeldMessage {
    QtMsgType type;
    QString text;
};
QList<HeldMessage> heldMessages;
bool waylandPluginMissing = false;
constexpr const char* InstallWayland =
    "Qt's Wayland platform plugin is missing (install the package qt6-wayland)";

void holdStartupMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (message.contains(QLatin1String("platform plugin \"wayland\""))) {
        waylandPluginMissing = true;
        if (type != QtFatalMsg)
            return;
    }
    if (type == QtFatalMsg) {
        const bool onWayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
        const QString reason = waylandPluginMissing && (onWayland || heldMessages.isEmpty())
                                   ? QString::fromLatin1(InstallWayland)
                               : heldMessages.isEmpty() ? message
                                                        : heldMessages.first().text;
        std::fprintf(stderr, "navicella: cannot open the window: %s\n",
                     qPrintable(reason.simplified()));
        std::_Exit(1);
    }
    heldMessages.append({type, message});
}

void releaseStartupMessages(QtMessageHandler handler)
{
    qInstallMessageHandler(handler);
    if (waylandPluginMissing && QGuiApplication::platformName() == QLatin1String("xcb") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        std::fprintf(stderr, "navicella: %s; the window opens through XWayland\n", InstallWayland);
    for (const HeldMessage& message : heldMessages)
        qt_message_output(message.type, QMessageLogContext(), message.text);
    heldMessages.clear();
}

// With NAVICELLA_TRACE_PAINTS set, every completed paint of the board is
// written to stderr with the steady clock's time, for the benchmarks.
void tracePaints(const navicella::Board* board)
{
    if (!qEnvironmentVariableIsSet("NAVICELLA_TRACE_PAINTS"))
        return;
    QObject::connect(board, &navicella::Board::painted, [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::fprintf(stderr, "navicella: painted %lld\n",
                     static_cast<long long>(std::chrono::nanoseconds(now).count()));
        std::fflush(stderr);
    });
}

}  // namespace

int main(int argc, char* argv[])
{
    const QtMessageHandler defaultHandler = qInstallMessageHandler(holdStartupMessage);
    QApplication app(argc, argv);
    releaseStartupMessages(defaultHandler);
    QApplication::setApplicationName(QStringLiteral("navicella"));
    QGuiApplication::setDesktopFileName(QStringLiteral(NAVICELLA_APP_ID));
    QApplication::setWindowIcon(navicella::windowIcon());

    navicella::ClockRandom random;
    navicella::SoundCuePlayer player;
    navicella::Form1 window(random, player);
    tracePaints(window.board());
    window.show();
    return QApplication::exec();
}
