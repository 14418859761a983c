// SPDX-License-Identifier: GPL-3.0-or-later
// The game as a player sees it on an X display: started as its own process,
// pressed with real X events, and looked at in screenshots.
//
// Needs DISPLAY to name a running X server (tests/support/session.sh gives
// one). In a Wayland session (WAYLAND_DISPLAY set) the program is a client of
// the session's compositor, whose one X window it fills, and its boxes show
// in front of it there. Points are on the board, the client area below the
// menu bar, unless said otherwise. The destructor kills a program that is
// still running and passes on what it wrote to its standard error.
#pragma once

#include "support/BoardGeometry.h"
#include "support/ChildProcess.h"
#include "support/XInput.h"

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <string>
#include <vector>

namespace navicella::test {

class DesktopSession {
public:
    // Starts the program with these changes to its environment (see ChildProcess).
    explicit DesktopSession(const std::string& program,
                            const std::vector<std::string>& environment = {});
    ~DesktopSession();

    // Waits for the game's window; false if it did not show within the time.
    bool waitForWindow();
    unsigned long window() const { return m_window; }
    ChildProcess& process() { return m_process; }
    XInput& input() { return m_input; }

    void moveTo(Point board);
    // A press and release with the given X mouse button (1 left, 2 middle,
    // 3 right) at a point of the board, or of the window, menu bar included.
    void clickBoard(Point board, int button = 1);
    void clickWindow(Point window, int button = 1);
    // Types keys into the game's window, or into another window of it (a box).
    void keys(const std::vector<std::string>& keys, unsigned long window = 0);
    // The open info boxes, and the first to show within the time (0 if none).
    // On Wayland, the compositor's window while a box shows in its middle.
    std::vector<unsigned long> infoBoxes();
    unsigned long waitForInfoBox(int timeoutMs);

    // The window as it is on the screen now, menu bar included.
    QImage screenshot() const;
    QImage board() const;
    int menuBarHeight() const { return m_menuBarHeight; }
    void resizeWindow(int width, int height);

    // Waits until `condition` holds for a fresh screenshot of the board.
    template <typename Condition>
    bool waitForBoard(Condition condition, int timeoutMs = 5000);

private:
    void pointAt(Point window);

    ChildProcess m_process;
    XInput m_input;
    unsigned long m_window = 0;
    int m_menuBarHeight = 0;
};

bool sleepFor(int ms);
inline bool onWayland() { return std::getenv("WAYLAND_DISPLAY") != nullptr; }

// Whether `condition` came true within the time; it is asked every 20 ms.
template <typename Condition>
bool waitUntil(Condition condition, int timeoutMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        if (condition())
            return true;
        sleepFor(20);
    }
    return false;
}

// Whether the board shows the face of the button centred at `button`.
bool shows(const QImage& board, Point button);
// Pixels of one colour in an image, or in the board's playing field.
int countColour(const QImage& image, const QColor& colour);
int countInField(const QImage& board, const QColor& colour);

template <typename Condition>
bool DesktopSession::waitForBoard(Condition condition, int timeoutMs)
{
    return waitUntil([&] { return condition(board()); }, timeoutMs);
}

}  // namespace navicella::test
