#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package of the current build into OUT_DIR, replacing an
# older one. Usage: build-deb.sh BUILD_DIR OUT_DIR
set -euo pipefail
trap 'echo "build-deb: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR
build=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out"
ls "$out"/navicella_*.deb
