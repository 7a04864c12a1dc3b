#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: Debian packages (when missing), the
# CMake build and the working directory.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
JOBS="${JOBS:-$(nproc)}"

PACKAGES=(cmake g++ make libfltk1.3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
          libtiff-dev xvfb xauth libgtest-dev libassimp-dev libcli11-dev nlohmann-json3-dev
          libpng-dev libembree-dev python3)

install_packages() {
  local missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing Debian packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
}

build_workbench() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$BUILD" -j "$JOBS"
}

# The sample working directory, written once; an existing work/ is kept.
prepare_workdir() {
  local work="$ROOT/work"
  if [ -x "$BUILD/make-workdir" ] && [ ! -d "$work" ]; then
    "$BUILD/make-workdir" "$work"
  fi
  mkdir -p "$work"
}
