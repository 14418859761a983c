// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse and keyboard of the X display named by DISPLAY, driven through
// XTest, and the windows on it, as a user meets them: events reach a program
// as real X events, and the time of a press is read right where it is sent,
// with no helper process in between.
//
// Wait for a program's window to show with waitForWindow(), which also
// tells where its client area starts; move the pointer to a point of it with
// moveTo(), and press, release or click a mouse button there. Keys go to the
// window with the focus: give it with focus(). Every event is flushed to the
// server before the call returns. X errors (a window that has just gone) are
// ignored, in the whole process, not fatal.
#pragma once

#include "support/BoardGeometry.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct _XDisplay;  // Xlib's Display, kept out of this header

namespace navicella::test {

class XInput {
public:
    XInput();
    ~XInput();
    XInput(const XInput&) = delete;
    XInput& operator=(const XInput&) = delete;

    // False when there is no display or it lacks the XTest extension.
    bool usable() const { return m_display != nullptr && m_xtest; }

    // The viewable top-level windows of this WM_CLASS, with this title
    // unless it is empty, bottom first.
    std::vector<unsigned long> windows(const std::string& wmClass, const std::string& title = {});
    std::string title(unsigned long window);
    // Where the window stands on the screen, and its size.
    Region geometry(unsigned long window);
    // Waits for a window of this WM_CLASS to show its client area, painted
    // in the colour `rgb` at the right edge, and finds the client area's
    // first row below the menu bar; nothing if none did within the time.
    struct Shown {
        unsigned long window = 0;
        int clientTop = 0;
    };
    std::optional<Shown> waitForWindow(const std::string& wmClass, std::uint32_t rgb,
                                       std::chrono::milliseconds timeout);
    void resize(unsigned long window, int width, int height);
    // Gives the window the keyboard and waits until it has it.
    void focus(unsigned long window);

    // Moves the pointer to a point of the window.
    void moveTo(unsigned long window, Point point);
    // Returns the steady clock read just before the press was sent.
    std::int64_t press(int button = 1);
    void release(int button = 1);
    // Clicks `times` times, a millisecond apart.
    void click(int button, int times = 1);
    // Presses, or releases in the reverse order, the keys of a combination
    // such as "alt+i" or "shift+ctrl" (X key names; "alt", "ctrl", "shift"
    // and "super" name the left ones).
    void key(const std::string& combination, bool down);
    // Types each combination in turn: pressed, released, then the delay.
    void type(const std::vector<std::string>& combinations, std::chrono::milliseconds delay);

private:
    std::optional<int> clientTop(unsigned long window, std::uint32_t rgb);

    ::_XDisplay* m_display = nullptr;
    bool m_xtest = false;
};

}  // namespace navicella::test
