#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Zapfile and runs every test: the Linux build's, then
# the Windows build's under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
ctest --preset default "$@"

# The Windows build, 64-bit and tested, 32-bit compiled only. Its tests make a fresh Wine
# prefix and start an Xvfb display of their own: no window shows on the caller's desktop.
cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --preset windows32 >/dev/null
cmake --build --preset windows32
env -u DISPLAY -u WAYLAND_DISPLAY ctest --preset windows
