#!/usr/bin/env bash
# Sets up a Debian 12 machine, cross-builds the Windows program and its two packages:
#   build-windows/zapfile-<version>-x64.msi     the installer (for the user who runs it)
#   build-windows/zapfile-<version>-win64.zip   the program to unzip anywhere
# (scripts/package.sh builds the Debian package.)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target windows-packages
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
echo "Built $(pwd)/build-windows/zapfile-$version-x64.msi"
echo "  and $(pwd)/build-windows/zapfile-$version-win64.zip"
