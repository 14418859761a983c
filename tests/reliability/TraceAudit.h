// SPDX-License-Identifier: GPL-3.0-or-later
// Reads an strace -f -yy log (as launch.sh writes it) and tells whether the
// traced program wrote to the file system or used the network.
//
// A write is an open for writing, creating or truncating (O_WRONLY, O_RDWR,
// O_CREAT, O_TRUNC, O_APPEND, creat), and any rename, unlink, rmdir, mkdir,
// link, symlink, mknod or truncate; attempts count as much as successes,
// except a mkdir that finds the folder there already, which changes nothing.
// The network is any socket other than a local (AF_UNIX) one, and any bind
// or listen. Local connections are collected by peer and allowed only to
// three servers of the desktop session: the X server of the display
// (@/tmp/.X11-unix/X<n>, or the same path as a file), the PulseAudio server
// ($XDG_RUNTIME_DIR/pulse/native) and the D-Bus session bus
// ($XDG_RUNTIME_DIR/bus), which Qt's X11 platform connects to on its own.
//
// Allowed, each for a reason of its own: opening /dev/null (it keeps
// nothing); the memory PulseAudio's client library shares with the server
// (memfd_create("pulseaudio") and its ftruncate: memory with no name in any
// file system); and the authentication cookie that same library creates on
// its first connection from an account without one
// ($HOME/.config/pulse/cookie, with its two folders), as every PulseAudio
// client does.
#pragma once

#include <QString>
#include <QStringList>

namespace navicella::test {

struct TraceRules {
    QString display;     // DISPLAY, e.g. ":3"
    QString runtimeDir;  // XDG_RUNTIME_DIR, which holds the sound server's and the bus's sockets
    QString home;        // HOME
};

struct TraceAudit {
    QStringList writes;     // file-system changes, whole lines
    QStringList network;    // network sockets, binds, listens, foreign peers
    QStringList unixPeers;  // every AF_UNIX address connected to, once each
    QStringList allowed;    // calls let through, with the reason
    QStringList programs;   // every program the trace starts (execve), by file name, once each
    int calls = 0;          // system calls read
};

TraceAudit auditTrace(const QStringList& lines, const TraceRules& rules);

}  // namespace navicella::test
