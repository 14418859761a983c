#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the program named by $NAVICELLA_PROGRAM for a reliability test.
# DesktopSession starts its program without arguments, so the settings come
# through the environment:
#   NAVICELLA_WORKDIR  the working directory to run it in
#   NAVICELLA_STRACE   the file that receives a log of its system calls
#                      (strace -f, the calls that create, change or remove
#                      files, sockets and shared memory, and program starts)
set -eu
if [ -n "${NAVICELLA_WORKDIR:-}" ]; then cd "$NAVICELLA_WORKDIR"; fi
# The session bus is looked for where a desktop keeps it, in the session's
# own runtime folder, where none runs: a bus inherited from the desktop the
# tests were started from is not the session's, and with no address at all
# libdbus forks a dbus-launch, which under AddressSanitizer can deadlock in
# the forked child and hang the program before its window shows.
if [ -n "${XDG_RUNTIME_DIR:-}" ]; then
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
fi
# Leaks the team has suppressed on purpose are not reports: LeakSanitizer
# need not list them on stderr.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0"
if [ -n "${NAVICELLA_STRACE:-}" ]; then
  # LeakSanitizer stops the program with ptrace at exit, which cannot work
  # under strace; the other sanitizer checks stay on.
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
  calls=open,openat,openat2,creat,open_by_handle_at,rename,renameat,renameat2
  calls=$calls,unlink,unlinkat,rmdir,mkdir,mkdirat,link,linkat,symlink,symlinkat
  calls=$calls,truncate,ftruncate,mknod,mknodat,memfd_create,execve
  calls=$calls,socket,socketpair,connect,bind,listen
  exec strace -f -qq -yy -s 512 -e signal=none -e trace="$calls" -o "$NAVICELLA_STRACE" \
    "$NAVICELLA_PROGRAM"
fi
exec "$NAVICELLA_PROGRAM"
