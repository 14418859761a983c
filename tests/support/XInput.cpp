// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/XInput.h"

#include "support/ChildProcess.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <thread>

namespace navicella::test {
namespace {

// The windows come and go while the tests look at them (an info box closed
// between a search and a look at its title); Xlib's own handler would end
// the test program on the first such error.
int ignoreError(Display*, XErrorEvent*) { return 0; }

std::string property(Display* display, Window window, const char* name, Atom type)
{
    Atom actual = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, type,
                           &actual, &format, &items, &after, &data) == Success &&
        data && format == 8)
        value.assign(reinterpret_cast<const char*>(data), items);
    if (data)
        XFree(data);
    return value;
}

KeySym keySym(const std::string& name)
{
    static const std::pair<const char*, const char*> Modifiers[] = {
        {"alt", "Alt_L"}, {"ctrl", "Control_L"}, {"shift", "Shift_L"}, {"super", "Super_L"}};
    for (const auto& [shortName, xName] : Modifiers) {
        if (name == shortName)
            return XStringToKeysym(xName);
    }
    return XStringToKeysym(name.c_str());
}

}  // namespace

XInput::XInput() : m_display(XOpenDisplay(nullptr))
{
    XSetErrorHandler(&ignoreError);
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    m_xtest = m_display && XTestQueryExtension(m_display, &event, &error, &major, &minor);
}

XInput::~XInput()
{
    if (m_display)
        XCloseDisplay(m_display);
}

std::vector<unsigned long> XInput::windows(const std::string& wmClass, const std::string& title)
{
    std::vector<unsigned long> found;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!m_display ||
        !XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
        return found;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        XClassHint hint{};
        if (!XGetWindowAttributes(m_display, children[i], &attributes) ||
            attributes.map_state != IsViewable || !XGetClassHint(m_display, children[i], &hint))
            continue;
        if (hint.res_class && hint.res_class == wmClass &&
            (title.empty() || this->title(children[i]) == title))
            found.push_back(children[i]);
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    if (children)
        XFree(children);
    return found;
}

std::string XInput::title(unsigned long window)
{
    return property(m_display, window, "_NET_WM_NAME",
                    XInternAtom(m_display, "UTF8_STRING", False));
}

Region XInput::geometry(unsigned long window)
{
    XWindowAttributes attributes{};
    XGetWindowAttributes(m_display, window, &attributes);
    return {attributes.x, attributes.y, attributes.width, attributes.height};
}

std::optional<int> XInput::clientTop(unsigned long window, std::uint32_t rgb)
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
    for (int y = 0; y < height && !top; ++y) {
        if ((XGetPixel(column, 0, y) & 0xFFFFFF) == rgb)
            top = y;
    }
    XDestroyImage(column);
    return top;
}

std::optional<XInput::Shown> XInput::waitForWindow(const std::string& wmClass, std::uint32_t rgb,
                                                   std::chrono::milliseconds timeout)
{
    const std::int64_t deadline = steadyNs() + timeout.count() * 1'000'000;
    do {
        for (const unsigned long window : windows(wmClass)) {
            if (const auto top = clientTop(window, rgb))
                return Shown{window, *top};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (steadyNs() < deadline);
    return std::nullopt;
}

void XInput::resize(unsigned long window, int width, int height)
{
    XResizeWindow(m_display, window, static_cast<unsigned int>(width),
                  static_cast<unsigned int>(height));
    XFlush(m_display);
}

void XInput::focus(unsigned long window)
{
    XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
    for (int attempt = 0; attempt < 200; ++attempt) {
        Window focused = 0;
        int revert = 0;
        XGetInputFocus(m_display, &focused, &revert);
        if (focused == window)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void XInput::moveTo(unsigned long window, Point point)
{
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), point.x, point.y, &x, &y,
                          &child);
    XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
    XFlush(m_display);
}

std::int64_t XInput::press(int button)
{
    const std::int64_t sent = steadyNs();
    XTestFakeButtonEvent(m_display, static_cast<unsigned int>(button), True, CurrentTime);
    XFlush(m_display);
    return sent;
}

void XInput::release(int button)
{
    XTestFakeButtonEvent(m_display, static_cast<unsigned int>(button), False, CurrentTime);
    XFlush(m_display);
}

void XInput::click(int button, int times)
{
    for (int i = 0; i < times; ++i) {
        if (i > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        press(button);
        release(button);
    }
}

void XInput::key(const std::string& combination, bool down)
{
    std::vector<KeyCode> codes;
    for (std::size_t start = 0; start <= combination.size();) {
        const std::size_t plus = std::min(combination.find('+', start), combination.size());
        codes.push_back(
            XKeysymToKeycode(m_display, keySym(combination.substr(start, plus - start))));
        start = plus + 1;
    }
    if (!down)
        std::reverse(codes.begin(), codes.end());
    for (const KeyCode code : codes)
        XTestFakeKeyEvent(m_display, code, down ? True : False, CurrentTime);
    XFlush(m_display);
}

void XInput::type(const std::vector<std::string>& combinations, std::chrono::milliseconds delay)
{
    for (const std::string& combination : combinations) {
        key(combination, true);
        key(combination, false);
        std::this_thread::sleep_for(delay);
    }
}

}  // namespace navicella::test
