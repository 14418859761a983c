#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package made by build-deb.sh: its control fields, that
# it holds exactly the program's files, and that lintian finds no error.
# Warnings and notes are printed, not failed on.
# Usage: check-deb.sh DEB_DIR APP_ID VERSION
set -euo pipefail
trap 'echo "check-deb: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR
dir=$1
id=$2
version=$3
debs=("$dir"/navicella_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one package in $dir" >&2; exit 1; }
deb=${debs[0]}
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = navicella ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
echo "Depends: $depends"
depended=$(tr ',|' '\n\n' <<<"$depends" | awk 'NF { print $1 }')
for package in libqt6widgets6 libpulse0 libsndfile1; do
  grep -qxF "$package" <<<"$depended" || fail "Depends lacks $package"
done
recommended=$(field Recommends | tr ',|' '\n\n' | awk 'NF { print $1 }')
for package in pipewire-pulse qt6-wayland; do
  grep -qxF "$package" <<<"$recommended" || fail "Recommends lacks $package"
done
# The sound goes straight to the server's own client library.
! grep -q multimedia <<<"$depended" || fail "Depends names Qt Multimedia"
# Every library the program loads must come from a package it depends on.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked" "$unpacked.tar"' EXIT
dpkg-deb -x "$deb" "$unpacked"
# Read whole, not piped into a reader that stops early: under pipefail the
# writer's broken pipe would end the script without a word.
libraries=$(ldconfig -p)
for soname in $(objdump -p "$unpacked/usr/games/navicella" | awk '$1 == "NEEDED" { print $2 }'); do
  path=$(awk -v so="$soname" '$1 == so && /x86-64|x86_64/ && !found { print $NF; found = 1 }' \
    <<<"$libraries")
  [ -n "$path" ] || { fail "cannot find $soname on this machine"; continue; }
  owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "/usr$path" 2>/dev/null || dpkg -S "${path#/usr}" 2>/dev/null || true)
  owner=${owner%%:*}
  [ -n "$owner" ] || { fail "no package owns $path"; continue; }
  grep -qxF "$owner" <<<"$depended" || fail "$soname comes from $owner, which Depends does not name"
done

expected=(
  ./usr/games/navicella
  "./usr/share/applications/$id.desktop"
  ./usr/share/doc/navicella/changelog.gz
  ./usr/share/doc/navicella/copyright
  "./usr/share/icons/hicolor/scalable/apps/$id.svg"
  ./usr/share/man/man6/navicella.6.gz
  "./usr/share/metainfo/$id.metainfo.xml"
)
for size in $NAVICELLA_ICON_SIZES; do
  expected+=("./usr/share/icons/hicolor/${size}x$size/apps/$id.png")
done
tarfile=$unpacked.tar
dpkg-deb --fsys-tarfile "$deb" >"$tarfile"
actual=$(tar -tf "$tarfile" | grep -v '/$' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
  fail "package files differ from the expected list:"
  diff <(echo "$wanted") <(echo "$actual") >&2 || true
fi
if tar -tvf "$tarfile" | awk '$2 != "root/root"' | grep .; then
  fail "files not owned by root"
fi

echo "== lintian"
# Lintian says it would rather not run as root; that note is not a finding.
report=$(lintian --display-info --pedantic "$deb" 2>&1 | grep -v 'running with root privileges' || true)
echo "${report:-(no findings)}"
if grep -q '^E: ' <<<"$report"; then
  fail "lintian reports errors"
fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "package checks passed"
