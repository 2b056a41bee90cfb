#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Zapfile and its Debian package:
# build/zapfile_<version>-1_<arch>.deb, which `sudo apt-get install ./build/zapfile_*.deb`
# installs and `sudo apt-get remove zapfile` removes. (scripts/package-windows.sh builds the
# Windows installer and zip.)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh >/dev/null
cd build
# Every install writes this list; after `sudo cmake --install build` it is root's, and cpack's
# own install could not replace it.
rm -f install_manifest.txt
cpack -G DEB
