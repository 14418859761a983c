// SPDX-License-Identifier: GPL-3.0-or-later
#include "XPointer.h"

#include "TracedProcess.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <thread>

namespace navicella::bench {

XPointer::XPointer() : m_display(XOpenDisplay(nullptr))
{
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    m_xtest = m_display && XTestQueryExtension(m_display, &event, &error, &major, &minor);
}

XPointer::~XPointer()
{
    if (m_display)
        XCloseDisplay(m_display);
}

namespace {

std::optional<long> windowPid(Display* display, Window window, Atom pidAtom)
{
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::optional<long> pid;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &items, &after, &data) == Success &&
        data && format == 32 && items == 1)
        pid = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return pid;
}

}  // namespace

std::optional<unsigned long> XPointer::findWindow(pid_t pid, std::chrono::milliseconds timeout)
{
    if (!m_display)
        return std::nullopt;
    const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
    const std::int64_t deadline = steadyNs() + timeout.count() * 1'000'000;
    do {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        std::optional<unsigned long> found;
        if (XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children,
                       &count)) {
            for (unsigned int i = 0; i < count && !found; ++i) {
                XWindowAttributes attributes{};
                if (windowPid(m_display, children[i], pidAtom) == pid &&
                    XGetWindowAttributes(m_display, children[i], &attributes) &&
                    attributes.map_state == IsViewable)
                    found = children[i];
            }
            if (children)
                XFree(children);
        }
        if (found)
            return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (steadyNs() < deadline);
    return std::nullopt;
}

std::optional<Point> XPointer::clientOrigin(unsigned long window, std::uint32_t rgb)
{
    XWindowAttributes attributes{};
    if (!m_display || !XGetWindowAttributes(m_display, window, &attributes))
        return std::nullopt;
    const int height = std::min(attributes.height, 200);
    XImage* column = XGetImage(m_display, window, attributes.width - 1, 0, 1,
                               static_cast<unsigned int>(height), AllPlanes, ZPixmap);
    if (!column)
        return std::nullopt;
    std::optional<int> top;
    for (int y = 0; y < height && !top; ++y)
        if ((XGetPixel(column, 0, y) & 0xFFFFFF) == rgb)
            top = y;
    XDestroyImage(column);
    if (!top)
        return std::nullopt;
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), 0, *top, &x, &y, &child);
    return Point{x, y};
}

void XPointer::moveTo(Point root)
{
    XTestFakeMotionEvent(m_display, -1, root.x, root.y, CurrentTime);
    XFlush(m_display);
}

std::int64_t XPointer::press()
{
    const std::int64_t sent = steadyNs();
    XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
    XFlush(m_display);
    return sent;
}

void XPointer::release()
{
    XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
    XFlush(m_display);
}

}  // namespace navicella::bench
