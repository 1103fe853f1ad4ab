#!/bin/sh
# The editions held together: every script of tests/replay and random
# scripts run through the command line's edition and the window's own
# events must give the same dumps, byte for byte.
#   editions.sh CLI-REPLAY WINDOW-REPLAY SCRIPTS-DIR FIRST-SEED LAST-SEED ACTIONS
set -eu
cli=$1 window=$2 scripts=$3 first=$4 last=$5 actions=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC QT_QPA_PLATFORM=offscreen
failed=0
compare() {
  "$cli" "$1" >"$work/cli.out"
  "$window" "$1" >"$work/window.out" 2>"$work/window.err" || { cat "$work/window.err" >&2; failed=1; return; }
  if ! cmp -s "$work/cli.out" "$work/window.out"; then
    echo "the editions differ on $2:" >&2
    diff "$work/cli.out" "$work/window.out" | head -20 >&2
    failed=1
  fi
}
for script in "$scripts"/*.txt; do compare "$script" "$(basename "$script")"; done
seed=$first
while [ "$seed" -le "$last" ]; do
  "$cli" --random "$seed" "$actions" >"$work/random.txt"
  compare "$work/random.txt" "random seed $seed"
  seed=$((seed + 1))
done
[ "$failed" -eq 0 ] && echo "the same dumps: $(ls "$scripts"/*.txt | wc -l) scripts, seeds $first-$last of $actions actions"
exit "$failed"
