#!/usr/bin/env bash
# Configures and builds Zapfile into build/ (build/zapfile, build/zapfile-reg).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default
