#!/usr/bin/env bash
# The installing of scripts/lib.sh on a busy machine: while another package
# manager holds its lock it says so and waits, then installs; after the limit
# it gives up with a message. A stand-in apt-get fails as apt-get does while a
# lock of the test's own (never the real dpkg lock) is held; nothing is installed.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
set +e

work=$(mktemp -d)
holder=
cleanup() {
  [ -n "$holder" ] && release_lock
  rm -rf "$work"
}
trap cleanup EXIT
lock=$work/var/lib/dpkg/lock-frontend
mkdir -p "$(dirname "$lock")"
: >"$lock"
cat >"$work/apt-get" <<STANDIN
#!/usr/bin/env bash
if [ -f "$work/broken" ]; then
  echo "E: Unable to locate package \${*: -1}" >&2
  exit 100
fi
if ! flock -n "$lock" true; then
  echo "E: Could not get lock $lock. It is held by process 4242 (apt-get)" >&2
  echo "E: Unable to acquire the dpkg frontend lock ($lock), is another process using it?" >&2
  exit 100
fi
echo "\$*" >>"$work/ran"
STANDIN
chmod +x "$work/apt-get"
export OSTROLEN_APT_GET=$work/apt-get
package=ostrolen-test-no-such-package

failures=0
check() {  # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

# Holds the lock for `seconds` in the background, from the moment this returns
# ($work/held names the process that holds it, which release_lock ends; its
# output goes nowhere, so that no one waits for it to close).
hold_lock() {
  rm -f "$work/held"
  flock "$lock" sh -c "echo \$\$ >'$work/held.new' && mv '$work/held.new' '$work/held' && exec sleep $1" >/dev/null 2>&1 &
  holder=$!
  while [ ! -s "$work/held" ]; do sleep 0.1; done
}
release_lock() {
  kill "$(cat "$work/held")" 2>/dev/null
  wait "$holder" 2>/dev/null
  holder=
}

install() {  # install LIMIT: ensure_packages in a subshell; its status, its messages in $work/err
  rm -f "$work/ran" "$work/err"
  local started=$SECONDS
  (OSTROLEN_APT_LOCK_SECONDS=$1 && source "$ROOT/scripts/lib.sh" && ensure_packages "$package") 2>"$work/err"
  local status=$?
  took=$((SECONDS - started))
  return $status
}

# No other package manager: installs at once, with no word of waiting.
install 30
check "free lock: installs" [ $? -eq 0 ]
check "free lock: update, then install of the missing package" \
  [ "$(cat "$work/ran")" = "$(printf 'update -qq\ninstall -y -qq --no-install-recommends %s' "$package")" ]
check "free lock: no waiting" bash -c "! grep -q waiting '$work/err'"

# The lock held for 5 s: waits, says so once, then installs.
hold_lock 5
install 60
status=$?
check "held lock: installs once it is free" [ $status -eq 0 ]
check "held lock: waited for it (${took} s)" [ "$took" -ge 3 ]
check "held lock: update and install after the wait" [ "$(wc -l <"$work/ran")" -eq 2 ]
check "held lock: says it waits, naming the lock and the limit" \
  grep -qF "Another package manager holds $lock: waiting for it, 60 s at most..." "$work/err"
check "held lock: says so once" [ "$(grep -c waiting "$work/err")" -eq 1 ]
check "held lock: apt's own complaints are not repeated" bash -c "! grep -q 'Could not get lock' '$work/err'"
wait "$holder"
holder=

# The lock held past the limit: gives up with a clear message, installs nothing.
hold_lock 60
install 3
status=$?
check "lock past the limit: fails" [ $status -ne 0 ]
check "lock past the limit: gives up soon after the limit (${took} s)" [ "$took" -ge 3 -a "$took" -le 15 ]
check "lock past the limit: nothing ran" [ ! -f "$work/ran" ]
check "lock past the limit: says why" grep -qF "Gave up after 3 s: another package manager still holds $lock." "$work/err"
release_lock

# Any other failure of apt-get stops at once with apt-get's own message.
touch "$work/broken"
install 30
status=$?
check "other failure: fails with apt-get's status" [ $status -eq 100 ]
check "other failure: at once" [ "$took" -le 1 ]
check "other failure: apt-get's message" grep -qF "E: Unable to locate package" "$work/err"
check "other failure: no waiting" bash -c "! grep -q waiting '$work/err'"

echo "package_lock_test: $failures failure(s)"
[ "$failures" -eq 0 ]
