// SPDX-License-Identifier: GPL-3.0-or-later
// Holds back the warnings Qt raises on the sound thread.
//
// A missing sound server or a failing stream makes Qt's audio code warn,
// sometimes repeatedly. The cue player wants to say so in one line of its
// own, so install() puts a message handler in front of the existing one, and
// a thread that calls holdThisThread() has its warnings and critical
// messages kept aside, to be fetched with take(). Every other message, and
// every message of every other thread, goes on to the previous handler
// unchanged. The handler stays for the life of the process.
#pragma once

#include <QStringList>

namespace navicella {

class WarningCapture {
public:
    static void install();
    static void holdThisThread();
    // The messages held on this thread since the last take(), oldest first.
    static QStringList take();
};

}  // namespace navicella
