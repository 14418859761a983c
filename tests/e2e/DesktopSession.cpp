// SPDX-License-Identifier: GPL-3.0-or-later
#include "e2e/DesktopSession.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <cstdio>

namespace navicella::test {

bool sleepFor(int ms)
{
    QThread::msleep(static_cast<unsigned long>(ms));
    return true;
}

DesktopSession::DesktopSession(const QString& program, const QStringList& environment)
{
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : environment)
        variables.insert(variable.section('=', 0, 0), variable.section('=', 1));
    m_process.setProcessEnvironment(variables);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, {});
}

DesktopSession::~DesktopSession()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString DesktopSession::xdotool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(20000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// Generous deadlines: a sanitized build on a busy machine starts slowly.
bool DesktopSession::waitForWindow()
{
    if (!m_process.waitForStarted(10000))
        return false;
    QDeadlineTimer deadline(30000);
    const QString pid = QString::number(m_process.processId());
    while (m_window.isEmpty() && !deadline.hasExpired()) {
        m_window = xdotool({"search", "--onlyvisible", "--pid", pid, "--class", "navicella"})
                       .section('\n', 0, 0);
        if (m_window.isEmpty())
            sleepFor(100);
    }
    // Wait for the first paint: the menu bar ends where the light yellow
    // client area begins.
    while (!m_window.isEmpty() && !deadline.hasExpired()) {
        const QImage shot = screenshot();
        for (int y = 0; y < shot.height() && y < 200; ++y) {
            if (shot.pixelColor(shot.width() - 1, y) == QColor(255, 255, 192)) {
                m_menuBarHeight = y;
                return true;
            }
        }
        sleepFor(50);
    }
    const QImage last = m_window.isEmpty() ? QImage() : screenshot();
    std::fprintf(stderr, "no first paint seen: window '%s', last screenshot %dx%d, top right %s\n",
                 qPrintable(m_window), last.width(), last.height(),
                 last.isNull() ? "-" : qPrintable(last.pixelColor(last.width() - 1, 0).name()));
    return false;
}

void DesktopSession::clickWindow(int x, int y, int button)
{
    xdotool({"mousemove", "--window", m_window, QString::number(x), QString::number(y), "click",
             QString::number(button)});
}

void DesktopSession::resizeWindow(int width, int height)
{
    xdotool({"windowsize", m_window, QString::number(width), QString::number(height)});
}

void DesktopSession::clickBoard(int x, int y, int button)
{
    clickWindow(x, y + m_menuBarHeight, button);
}

// Keys go to the focused window through XTEST, as typed ones do; there is no
// window manager to give the game the focus, so give it first.
void DesktopSession::keys(const QStringList& keys, const QString& window)
{
    xdotool({"windowfocus", "--sync", window.isEmpty() ? m_window : window});
    xdotool(QStringList{"key", "--delay", "50"} + keys);
}

QImage DesktopSession::screenshot() const
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen->grabWindow(m_window.toULongLong()).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage DesktopSession::board() const
{
    const QImage shot = screenshot();
    return shot.copy(0, m_menuBarHeight, shot.width(), shot.height() - m_menuBarHeight);
}

}  // namespace navicella::test
