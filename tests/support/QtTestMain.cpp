// SPDX-License-Identifier: GPL-3.0-or-later
// main() for GoogleTest suites that need a QApplication. Without a display
// they run on Qt's offscreen platform, in a Wayland session on its X display.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // In a Wayland session the tests look and press on the X display below
    // the compositor; the programs they start take the session's own.
    const bool waylandSession = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
                                !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (waylandSession)
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    if (waylandSession)
        qunsetenv("QT_QPA_PLATFORM");
    return RUN_ALL_TESTS();
}
