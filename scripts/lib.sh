# Shared by the scripts: the source folder, and installing what is missing.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# What a build needs, on Debian 12.
BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config git qt6-base-dev libgl-dev
  mdbtools mdbtools-dev fonts-liberation fonts-dejavu-core)
TEST_PACKAGES=(libgtest-dev libgmock-dev xvfb xauth dbus at-spi2-core python3-pyatspi
  poppler-utils)
# What the browser page needs besides: emscripten (which brings node), the
# native tools that make its sample database, and fonts of the page face.
WEB_PACKAGES=(build-essential cmake ninja-build pkg-config mdbtools-dev emscripten fonts-liberation)
# The static checks (scripts/lint), and the fuzzing's clang and libFuzzer (scripts/fuzz).
LINT_PACKAGES=(clang-tidy-14 clang-format-14 cppcheck)
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

# How long the installing waits for another package manager (apt, dpkg,
# unattended-upgrades on a freshly booted machine) to finish, in seconds.
APT_LOCK_SECONDS=${OSTROLEN_APT_LOCK_SECONDS:-600}

# Runs apt-get with the arguments, waiting while another package manager
# holds its lock, APT_LOCK_SECONDS at most; then gives up with a message.
# OSTROLEN_APT_GET names another program to run instead (the tests' stand-in).
apt_get_waiting() {
  local errors
  errors=$(mktemp)
  local deadline=$((SECONDS + APT_LOCK_SECONDS))
  local waiting=0
  local status
  while true; do
    status=0
    "$@" 2>"$errors" || status=$?
    if [ "$status" -eq 0 ] || ! grep -qE 'Could not get lock|Unable to acquire the dpkg frontend lock|Unable to lock' "$errors"; then
      cat "$errors" >&2
      rm -f "$errors"
      return "$status"
    fi
    local lock
    lock=$(grep -oE '/[^ ()]*lock[^ ()]*' "$errors" | head -n 1 | sed -e 's/[.,]$//')
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "Gave up after ${APT_LOCK_SECONDS} s: another package manager still holds ${lock:-its lock}." >&2
      echo "Run this again when it has finished (OSTROLEN_APT_LOCK_SECONDS sets how long to wait)." >&2
      rm -f "$errors"
      return 1
    fi
    if [ "$waiting" -eq 0 ]; then
      echo "Another package manager holds ${lock:-its lock}: waiting for it, ${APT_LOCK_SECONDS} s at most..." >&2
      waiting=1
    fi
    sleep 2
  done
}

# Installs the Debian packages that are not installed yet, non-interactively.
ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}" >&2
  local apt=(apt-get)
  if [ -n "${OSTROLEN_APT_GET:-}" ]; then
    apt=("$OSTROLEN_APT_GET")
  elif [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    apt=(sudo apt-get)
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt_get_waiting "${apt[@]}" update -qq || exit
  apt_get_waiting "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >&2 || exit
}

# The window runs in a UTF-8 locale: the user's when it is one, else C.UTF-8,
# which every Debian system has (a container's or a minimal server's C locale,
# or an old 8-bit one, would leave the choice to Qt).
use_utf8_locale() {
  if [ "$(locale charmap 2>/dev/null)" != "UTF-8" ]; then
    export LC_ALL=C.UTF-8
    unset LANGUAGE
  fi
}

# A compiler cache, where Debian's ccache is installed: kept outside the
# source folder (ccache's own, under ~/.cache), shared by every clone (paths
# under the source folder are taken relative to it), so that a fresh clone
# builds in a fraction of the time. OSTROLEN_CCACHE=0 builds without it.
if [ "${OSTROLEN_CCACHE:-1}" != 0 ] && command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$ROOT CCACHE_NOHASHDIR=1
  COMPILER_LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
else
  COMPILER_LAUNCHER=(-UCMAKE_CXX_COMPILER_LAUNCHER)
fi

# Configures a build folder (once): configure DIR cmake-args...
configure() {
  local dir=$1
  shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja "${COMPILER_LAUNCHER[@]}" "$@" >&2
  fi
}

# Configures (once) and builds a build folder: configure_and_build DIR cmake-args...
configure_and_build() {
  configure "$@"
  cmake --build "$1" -j "$JOBS" >&2
}

# node and npm, from Debian unless some other node is there already; then
# the npm packages of package-lock.json (the worker's Access reader, its
# bundler, the browser driver of the tests), when they are not installed yet.
ensure_node_modules() {
  command -v node >/dev/null || ensure_packages nodejs
  command -v npm >/dev/null || ensure_packages npm
  if [ ! -f "$ROOT/node_modules/.package-lock.json" ] || [ "$ROOT/package-lock.json" -nt "$ROOT/node_modules/.package-lock.json" ]; then
    (cd "$ROOT" && npm ci --no-audit --no-fund --loglevel=error >&2)
  fi
}
