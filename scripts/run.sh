#!/usr/bin/env bash
# Sets up, builds and runs Zapfile: `scripts/run.sh FILE...` zaps each FILE (asking first,
# unless the setting says not to); without FILE it opens the window.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
exec "$root/build/zapfile" "$@"
