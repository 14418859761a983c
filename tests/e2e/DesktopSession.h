// SPDX-License-Identifier: GPL-3.0-or-later
// The game as a player sees it on an X display: started as its own process,
// pressed with real X events through xdotool, and looked at in screenshots.
//
// Needs DISPLAY to name a running X server (tests/support/session.sh gives one).
#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace navicella::test {

class DesktopSession {
public:
    // Starts the program with these extra environment variables ("NAME=value").
    explicit DesktopSession(const QString& program, const QStringList& environment = {});
    ~DesktopSession();

    // Waits for the game's window; false if it did not show within the time.
    bool waitForWindow();
    QString windowId() const { return m_window; }

    // A press and release with the given X mouse button (1 left, 2 middle,
    // 3 right) at a point of the window's client area below the menu bar.
    void clickBoard(int x, int y, int button = 1);
    void clickWindow(int x, int y, int button = 1);
    // Types keys into the game's window, or into another window of it (a box) by id.
    void keys(const QStringList& keys, const QString& window = QString());

    // The window as it is on the screen now, menu bar included.
    QImage screenshot() const;
    // The client area below the menu bar.
    QImage board() const;
    int menuBarHeight() const { return m_menuBarHeight; }
    void resizeWindow(int width, int height);

    // Waits until `condition` holds for a fresh screenshot of the board.
    template <typename Condition>
    bool waitForBoard(Condition condition, int timeoutMs = 5000);

    QProcess& process() { return m_process; }

private:
    static QString xdotool(const QStringList& arguments);

    QProcess m_process;
    QString m_window;
    int m_menuBarHeight = 0;
};

bool sleepFor(int ms);

template <typename Condition>
bool DesktopSession::waitForBoard(Condition condition, int timeoutMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        if (condition(board()))
            return true;
        sleepFor(20);
    }
    return false;
}

}  // namespace navicella::test
