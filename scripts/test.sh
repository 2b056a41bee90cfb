#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Zapfile and runs every test: the Linux build's, the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets briefly, then
# the Windows build's under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
ctest --preset default "$@"

# The whole Linux suite again, built with the sanitizers (Debug): a test passes only when
# neither reports anything, as the preset stops at the first report. (The package built from
# it would depend on the sanitizers' libraries: the package's own test runs above only.)
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize "$@"

# Each libFuzzer target for 30 s from a fixed seed, after the inputs that once made it fail.
scripts/fuzz.sh --ci

# The Windows build, 64-bit and tested, 32-bit compiled only. Its tests make a fresh Wine
# prefix and start an Xvfb display of their own: no window shows on the caller's desktop.
cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --preset windows32 >/dev/null
cmake --build --preset windows32
env -u DISPLAY -u WAYLAND_DISPLAY ctest --preset windows
