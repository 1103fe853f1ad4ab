# Shared by the scripts: the source folder, and installing what is missing.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# What a build needs, on Debian 12.
BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config git qt6-base-dev libgl-dev
  mdbtools mdbtools-dev fonts-liberation fonts-dejavu-core)
TEST_PACKAGES=(libgtest-dev libgmock-dev xvfb xauth)
# What the browser page needs besides: emscripten (which brings node), the
# native tools that make its sample database, and fonts of the page face.
WEB_PACKAGES=(build-essential cmake ninja-build pkg-config mdbtools-dev emscripten fonts-liberation)

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
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
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

# Configures (once) and builds a build folder: configure_and_build DIR cmake-args...
configure_and_build() {
  local dir=$1
  shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >&2
  fi
  cmake --build "$dir" -j "$JOBS" >&2
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
