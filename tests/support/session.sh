#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one command inside a private desktop session: its own runtime folder,
# a session bus, a display and a sound server whose default sink is a null
# sink, all torn down afterwards.
#
#   session.sh [--display x11|wayland|none] [--audio pulse|pipewire|none] CMD...
#
# x11 (the default) is an Xvfb display. wayland is the desktop most users
# have: weston on that Xvfb, which forwards the X pointer and keyboard to its
# Wayland clients; the programs a test starts find it through WAYLAND_DISPLAY,
# its single window stands at the top left of the X screen, and a program's
# main window fills it. pulse (the default) is a PulseAudio daemon; pipewire
# is PipeWire with wireplumber and pipewire-pulse. --no-display and
# --no-audio are the same as "none".
#
# Inside, DISPLAY and XDG_RUNTIME_DIR are set, and NAVICELLA_SINK names the
# null sink, whose monitor "$NAVICELLA_SINK.monitor" can be recorded.
#
#   session.sh --own-server up|down
#
# Inside a session, starts or stops a second sound server of the session's
# kind (PulseAudio in a session without sound), on the socket
# "$XDG_RUNTIME_DIR/native", that plays into a sink of the session's sink's
# name: for tests that take a server away and bring it back. Status 1 if it
# did not come up, or go, within 5 s.
#
# Whatever ends the session, its processes and its folder go with it: the
# helper's own cleanup, or, where the helper itself was killed (as ctest
# does at a test's time limit, to the test's process tree), a watcher of
# its own outside that tree.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
display=x11
audio=pulse

# Ends whatever a session left running, daemons included: everything started
# in it carries its folder in NAVICELLA_SESSION_RUNTIME, which no program
# changes. Then lets go of what a document portal that a browser woke on the
# bus mounted in the folder, and removes it.
sweep() {
  local folder=$1 left
  for _ in $(seq 50); do
    mapfile -t left < <(NAVICELLA_SESSION_RUNTIME='' grep -lzxF "NAVICELLA_SESSION_RUNTIME=$folder" \
      /proc/[0-9]*/environ 2>/dev/null)
    [ ${#left[@]} -eq 0 ] && break
    left=("${left[@]#/proc/}")
    kill -KILL "${left[@]%/environ}" 2>/dev/null || true
    sleep 0.1
  done
  while read -r _ mount _; do
    case "$mount" in "$folder"/*) umount -l "$mount" 2>/dev/null || fusermount3 -u -z "$mount" 2>/dev/null || true ;; esac
  done </proc/mounts
  rm -rf "$folder"
}

# session.sh --watch PID FOLDER: once the helper PID has ended, sweeps up
# what it did not.
if [ "${1:-}" = --watch ]; then
  tail --pid="$2" -f /dev/null
  [ -d "$3" ] && sweep "$3"
  exit 0
fi

if [ "${1:-}" = --own-server ]; then
  socket=$XDG_RUNTIME_DIR/native
  sink=${NAVICELLA_SINK:-navicella_null}
  kind=${NAVICELLA_AUDIO:-pulse}
  case "$2-${kind/none/pulse}" in
    up-pulse)
      # Off the session's bus, where the session's own server has its name.
      DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent pulseaudio -D -n --exit-idle-time=-1 \
        --disallow-exit --log-target=file:"$XDG_RUNTIME_DIR/pulse.log" \
        --load="module-null-sink sink_name=$sink rate=44100" \
        --load="module-native-protocol-unix socket=$socket auth-anonymous=1" ;;
    up-pipewire)
      # Serves the session's PipeWire, whose null sink outlives it.
      PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
        pipewire-pulse >"$XDG_RUNTIME_DIR/pulse.log" 2>&1 &
      echo $! >"$XDG_RUNTIME_DIR/server.pid" ;;
    down-pulse) pulseaudio --kill 2>/dev/null || true ;;
    down-pipewire) kill "$(cat "$XDG_RUNTIME_DIR/server.pid" 2>/dev/null)" 2>/dev/null || true ;;
    *) echo "session.sh: --own-server up|down, inside a session" >&2; exit 2 ;;
  esac
  for _ in $(seq 100); do
    if [ "$2" = up ]; then pactl --server="unix:$socket" info >/dev/null 2>&1 && exit 0
    else [ -S "$socket" ] || exit 0; fi
    sleep 0.05
  done
  exit 1
fi

while [ $# -gt 0 ]; do
  case "$1" in
    --no-audio) audio=none; shift ;;
    --no-display) display=none; shift ;;
    --audio) audio=$2; shift 2 ;;
    --display) display=$2; shift 2 ;;
    *) break ;;
  esac
done

runtime=$(mktemp -d /tmp/navicella-session.XXXXXX)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime NAVICELLA_SESSION_RUNTIME=$runtime
export HOME=${HOME:-$runtime}
# Detached, with its own session and no hold on the test's output, so that
# neither a kill of the test's process tree nor its end reaches the watcher.
(NAVICELLA_SESSION_RUNTIME='' setsid "$here/session.sh" --watch $$ "$runtime" </dev/null >/dev/null 2>&1 &)
pids=()
cleanup() {
  # The last started goes first: the sound and display servers before the bus.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null && wait "${pids[i]}" 2>/dev/null || true
  done
  sweep "$runtime"
}
trap cleanup EXIT

# Waits, up to 10 s, for a command to succeed.
await() {
  for _ in $(seq 200); do "$@" >/dev/null 2>&1 && return 0; sleep 0.05; done
  echo "session.sh: gave up waiting for: $*" >&2
  exit 1
}

# A session bus, as every desktop has: without one, Qt's accessibility bridge
# can wait for a bus connection that never comes.
# Servers run as this shell's children, which a kill of the test's process
# tree reaches; each says when it is ready.
exec {fd}<> <(:)
dbus-daemon --session --nofork --nopidfile --address="unix:path=$runtime/bus" --print-address="$fd" >"$runtime/dbus.log" 2>&1 &
pids+=($!)
read -r -t 20 -u "$fd" DBUS_SESSION_BUS_ADDRESS || { echo "session.sh: the session bus did not start" >&2; exit 1; }
export DBUS_SESSION_BUS_ADDRESS

if [ "$display" != none ]; then
  # -displayfd lets Xvfb choose a free display. -noreset: by default the
  # server resets when its last client leaves, and a program that connects
  # meanwhile (a browser started right after the last one quit) cannot open
  # the display.
  Xvfb -displayfd "$fd" -screen 0 2560x1600x24 -nolisten tcp -noreset >"$runtime/xvfb.log" 2>&1 &
  pids+=($!)
  read -r -t 20 -u "$fd" number || { echo "Xvfb did not start" >&2; cat "$runtime/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$number"
else
  unset DISPLAY
fi
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
if [ "$display" = wayland ]; then
  # The kiosk shell shows a main window full size at the output's top left,
  # and a box centred in front of it.
  weston --backend=x11-backend.so --use-pixman --shell=kiosk-shell.so --socket=wayland-navicella \
    --width=1280 --height=800 --idle-time=0 --log="$runtime/weston.log" &
  pids+=($!)
  await test -S "$runtime/wayland-navicella"
  export WAYLAND_DISPLAY=wayland-navicella XDG_SESSION_TYPE=wayland
fi

export NAVICELLA_AUDIO=$audio NAVICELLA_SESSION=$here/session.sh
if [ "$audio" = pulse ]; then
  export NAVICELLA_SINK=navicella_null
  mkdir -p "$runtime/pulse"
  # Fixed rates: no switching between 44.1 and 48 kHz behind the recorder's back.
  cat >"$runtime/pulse/daemon.conf" <<CONF
default-sample-rate = 44100
alternate-sample-rate = 44100
exit-idle-time = -1
CONF
  PULSE_CONFIG_PATH="$runtime/pulse" pulseaudio -n --exit-idle-time=-1 --disallow-exit \
    --log-target=file:"$runtime/pulse.log" \
    --load="module-null-sink sink_name=$NAVICELLA_SINK rate=44100" \
    --load="module-native-protocol-unix auth-anonymous=1" 2>/dev/null &
  pids+=($!)
  await pactl info
  pactl set-default-sink "$NAVICELLA_SINK"
elif [ "$audio" = pipewire ]; then
  export NAVICELLA_SINK=navicella_null PIPEWIRE_RUNTIME_DIR=$runtime
  # The servers' settings and state stay in the session. One fixed rate, and
  # a mono sink for the mono cues: what reaches the sink is our samples as
  # they are, with no resampling or channel mixing. A short quantum (256
  # frames), for a delay from press to sink near PulseAudio's.
  export XDG_CONFIG_HOME=$runtime/config XDG_STATE_HOME=$runtime/state
  mkdir -p "$XDG_CONFIG_HOME/pipewire/pipewire.conf.d" "$XDG_STATE_HOME"
  echo 'context.properties = { default.clock.rate = 44100 default.clock.allowed-rates = [ 44100 ]
    default.clock.quantum = 256 default.clock.min-quantum = 256 }' \
    >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/navicella.conf"
  # The session manager and the PulseAudio service give up without PipeWire.
  for server in pipewire wireplumber pipewire-pulse; do
    "$server" >"$runtime/$server.log" 2>&1 &
    pids+=($!)
    await test -S "$runtime/pipewire-0"
  done
  await pactl info
  # Made this way, the sink belongs to PipeWire and outlives pipewire-pulse.
  pw-cli create-node adapter "{ factory.name=support.null-audio-sink node.name=$NAVICELLA_SINK
    media.class=Audio/Sink object.linger=true audio.position=[MONO] audio.rate=44100 }" >/dev/null
  isDefault() {
    pactl set-default-sink "$NAVICELLA_SINK" && [ "$(pactl get-default-sink)" = "$NAVICELLA_SINK" ]
  }
  await isDefault
fi

"$@"
