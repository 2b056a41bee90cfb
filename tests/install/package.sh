#!/usr/bin/env bash
# tests/install/package.sh BUILD_DIR
# The Debian package, built by cpack into a temporary folder (never installed here): its name
# and fields, exactly the files expected with their modes and owner, lintian's verdict, and
# the program taken out of it deleting a file.
set -euo pipefail
build=$(cd "$1" && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zapfile-package-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
rm -f "$build/install_manifest.txt"  # see scripts/package.sh
(cd "$build" && cpack -G DEB -B "$tmp" >"$tmp/cpack.log" 2>&1) ||
  { cat "$tmp/cpack.log" >&2; exit 1; }
deb=$tmp/zapfile_${version}-1_$arch.deb
[ -f "$deb" ] || { echo "no $deb; cpack made: $(ls "$tmp")" >&2; exit 1; }

# ---- The fields ------------------------------------------------------------------------------
# (The package's name is in the file's; lintian, below, wants a known section and priority.)
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" = "$version-1" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
# The programs need the C library alone; GTK and its company are only recommended.
[[ "$(field Depends)" =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]] || fail "Depends: $(field Depends)"
[[ "$(field Recommends)" == *"libgtk-3-0 (>= "* ]] || fail "Recommends: $(field Recommends)"
[[ "$(field Recommends)" != *libc6* ]] || fail "Recommends repeats libc6: $(field Recommends)"
[[ "$(field Description)" == "delete a file by force: empty it, then remove it"$'\n'* ]] ||
  fail "Description: $(field Description)"

# ---- The files: what `cmake --install` puts under /usr (install_tree.sh checks that list),
# with Debian's changelog and lintian's overrides; every folder on their way drwxr-xr-x, all
# owned by root ------------------------------------------------------------------------------
cmake --install "$build" --prefix "$tmp/tree/usr" >/dev/null
rm -f "$build/install_manifest.txt"
expected=$({ (cd "$tmp/tree" && find . -type f -printf '%m %p\n') &&
  printf '644 ./usr/share/%s\n' doc/zapfile/changelog.Debian.gz lintian/overrides/zapfile; } |
  sed -e 's/^755 /-rwxr-xr-x /' -e 's/^644 /-rw-r--r-- /' | LC_ALL=C sort -k2)
contents=$(dpkg-deb -c "$deb")
actual=$(awk '$1 !~ /^d/ {print $1, $6}' <<<"$contents" | LC_ALL=C sort -k2)
[ "$actual" = "$expected" ] || fail "contents:"$'\n'"$(diff <(echo "$expected") <(echo "$actual"))"
folders=$(awk '$1 ~ /^d/ {print $1, $6}' <<<"$contents" | LC_ALL=C sort -k2)
wanted=$(sed 's|^[^ ]* \(.*\)/[^/]*$|\1/|' <<<"$expected" |
  awk '{n = split($0, p, "/"); s = p[1]; for (i = 2; i < n; i++) { s = s "/" p[i]; print "drwxr-xr-x " s "/" } }' |
  LC_ALL=C sort -u -k2)
[ "$folders" = "$wanted" ] || fail "folders:"$'\n'"$(diff <(echo "$wanted") <(echo "$folders"))"
owners=$(awk '{print $2}' <<<"$contents" | sort -u)
[ "$owners" = root/root ] || fail "owners: $owners"

# ---- lintian: nothing but the one warning that only an upload to Debian could settle ---------
# initial-upload-closes-no-bugs: Debian's first upload of a package closes its "intent to
# package" bug; this package is not uploaded to Debian and has none.
tags=$(lintian "$deb" 2>/dev/null | grep -v ' initial-upload-closes-no-bugs ' || true)
[ -z "$tags" ] || fail "lintian:"$'\n'"$tags"

# ---- The program taken out of the package runs (install_tree.sh puts the same build to work) --
dpkg-deb -x "$deb" "$tmp/root"
[ "$("$tmp/root/usr/bin/zapfile" --version)" = "zapfile (Ko Zapfile) Version $version (Build 20060208)" ] ||
  fail "--version of the packaged program: $("$tmp/root/usr/bin/zapfile" --version)"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "package $(basename "$deb"): all checks passed"
