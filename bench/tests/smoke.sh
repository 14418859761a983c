#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A short run of the desktop harness, to show that it still measures: one
# start-up of each program and two presses of each kind, each result a
# positive number; and the memory breakdown gives both programs' totals.
# Run inside tests/support/session.sh.
# Usage: smoke.sh HARNESS GAME BASELINE
set -euo pipefail
harness=$1 game=$2 baseline=$3
out=$(mktemp)
trap 'rm -f "$out"' EXIT

"$harness" startup --game "$game" --baseline "$baseline" --runs 1 --settle-ms 100 >"$out"
"$harness" response --game "$game" --presses 2 >>"$out"
cat "$out"

status=0
for name in startup.game.first_paint_ms startup.baseline.first_paint_ms \
            startup.game.peak_rss_mb startup.baseline.peak_rss_mb \
            response.via.median_ms response.answer.median_ms; do
  value=$(awk -v n="$name" '$1 == "result" && $2 == n { print $3 }' "$out")
  if ! awk -v v="$value" 'BEGIN { exit !(v != "" && v + 0 > 0 && v + 0 < 60000) }'; then
    echo "smoke: $name is '${value}', not a positive figure" >&2
    status=1
  fi
done

breakdown=$("$(dirname "$0")/../rss-breakdown" "$game" "$baseline" 0.5)
echo "$breakdown"
if ! grep -Eq '^\| all mappings \| [1-9][0-9]* \| [1-9][0-9]* \|' <<<"$breakdown"; then
  echo "smoke: bench/rss-breakdown gave no totals" >&2
  status=1
fi
exit $status
