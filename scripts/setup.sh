#!/usr/bin/env bash
# Installs every Debian package the project needs. Safe to run again: it only
# calls apt-get when a package is missing.
#
#   scripts/setup.sh             what building, running and testing need
#   scripts/setup.sh --package   that, and the tools that build and check the
#                                Debian package (scripts/package.sh)
#   scripts/setup.sh --windows   that, and what cross-builds the Windows
#                                programs and checks them under Wine
#                                (scripts/windows.sh)
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev qt6-tools-dev qt6-tools-dev-tools libqt6opengl6-dev
  libqcustomplot-dev libgtest-dev
  xvfb xauth x11-apps imagemagick
  dbus-daemon at-spi2-core python3-pyatspi
  fonts-dejavu-core fonts-dejavu-extra
  clang libclang-rt-14-dev
)

for arg in "$@"; do
  case "$arg" in
    --package) PACKAGES+=(dpkg-dev fakeroot file lintian desktop-file-utils appstream) ;;
    # The MinGW-w64 compiler with POSIX threads (std::thread, std::mutex),
    # Wine to run the tests, NSIS for the installer, socat for null-modem
    # pairs, zip for the portable folder and googletest's sources for the
    # Windows test build.
    --windows) PACKAGES+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 nsis socat zip unzip
                          xz-utils googletest ccache) ;;
    *) echo "setup: unknown option $arg" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# An apt cache older than a day (or none at all) is refreshed first.
if [ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*Packages*' -mmin -1440 2>/dev/null | head -n 1)" ]; then
  $SUDO apt-get update -q
fi
if ! $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
