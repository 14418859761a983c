#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one command inside a private desktop session: its own runtime folder,
# a session bus, an Xvfb display and a PulseAudio daemon whose default sink is a null sink,
# all torn down afterwards. Usage: session.sh [--no-audio] [--no-display] CMD...
#
# Inside, DISPLAY and XDG_RUNTIME_DIR are set, and NAVICELLA_SINK names the
# null sink, whose monitor "$NAVICELLA_SINK.monitor" can be recorded.
set -euo pipefail

audio=1
display=1
while [ $# -gt 0 ]; do
  case "$1" in
    --no-audio) audio=0; shift ;;
    --no-display) display=0; shift ;;
    *) break ;;
  esac
done

runtime=$(mktemp -d /tmp/navicella-session.XXXXXX)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime
export HOME=${HOME:-$runtime}
pids=()
cleanup() {
  [ "$audio" = 1 ] && pulseaudio --kill >/dev/null 2>&1 || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT

# A session bus, as every desktop has: without one, Qt's accessibility bridge
# can wait for a bus connection that never comes.
dbus-daemon --session --fork --nopidfile --address="unix:path=$runtime/bus" \
  --print-pid=3 3>"$runtime/dbus.pid" >/dev/null
pids+=("$(cat "$runtime/dbus.pid")")
export DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus"

if [ "$display" = 1 ]; then
  # -displayfd lets Xvfb choose a free display and tell us once it is ready.
  exec {fd}<> <(:)
  Xvfb -displayfd "$fd" -screen 0 2560x1600x24 -nolisten tcp >"$runtime/xvfb.log" 2>&1 &
  pids+=($!)
  read -r -t 20 -u "$fd" number || { echo "Xvfb did not start" >&2; cat "$runtime/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$number"
else
  unset DISPLAY
fi

if [ "$audio" = 1 ]; then
  export NAVICELLA_SINK=navicella_null
  mkdir -p "$runtime/pulse"
  # Fixed rates: no switching between 44.1 and 48 kHz behind the recorder's back.
  cat >"$runtime/pulse/daemon.conf" <<CONF
default-sample-rate = 44100
alternate-sample-rate = 44100
exit-idle-time = -1
CONF
  PULSE_CONFIG_PATH="$runtime/pulse" pulseaudio -D -n --exit-idle-time=-1 --disallow-exit \
    --log-target=file:"$runtime/pulse.log" \
    --load="module-null-sink sink_name=$NAVICELLA_SINK rate=44100" \
    --load="module-native-protocol-unix auth-anonymous=1" 2>/dev/null
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl set-default-sink "$NAVICELLA_SINK"
fi

"$@"
