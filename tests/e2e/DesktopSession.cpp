// SPDX-License-Identifier: GPL-3.0-or-later
#include "e2e/DesktopSession.h"

#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <thread>

namespace navicella::test {

constexpr const char* WestonClass = "Weston Compositor";

bool sleepFor(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return true;
}

bool shows(const QImage& board, Point button)
{
    const QPoint at(face(button).x, face(button).y);
    return board.rect().contains(at) && board.pixelColor(at) == QColor(rgb(colour::Yellow));
}

int countColour(const QImage& image, const QColor& colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour ? 1 : 0;
    }
    return count;
}

int countInField(const QImage& board, const QColor& colour)
{
    return countColour(board.copy(0, board::Field.top, board.width(), board::Field.height), colour);
}

DesktopSession::DesktopSession(const std::string& program,
                               const std::vector<std::string>& environment)
    : m_process({program}, environment)
{
}

DesktopSession::~DesktopSession()
{
    m_process.running();  // takes in what it has written so far
    std::fputs(m_process.errorText().c_str(), stderr);
    // The compositor's window outlives the program: the next session must not
    // take what it still shows for its own program's first paint.
    if (onWayland()) {
        m_process.stop();
        waitUntil([&] { return !m_input.waitForWindow(WestonClass, board::Background, {}); }, 5000);
    }
}

// A generous deadline: a sanitized build on a busy machine starts slowly.
bool DesktopSession::waitForWindow()
{
    const auto shown = m_input.waitForWindow(onWayland() ? WestonClass : "navicella",
                                             board::Background, std::chrono::seconds(30));
    if (!shown) {
        std::fprintf(stderr, "no first paint seen; the program %s\n",
                     m_process.running() ? "runs" : "has ended");
        return false;
    }
    m_window = shown->window;
    m_menuBarHeight = shown->clientTop;
    // Weston drops a press that comes with the pointer's first entry into a
    // new window, and keys that come while it takes in the X focus: enter the
    // window and give it the focus once, beforehand.
    if (onWayland()) {
        pointAt({0, m_menuBarHeight});
        m_input.focus(m_window);
        sleepFor(300);
    }
    return true;
}

// Weston's pointer can stand elsewhere than the X one: coming in from
// outside its window sets it right. It passes on what comes next only once
// it has taken that in.
void DesktopSession::pointAt(Point window)
{
    if (onWayland())
        m_input.moveTo(m_window, {3000, 2000});
    m_input.moveTo(m_window, window);
    if (onWayland())
        sleepFor(50);
}

void DesktopSession::moveTo(Point board) { pointAt({board.x, board.y + m_menuBarHeight}); }

void DesktopSession::clickWindow(Point window, int button)
{
    pointAt(window);
    m_input.click(button);
}

void DesktopSession::clickBoard(Point board, int button)
{
    clickWindow({board.x, board.y + m_menuBarHeight}, button);
}

void DesktopSession::resizeWindow(int width, int height)
{
    m_input.resize(m_window, width, height);
}

// Keys go to the focused window, as typed ones do; there is no window
// manager to give the game the focus, so give it first.
void DesktopSession::keys(const std::vector<std::string>& keys, unsigned long window)
{
    m_input.focus(window == 0 ? m_window : window);
    m_input.type(keys, std::chrono::milliseconds(50));
}

std::vector<unsigned long> DesktopSession::infoBoxes()
{
    if (!onWayland())
        return m_input.windows("navicella", "Velmora");
    // The compositor centres a box on its window: the middle is then the box's face.
    const QImage shot = screenshot();
    const QImage middle = shot.copy(shot.width() / 2 - 20, shot.height() / 2 - 10, 40, 20);
    const bool box = countColour(middle, QGuiApplication::palette().window().color()) > 400;
    return box ? std::vector<unsigned long>{m_window} : std::vector<unsigned long>{};
}

unsigned long DesktopSession::waitForInfoBox(int timeoutMs)
{
    std::vector<unsigned long> boxes;
    waitUntil([&] { return !(boxes = infoBoxes()).empty(); }, timeoutMs);
    return boxes.empty() ? 0 : boxes.front();
}

QImage DesktopSession::screenshot() const
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen->grabWindow(m_window).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage DesktopSession::board() const
{
    const QImage shot = screenshot();
    return shot.copy(0, m_menuBarHeight, shot.width(), shot.height() - m_menuBarHeight);
}

}  // namespace navicella::test
