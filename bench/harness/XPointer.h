// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse on the X display named by DISPLAY, driven through XTest, so that
// a press reaches the program as a real X event and its time is read right
// where it is sent, without a helper process in between.
//
// Find the program's window with findWindow(), learn where its client area
// starts with clientOrigin(), then moveTo() a point of it and press() and
// release() the left button there. press() returns the steady clock read
// just before the event was sent; the event is flushed to the server before
// it returns.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <cstdint>
#include <optional>

struct _XDisplay;  // Xlib's Display, kept out of this header

namespace navicella::bench {

struct Point {
    int x = 0;
    int y = 0;
};

class XPointer {
public:
    XPointer();
    ~XPointer();
    XPointer(const XPointer&) = delete;
    XPointer& operator=(const XPointer&) = delete;

    // False when there is no display or it lacks the XTest extension.
    bool usable() const { return m_display != nullptr && m_xtest; }

    // The viewable top-level window of the process `pid` (by _NET_WM_PID).
    std::optional<unsigned long> findWindow(pid_t pid, std::chrono::milliseconds timeout);
    // The root coordinates of the top left corner of the window's client
    // area: the first row below the menu bar that has the colour `rgb` at
    // the window's right edge.
    std::optional<Point> clientOrigin(unsigned long window, std::uint32_t rgb);

    void moveTo(Point root);
    std::int64_t press();
    void release();

private:
    ::_XDisplay* m_display = nullptr;
    bool m_xtest = false;
};

}  // namespace navicella::bench
