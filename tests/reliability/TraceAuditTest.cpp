// SPDX-License-Identifier: GPL-3.0-or-later
// The strace audit itself, on lines of the kinds strace -f -yy writes: every
// way of writing or reaching out is caught, and only the named exceptions
// pass.
#include "reliability/TraceAudit.h"

#include <gtest/gtest.h>

namespace navicella::test {
namespace {

const TraceRules Rules{":7", "/tmp/run", "/home/kid"};

struct AuditCase {
    const char* name;
    int writes;
    int network;
    int allowed;
    QStringList lines;
    int calls = -1;  // calls made of the lines; -1: one per line
};

class Audit : public ::testing::TestWithParam<AuditCase> {};

TEST_P(Audit, SortsEachCall)
{
    const AuditCase& c = GetParam();
    const TraceAudit audit = auditTrace(c.lines, Rules);
    EXPECT_EQ(audit.writes.size(), c.writes) << audit.writes.join('\n').toStdString();
    EXPECT_EQ(audit.network.size(), c.network) << audit.network.join('\n').toStdString();
    EXPECT_EQ(audit.allowed.size(), c.allowed) << audit.allowed.join('\n').toStdString();
    EXPECT_EQ(audit.calls, c.calls < 0 ? c.lines.size() : c.calls) << "calls read";
}

// The strace lines run long: the table keeps one to a line.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, Audit, ::testing::Values(
    AuditCase{"ReadOnlyOpens", 0, 0, 0, {
         R"(10 openat(AT_FDCWD</w>, "/usr/share/fonts/x.ttf", O_RDONLY|O_CLOEXEC) = 5</usr/share/fonts/x.ttf>)",
         R"(10 open("/etc/machine-id", O_RDONLY) = 3</etc/machine-id>)"}},
    AuditCase{"OpensForWriting", 5, 0, 0, {
         R"(10 openat(AT_FDCWD</w>, "/home/kid/.cache/x", O_WRONLY|O_CREAT|O_TRUNC, 0644) = 5</home/kid/.cache/x>)",
         R"(10 openat(AT_FDCWD</w>, "log", O_RDWR|O_APPEND) = -1 ENOENT (No such file or directory))",
         R"(10 open("/tmp/y", O_WRONLY) = 3</tmp/y>)",
         R"(10 creat("/tmp/z", 0600) = 3</tmp/z>)",
         R"(10 openat2(AT_FDCWD</w>, "q", {flags=O_RDWR|O_CREAT, mode=0600, resolve=0}, 24) = 4</w/q>)"}},
    AuditCase{"SplitByAnotherThread", 1, 0, 0, {
         R"(11 openat(AT_FDCWD</w>, "/tmp/cache.db", O_RDWR|O_CREAT|O_CLOEXEC, 0600 <unfinished ...>)",
         R"(12 openat(AT_FDCWD</w>, "/etc/hosts", O_RDONLY) = 7</etc/hosts>)",
         R"(11 <... openat resumed>) = 8</tmp/cache.db>)"}, 2},
    AuditCase{"ChangesToTheFileSystem", 11, 0, 0, {
         R"(10 rename("/tmp/a", "/tmp/b") = 0)",
         R"(10 renameat2(AT_FDCWD</w>, "a", AT_FDCWD</w>, "b", RENAME_NOREPLACE) = 0)",
         R"(10 unlink("/tmp/a") = -1 ENOENT (No such file or directory))",
         R"(10 unlinkat(AT_FDCWD</w>, "b", 0) = 0)",
         R"(10 mkdir("/home/kid/.local", 0700) = 0)",
         R"(10 mkdirat(AT_FDCWD</w>, "new", 0777) = 0)",
         R"(10 rmdir("/tmp/d") = 0)",
         R"(10 symlink("/a", "/tmp/l") = 0)",
         R"(10 truncate("/tmp/f", 0) = 0)",
         R"(10 ftruncate(5</tmp/f>, 0) = 0)",
         R"(10 memfd_create("cache", MFD_CLOEXEC) = 6</memfd:cache (deleted)>)"}},
    AuditCase{"WhatIsLetThrough", 0, 0, 8, {
         R"(10 openat(AT_FDCWD</w>, "/dev/null", O_RDWR) = 3</dev/null<char 1:3>>)",
         R"(10 mkdir("/tmp/run", 0700) = -1 EEXIST (File exists))",
         R"(10 mkdir("/home/kid/.config", 0700) = 0)",
         R"(10 mkdir("/home/kid/.config/pulse", 0700) = 0)",
         R"(10 openat(AT_FDCWD</w>, "/home/kid/.config/pulse/cookie", O_RDWR|O_CREAT|O_NOCTTY|O_CLOEXEC, 0600) = 14</home/kid/.config/pulse/cookie>)",
         R"(10 ftruncate(14</home/kid/.config/pulse/cookie>, 0) = 0)",
         R"(10 memfd_create("pulseaudio", MFD_ALLOW_SEALING) = 12</memfd:pulseaudio>(deleted))",
         R"(10 ftruncate(12</memfd:pulseaudio>(deleted), 67108864) = 0)"}},
    AuditCase{"CookieElsewhereIsAWrite", 2, 0, 0, {
         R"(10 openat(AT_FDCWD</w>, "/root/.config/pulse/cookie", O_RDWR|O_CREAT, 0600) = 4</root/.config/pulse/cookie>)",
         R"(10 mkdir("/root/.config", 0700) = 0)"}},
    AuditCase{"TheSessionServers", 0, 0, 0, {
         R"(10 socket(AF_UNIX, SOCK_STREAM|SOCK_CLOEXEC, 0) = 3<UNIX-STREAM:[1]>)",
         R"(10 connect(3<UNIX-STREAM:[1]>, {sa_family=AF_UNIX, sun_path=@"/tmp/.X11-unix/X7"}, 20) = 0)",
         R"(10 connect(3<UNIX-STREAM:[1]>, {sa_family=AF_UNIX, sun_path="/tmp/.X11-unix/X7"}, 20) = 0)",
         R"(10 connect(4<UNIX-STREAM:[2]>, {sa_family=AF_UNIX, sun_path="/tmp/run/pulse/native"}, 110) = 0)",
         R"(10 connect(5<UNIX-STREAM:[3]>, {sa_family=AF_UNIX, sun_path="/tmp/run/bus"}, 35) = -1 ENOENT (No such file or directory))",
         R"(10 socketpair(AF_UNIX, SOCK_STREAM, 0, [5<UNIX-STREAM:[3]>, 6<UNIX-STREAM:[4]>]) = 0)"}},
    AuditCase{"TheNetworkAndOtherPeers", 0, 9, 0, {
         R"(10 socket(AF_INET, SOCK_DGRAM|SOCK_CLOEXEC, IPPROTO_IP) = 3<UDP:[5]>)",
         R"(10 socket(AF_INET6, SOCK_STREAM, IPPROTO_TCP) = 4<TCPv6:[6]>)",
         R"(10 socket(AF_NETLINK, SOCK_RAW|SOCK_CLOEXEC, NETLINK_ROUTE) = 5<NETLINK:[7]>)",
         R"(10 connect(3<UDP:[5]>, {sa_family=AF_INET, sin_port=htons(53), sin_addr=inet_addr("127.0.0.53")}, 16) = 0)",
         R"(10 connect(6<UNIX-STREAM:[8]>, {sa_family=AF_UNIX, sun_path=@"/tmp/.X11-unix/X8"}, 20) = 0)",
         R"(10 connect(6<UNIX-STREAM:[8]>, {sa_family=AF_UNIX, sun_path="/run/dbus/system_bus_socket"}, 110) = -1 ENOENT (No such file or directory))",
         R"(10 connect(6<UNIX-STREAM:[8]>, {sa_family=AF_UNIX, sun_path="/tmp/run/pulse/native2"}, 110) = 0)",
         R"(10 bind(7<UNIX-STREAM:[9]>, {sa_family=AF_UNIX, sun_path="/tmp/run/game"}, 110) = 0)",
         R"(10 listen(7<UNIX-STREAM:[9]>, 5) = 0)"}}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

TEST(AuditPeers, ListsEachLocalPeerOnceAndEachProgram)
{
    const TraceAudit audit = auditTrace(
        {R"(10 execve("/usr/bin/navicella", ["navicella"], 0x7ffc /* 9 vars */) = 0)",
         R"(10 connect(3<UNIX-STREAM:[1]>, {sa_family=AF_UNIX, sun_path=@"/tmp/.X11-unix/X7"}, 20) = 0)",
         R"(11 connect(4<UNIX-STREAM:[2]>, {sa_family=AF_UNIX, sun_path="/tmp/run/pulse/native"}, 110) = 0)",
         R"(11 connect(5<UNIX-STREAM:[3]>, {sa_family=AF_UNIX, sun_path="/tmp/run/pulse/native"}, 110) = 0)",
         R"(12 execve("/usr/local/bin/dbus-launch", ["dbus-launch"], 0x7ffd /* 9 vars */) = -1 ENOENT (No such file or directory))",
         R"(12 execve("/usr/bin/dbus-launch", ["dbus-launch"], 0x7ffd /* 9 vars */) = -1 ENOENT (No such file or directory))"},
        Rules);
    EXPECT_EQ(audit.unixPeers, QStringList({"@/tmp/.X11-unix/X7", "/tmp/run/pulse/native"}));
    EXPECT_EQ(audit.programs, QStringList({"navicella", "dbus-launch (not started)"}));
}

}  // namespace
}  // namespace navicella::test
