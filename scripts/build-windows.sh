#!/usr/bin/env bash
# scripts/build-windows.sh
# Cross-builds the Windows program: build-windows/zapfile.exe, a single file that runs on
# 64-bit Windows as it is (it needs no DLL beside it).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target zapfile
echo "Built $(pwd)/build-windows/zapfile.exe"
