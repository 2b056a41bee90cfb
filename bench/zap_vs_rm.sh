#!/usr/bin/env bash
# Times the command-line deletion (with the question turned off) against rm, side by side in
# one run, on the same number of fresh small files, then on one 1 GiB file each.
#   bench/zap_vs_rm.sh [FILES] [ROUNDS]    (defaults: 500 files, 5 rounds)
# Target: zapfile takes at most 1.3 times rm's time per file.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
zapfile="$root/build/zapfile"
zapreg="$root/build/zapfile-reg"
files=${1:-500}
rounds=${2:-5}
[ -x "$zapfile" ] || { echo "build first: scripts/build.sh" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zapfile-bench-XXXXXX")
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
unset DISPLAY WAYLAND_DISPLAY
"$zapreg" add 'HKCU\Software\Zapfile' /v bAskUser /t REG_SZ /d 0 /f >/dev/null

make_files() {  # folder count
  mkdir -p "$1"
  for ((i = 0; i < $2; i++)); do printf 'small file %d\n' "$i" >"$1/f$i"; done
}

now_ns() { date +%s%N; }

# One round: the same number of fresh files for each command, deleted one process per file.
time_round() {  # command... ; prints nanoseconds
  local dir="$work/round" start end
  rm -rf "$dir"
  make_files "$dir" "$files"
  sync
  start=$(now_ns)
  for ((i = 0; i < files; i++)); do "$@" "$dir/f$i"; done
  end=$(now_ns)
  if [ -n "$(ls -A "$dir")" ]; then echo "files left behind by $1" >&2; exit 1; fi
  echo $((end - start))
}

zap_total=0
rm_total=0
for ((r = 1; r <= rounds; r++)); do
  # Alternate which command goes first, so that neither always meets a warmer cache.
  if ((r % 2)); then
    z=$(time_round "$zapfile"); m=$(time_round rm)
  else
    m=$(time_round rm); z=$(time_round "$zapfile")
  fi
  zap_total=$((zap_total + z))
  rm_total=$((rm_total + m))
done

per_file() { awk -v t="$1" -v n="$2" 'BEGIN { printf "%.1f", t / n / 1000 }'; }
n=$((files * rounds))
printf '%-28s %12s %12s %8s\n' "case" "zapfile" "rm" "ratio"
printf '%-28s %10s us %10s us %8s\n' "small files ($n, per file)" \
  "$(per_file $zap_total $n)" "$(per_file $rm_total $n)" \
  "$(awk -v a=$zap_total -v b=$rm_total 'BEGIN { printf "%.2f", a / b }')"

# One big file each: the zap empties it before the removal, rm only unlinks it.
big() {  # name
  head -c $((1024 * 1024 * 1024)) /dev/zero >"$work/$1"
  sync
}
big zap.big
start=$(now_ns); "$zapfile" "$work/zap.big"; zap_big=$(( $(now_ns) - start ))
big rm.big
start=$(now_ns); rm "$work/rm.big"; rm_big=$(( $(now_ns) - start ))
[ ! -e "$work/zap.big" ] || { echo "the 1 GiB file was not zapped" >&2; exit 1; }
printf '%-28s %10s ms %10s ms %8s\n' "one 1 GiB file" \
  "$(awk -v t=$zap_big 'BEGIN { printf "%.1f", t / 1e6 }')" \
  "$(awk -v t=$rm_big 'BEGIN { printf "%.1f", t / 1e6 }')" \
  "$(awk -v a=$zap_big -v b=$rm_big 'BEGIN { printf "%.2f", a / b }')"
