#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package on this machine with apt-get, starts the
# installed program in a private X session and looks at its window, then
# removes and purges the package and checks that nothing of it is left.
#
# This changes the machine, so it needs root and exits 77 (skipped)
# without. A navicella package already installed is purged first; if the
# script stops half-way, the package is purged on the way out, so the
# script can simply be run again.
# Usage: install-remove.sh DEB_DIR APP_ID SESSION_SCRIPT
set -euo pipefail
trap 'echo "install-remove: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR
dir=$1
id=$2
session=$3

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: installing and removing the package needs root"
  exit 77
fi
debs=("$dir"/navicella_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one package in $dir" >&2; exit 1; }
deb=$(realpath "${debs[0]}")

export DEBIAN_FRONTEND=noninteractive
apt=(apt-get -y -q --no-install-recommends -o DPkg::Lock::Timeout=300)
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
status() { dpkg-query -W -f='${db:Status-Status}' navicella 2>/dev/null || echo not-installed; }

cleanup() {
  if [ "$(status)" != not-installed ]; then
    "${apt[@]}" purge navicella >/dev/null 2>&1 || true
  fi
}
trap cleanup EXIT

if [ "$(status)" != not-installed ]; then
  echo "navicella is on this machine ($(status)); purging it first"
  "${apt[@]}" purge navicella >/dev/null
fi

# Every path of the package, and everything that sits directly in the
# folders of the package, before the install and after the purge. Caches
# that triggers of other packages keep up to date are not ours.
mapfile -t paths < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^$')
snapshot() {
  local path
  for path in "${paths[@]}"; do
    if [ -d "$path" ]; then
      echo "$path/"
      find "$path" -mindepth 1 -maxdepth 1 ! -type d ! -name '*.cache'
    elif [ -e "$path" ]; then
      echo "$path"
    fi
  done | sort -u
}
before=$(snapshot)

echo "== apt-get install $deb"
"${apt[@]}" install "$deb"
[ "$(status)" = installed ] || fail "dpkg status after install is '$(status)'"
for path in "${paths[@]}"; do
  [ -e "$path" ] || fail "not installed: $path"
done
desktop=/usr/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "installed desktop entry does not validate"

# Desktops start the program through the desktop entry's Exec, looked up
# on an ordinary user's PATH, which holds /usr/games.
exec_name=$(sed -n 's/^Exec=//p' "$desktop")
program=$(PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games command -v "$exec_name" || true)
[ "$program" = /usr/games/navicella ] || fail "Exec=$exec_name finds '$program'"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")

echo "== start $program in a private session"
if ! NAVICELLA_PROGRAM=$program NAVICELLA_WM_CLASS=$wm_class "$session" bash -c '
  set -u
  log=$(mktemp)
  "$NAVICELLA_PROGRAM" >"$log" 2>&1 &
  pid=$!
  window=""
  for _ in $(seq 150); do
    window=$(xdotool search --onlyvisible --class "^$NAVICELLA_WM_CLASS\$" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  result=0
  if [ -z "$window" ]; then
    echo "FAIL: no window of class $NAVICELLA_WM_CLASS appeared" >&2
    result=1
  else
    echo "window $window: $(xprop -id "$window" WM_CLASS)"
    sizes=$(xprop -id "$window" _NET_WM_ICON | grep -o "Icon ([0-9]* x [0-9]*)" | tr "\n" " ")
    echo "_NET_WM_ICON: ${sizes:-none}"
    # The window offers its icon at the sizes title bars and switchers use.
    for size in $NAVICELLA_WINDOW_ICON_SIZES; do
      case "$sizes" in
        *"($size x $size)"*) ;;
        *) echo "FAIL: the window icon has no $size x $size image" >&2; result=1 ;;
      esac
    done
  fi
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  echo "program output:"; sed "s/^/  /" "$log"
  rm -f "$log"
  exit "$result"'; then
  fail "the installed program did not show its window with its icon"
fi

echo "== apt-get remove navicella"
"${apt[@]}" remove navicella
for path in "${paths[@]}"; do
  [ -f "$path" ] && fail "left after remove: $path"
done
echo "dpkg status after remove: $(status)"
# A package without configuration files is gone for good after the remove,
# and apt-get no longer knows the name; purge only what is left.
if [ "$(status)" != not-installed ]; then
  echo "== apt-get purge navicella"
  "${apt[@]}" purge navicella
fi
[ "$(status)" = not-installed ] || fail "dpkg status after purge is '$(status)'"
ls /var/lib/dpkg/info/navicella.* >/dev/null 2>&1 && fail "dpkg still keeps files of navicella"
after=$(snapshot)
if [ "$before" != "$after" ]; then
  fail "the purge left the machine different:"
  diff <(echo "$before") <(echo "$after") >&2 || true
fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "install, start, remove and purge passed"
