#!/usr/bin/env bash
# Installs what building and testing Zapfile needs on Debian 12: the packages listed in
# scripts/packages/*.txt. Safe to run again: it calls apt-get only when one is missing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

mapfile -t packages < <(cat "$here"/packages/*.txt | sed -e 's/#.*//' -e 's/[[:space:]]//g' | grep -v '^$' | sort -u)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
# Another install may be at work. apt-get waits up to 10 minutes for dpkg's lock when told
# to, but "apt-get update" gives up at once on the lock of the package lists: it is tried
# again every 5 s for as long.
wait_s=600
for ((waited = 0; ; waited += 5)); do
  status=0
  log=$($sudo apt-get update -q 2>&1) || status=$?
  [ "$status" -ne 0 ] && grep -q 'Could not get lock' <<<"$log" && [ "$waited" -lt "$wait_s" ] ||
    break
  [ "$waited" -gt 0 ] || echo "Waiting up to $wait_s s for another program's apt lock..." >&2
  sleep 5
done
echo "$log"
[ "$status" -eq 0 ] || exit "$status"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
  -o DPkg::Lock::Timeout="$wait_s" "${missing[@]}"
