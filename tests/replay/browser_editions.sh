#!/bin/sh
# The browser page held to the command line's edition: every script of
# tests/replay and random scripts run through the page's own event handling
# in Chromium must give the command line's dumps, byte for byte.
#   browser_editions.sh CLI-REPLAY NODE REPLAY-MJS SCRIPTS-DIR FIRST-SEED LAST-SEED ACTIONS
set -eu
cli=$1 node=$2 replay=$3 scripts=$4 first=$5 last=$6 actions=$7
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC
mkdir "$work/in" "$work/cli" "$work/browser"
for script in "$scripts"/*.txt; do cp "$script" "$work/in/"; done
seed=$first
while [ "$seed" -le "$last" ]; do
  "$cli" --random "$seed" "$actions" >"$work/in/random-$seed.txt"
  seed=$((seed + 1))
done
for script in "$work"/in/*.txt; do
  name=$(basename "$script" .txt)
  "$cli" "$script" >"$work/cli/$name.out"
done
"$node" "$replay" --out "$work/browser" "$work"/in/*.txt
failed=0
for script in "$work"/in/*.txt; do
  name=$(basename "$script" .txt)
  if ! cmp -s "$work/cli/$name.out" "$work/browser/$name.out"; then
    echo "the editions differ on $name:" >&2
    diff "$work/cli/$name.out" "$work/browser/$name.out" | head -20 >&2
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "the same dumps in the browser: $(ls "$scripts"/*.txt | wc -l) scripts, seeds $first-$last of $actions actions"
exit "$failed"
