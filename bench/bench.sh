#!/usr/bin/env bash
# bench/bench.sh [FILES] [ROUNDS] [WINDOW_ROUNDS] [BIG_ROUNDS] [BIG_MIB] [REG_ROUNDS] [REG_VALUES]
#
# Times Zapfile against rm and against the floors, side by side in one run, and prints every
# row with its ratios and its target. Each figure is the median of interleaved rounds: the
# order of the commands turns from round to round, so that none always meets a warmer cache.
#   - command line, question off: FILES fresh 1 KiB files per command and round, one process
#     per file started from a shell loop (default 100 files, 9 rounds);
#   - FILES x 10 paths (default 1,000) in one call, ROUNDS rounds;
#   - one big file of BIG_MIB MiB (default 1 GiB), BIG_ROUNDS rounds (default 5);
#   - peak memory of a one-file run (/usr/bin/time %M), ROUNDS rounds;
#   - the registry, per operation, in REG_ROUNDS runs (default 5) of registry_ops.cpp: FILES x 20
#     reads, FILES x 2 writes and the enumeration of keys of REG_VALUES and REG_VALUES x 10
#     values (default 1,000 and 10,000), on the stand-in and, built with mingw-w64, under Wine
#     in a prefix of its own (ZAPFILE_BENCH_WINE=0 leaves Wine out);
#   - the registry: zapfile-reg query of a key of FILES x 200 values (default 20,000) and of a
#     quarter as many, and the peak memory of FILES x 200 paths in one call, ROUNDS rounds;
#   - the window: from the start until the window is mapped under Xvfb with a window manager
#     (jwm), for the main window and for the question of a command-line run with a display
#     and no terminal, against a bare GTK 3 program that maps one dialog (WINDOW_ROUNDS,
#     default 15).
# The yardsticks: "bare steps" (bare_steps.c) does the deletion's I/O and nothing else, by the
# C library's calls; "cut steps" (cut_steps.c), the cheapest I/O that leaves what the deletion
# leaves (the first byte overwritten, the file cut after it), the floor for many paths;
# "bare steps + SQLite" (bare_sqlite.c) adds to the bare steps the least that reading the
# setting from the registry's database takes, an open and one query. bare_gtk.c is the bare
# GTK program and map_time.c times the mapping; all are built here, registry_ops through the
# build's own CMake. Build Zapfile first (scripts/build.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
bin="${ZAPFILE_BIN_DIR:-$root/build}"  # where zapfile and zapfile-reg were built
zapfile="$bin/zapfile"
zapreg="$bin/zapfile-reg"
files=${1:-100}
rounds=${2:-9}
wrounds=${3:-15}
brounds=${4:-5}
big_mib=${5:-1024}
reg_rounds=${6:-5}
reg_values=${7:-1000}
[ -x "$zapfile" ] && [ -x "$zapreg" ] || { echo "build first: scripts/build.sh" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zapfile-bench-XXXXXX")
xvfb="" wm="" wine_env=()
cleanup() {
  [ ${#wine_env[@]} -eq 0 ] || env "${wine_env[@]}" wineserver -k 2>/dev/null || true
  [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  chmod -R u+w "$work"
  rm -rf "$work"
}
trap cleanup EXIT

# The SQLite floor is linked as zapfile is: SQLite's static library when there is one, at a
# fixed address.
sqlite_lib="$(pkg-config --variable=libdir sqlite3)/libsqlite3.a"
[ -f "$sqlite_lib" ] || sqlite_lib=-lsqlite3
cc -O2 -o "$work/bare_steps" "$here/bare_steps.c"
cc -O2 -o "$work/cut_steps" "$here/cut_steps.c"
cc -O2 -no-pie -o "$work/bare_sqlite" "$here/bare_sqlite.c" "$sqlite_lib" -lm
cc -O2 -o "$work/many_values" "$here/many_values.c" "$sqlite_lib" -lm
# shellcheck disable=SC2046
cc -O2 -o "$work/bare_gtk" "$here/bare_gtk.c" $(pkg-config --cflags --libs gtk+-3.0)
cc -O2 -o "$work/map_time" "$here/map_time.c" -lX11

# ---- helpers --------------------------------------------------------------------------------
median() {
  tr ' ' '\n' | grep . | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v r="$1" -v t="$2" 'BEGIN { print (r <= t) ? "met" : "MISSED" }'; }
scaled() { awk -v t="$1" -v d="$2" -v f="$3" 'BEGIN { printf f, t / d }'; }
now_ns() { date +%s%N; }
kib=$(head -c 1024 /dev/zero | tr '\0' 'k')
make_files() {  # folder count: 1 KiB each
  rm -rf "$1"
  mkdir -p "$1"
  for ((i = 0; i < $2; i++)); do printf '%s' "$kib" >"$1/f$i"; done
}
check_gone() {  # folder name
  if [ -n "$(ls -A "$1")" ]; then echo "files left behind by $2" >&2; exit 1; fi
}
turn() {  # round names...: the names, turned by one more place each round
  local r=$1
  shift
  local names=("$@")
  for ((k = 0; k < $#; k++)); do echo "${names[$(((r + k) % $#))]}"; done
}
names=(rm bare cut sqlite zapfile)
declare -A cmd=([rm]=rm [bare]="$work/bare_steps" [cut]="$work/cut_steps"
  [sqlite]="$work/bare_sqlite" [zapfile]="$zapfile")
declare -A label=([rm]="rm" [bare]="bare steps" [cut]="cut steps" [sqlite]="bare steps + SQLite"
  [zapfile]="zapfile")
# The median of each command's runs, into the array named $1.
medians() {
  local -n into=$1
  for name in "${names[@]}"; do into[$name]=$(median <<<"${runs[$name]}"); done
}
# The target line of a row: zapfile's figure against one yardstick's, and against rm's beside.
target() {  # array-name yardstick target
  local -n fig=$1
  local r
  r=$(ratio "${fig[zapfile]}" "${fig[$2]}")
  printf '  target zapfile <= %s x %s: %s (%s)' "$3" "${label[$2]}" "$r" "$(verdict "$r" "$3")"
  [ "$2" = rm ] || printf '; vs rm %s' "$(ratio "${fig[zapfile]}" "${fig[rm]}")"
  printf '\n\n'
}
# A table of one row per command: its figure (in UNIT after dividing by DIV) and ratios.
table() {  # array-name divisor unit format
  local -n fig=$1
  printf '  %-22s %12s %7s %7s %7s %8s\n' "" "" "vs rm" "bare" "cut" "+SQLite"
  for name in "${names[@]}"; do
    printf '  %-22s %9s %-2s %7s %7s %7s %8s\n' "${label[$name]}" "$(scaled "${fig[$name]}" "$2" "$4")" \
      "$3" "$(ratio "${fig[$name]}" "${fig[rm]}")" "$(ratio "${fig[$name]}" "${fig[bare]}")" \
      "$(ratio "${fig[$name]}" "${fig[cut]}")" "$(ratio "${fig[$name]}" "${fig[sqlite]}")"
  done
}

# ---- the machine ------------------------------------------------------------------------------
cpu=$(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)
printf 'Machine: %s, %s cores, %s MiB, Linux %s\n' "$cpu" "$(nproc)" \
  "$(awk '/MemTotal/ { printf "%d", $2 / 1024 }' /proc/meminfo)" "$(uname -r)"
printf 'Load average at start: %s\n\n' "$(cut -d' ' -f1-3 /proc/loadavg)"

# ---- command line, question off -----------------------------------------------------------------
export XDG_CONFIG_HOME="$work/config-quiet"
unset DISPLAY WAYLAND_DISPLAY
"$zapreg" add 'HKCU\Software\Zapfile' /v bAskUser /t REG_SZ /d 0 /f >/dev/null
export REGISTRY_DB="$XDG_CONFIG_HOME/zapfile/registry.db"

declare -A runs per_file
for ((r = 0; r < rounds; r++)); do
  for name in $(turn "$r" "${names[@]}"); do
    dir="$work/round"
    make_files "$dir" "$files"
    sync
    c=${cmd[$name]}
    start=$(now_ns)
    for ((i = 0; i < files; i++)); do $c "$dir/f$i"; done
    end=$(now_ns)
    check_gone "$dir" "$name"
    runs[$name]+="$(((end - start) / files)) "
  done
done
medians per_file
printf 'Command line, question off, a 1 KiB file, one process per file (median of %d rounds of %d)\n' \
  "$rounds" "$files"
table per_file 1e6 ms '%.3f'
target per_file sqlite 1.05

# ---- many paths in one call ---------------------------------------------------------------------
many=$((files * 10))
declare -A one_call
runs=()
for ((r = 0; r < rounds; r++)); do
  for name in $(turn "$r" "${names[@]}"); do
    dir="$work/many"
    make_files "$dir" "$many"
    sync
    paths=()
    for ((i = 0; i < many; i++)); do paths+=("$dir/f$i"); done
    c=${cmd[$name]}
    start=$(now_ns)
    $c "${paths[@]}"
    end=$(now_ns)
    check_gone "$dir" "$name"
    runs[$name]+="$((end - start)) "
  done
done
medians one_call
printf '%d paths in one call (median of %d rounds)\n' "$many" "$rounds"
table one_call 1e6 ms '%.1f'
target one_call cut 1.15

# ---- one big file ---------------------------------------------------------------------------------
declare -A big
runs=()
for ((r = 0; r < brounds; r++)); do
  for name in $(turn "$r" "${names[@]}"); do
    head -c $((big_mib * 1024 * 1024)) /dev/zero >"$work/big"
    sync
    start=$(now_ns)
    ${cmd[$name]} "$work/big"
    end=$(now_ns)
    [ ! -e "$work/big" ] || { echo "the big file was left by $name" >&2; exit 1; }
    runs[$name]+="$((end - start)) "
  done
done
medians big
printf 'One %d MiB file (median of %d rounds)\n' "$big_mib" "$brounds"
table big 1e6 ms '%.1f'
target big rm 1.0

# ---- peak memory -----------------------------------------------------------------------------------
declare -A peak
runs=()
for ((r = 0; r < rounds; r++)); do
  for name in $(turn "$r" "${names[@]}"); do
    printf '%s' "$kib" >"$work/one"
    runs[$name]+="$( { /usr/bin/time -f %M ${cmd[$name]} "$work/one" 2>&1 >/dev/null; } | tail -1) "
  done
done
medians peak
printf 'Peak memory of a one-file run, /usr/bin/time %%M (median of %d)\n' "$rounds"
table peak 1 kB '%d'
target peak sqlite 1.1

# ---- the registry ----------------------------------------------------------------------------------
# registry_ops.cpp, built over the stand-in by the build's CMake and, when Wine and mingw-w64 are
# there, for Windows, run under Wine in a prefix of its own, made here. The first run of each
# side fills the keys to enumerate, before it times anything.
cmake --build "$bin" --target registry_ops >"$work/registry_ops.log" 2>&1 ||
  { cat "$work/registry_ops.log" >&2; exit 1; }
reg_args=($((files * 20)) $((files * 2)) "$reg_values" $((reg_values * 10)))
sides=(standin)
# The Windows build is made whenever mingw-w64 is there, so that a run without Wine still
# finds a source that no longer builds for Windows.
if command -v x86_64-w64-mingw32-g++ >/dev/null; then
  x86_64-w64-mingw32-g++ -O2 -static -o "$work/registry_ops.exe" "$here/registry_ops.cpp"
fi
if [ "${ZAPFILE_BENCH_WINE:-1}" = 0 ]; then
  wine_is="left out (ZAPFILE_BENCH_WINE=0)"
elif ! command -v wine >/dev/null || [ ! -f "$work/registry_ops.exe" ]; then
  wine_is="left out: wine or x86_64-w64-mingw32-g++ is not installed"
else
  # No installer asking for Mono or Gecko, no menu entries for the desktop.
  wine_env=(WINEPREFIX="$work/wine" WINEARCH=win64 WINEDEBUG=-all
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
  mkdir -p "$work/wine"
  # One server for the whole run, ended at the exit, or a minute after its last client should
  # the script be killed.
  env "${wine_env[@]}" wineserver -p60
  timeout 180 env "${wine_env[@]}" wine wineboot -i >"$work/wineboot.log" 2>&1 ||
    { cat "$work/wineboot.log" >&2; echo "wineboot failed" >&2; exit 1; }
  wine_is="$(wine --version 2>/dev/null), the same source built with mingw-w64 (static)"
  sides+=(wine)
fi
reg_run() {  # side: the figures of one run
  case $1 in
  standin) XDG_CONFIG_HOME="$work/config-registry" "$bin/registry_ops" "${reg_args[@]}" ;;
  wine) env "${wine_env[@]}" wine "$work/registry_ops.exe" "${reg_args[@]}" | tr -d '\r' ;;
  esac
}
ops=(read write "enum $reg_values" "enum $((reg_values * 10))")
runs=()
for ((r = 0; r < reg_rounds; r++)); do
  for side in $(turn "$r" "${sides[@]}"); do
    figures=$(reg_run "$side")
    while read -r op a b; do
      if [ "$op" = enum ]; then runs["$side:enum $a"]+="$b "; else runs["$side:$op"]+="$a "; fi
    done <<<"$figures"
  done
done
declare -A reg
for side in "${sides[@]}"; do
  for op in "${ops[@]}"; do reg[$side:$op]=$(median <<<"${runs[$side:$op]}"); done
done
printf 'Registry, microseconds per operation in one process (median of %d runs of' "$reg_rounds"
printf ' %d reads, %d writes)\n' "${reg_args[0]}" "${reg_args[1]}"
printf '  Wine: %s\n' "$wine_is"
printf '  %-38s %10s %10s %10s\n' "" stand-in Wine "vs Wine"
declare -A oplabel=([read]="read: open + query + close, unchanged" [write]="write: RegSetValueExA, a new DWORD"
  ["enum $reg_values"]="enumeration step, $reg_values values"
  ["enum $((reg_values * 10))"]="enumeration step, $((reg_values * 10)) values")
wine_figure() {  # op: Wine's figure, or - when Wine was left out
  if [ -n "${reg[wine:$1]:-}" ]; then scaled "${reg[wine:$1]}" 1 '%.1f'; else echo -; fi
}
vs_wine() {  # op
  if [ -n "${reg[wine:$1]:-}" ]; then ratio "${reg[standin:$1]}" "${reg[wine:$1]}"; else echo -; fi
}
for op in "${ops[@]}"; do
  printf '  %-38s %10s %10s %10s\n' "${oplabel[$op]}" "$(scaled "${reg[standin:$op]}" 1 '%.1f')" \
    "$(wine_figure "$op")" "$(vs_wine "$op")"
done
# Linear: a step costs about as much in a key ten times the size (1.5 leaves room for a
# lookup in an index, whose cost grows with the logarithm of the key's size).
small="enum $reg_values" large="enum $((reg_values * 10))"
lin=$(ratio "${reg[standin:$large]}" "${reg[standin:$small]}")
lin_wine=-
[ -z "${reg[wine:$small]:-}" ] || lin_wine=$(ratio "${reg[wine:$large]}" "${reg[wine:$small]}")
printf '  %-38s %10s %10s\n' "a step's growth, key x 10" "$lin" "$lin_wine"
if [ -n "${reg[wine:read]:-}" ]; then
  rr=$(vs_wine read) e1=$(vs_wine "$small") e2=$(vs_wine "$large")
  printf '  target read <= 0.1 x Wine: %s (%s)\n' "$rr" "$(verdict "$rr" 0.1)"
  printf '  target enumeration step <= Wine: %s values %s (%s), %s values %s (%s)\n' \
    "$reg_values" "$e1" "$(verdict "$e1" 1)" $((reg_values * 10)) "$e2" "$(verdict "$e2" 1)"
else
  printf '  targets against Wine not measured: Wine %s\n' "$wine_is"
fi
printf '  target enumeration linear, step growth <= 1.5: %s (%s)\n' "$lin" "$(verdict "$lin" 1.5)"
printf '  writes: no target, shown beside Wine'"'"'s\n\n'

# ---- the registry: listing many values, many paths' memory ------------------------------------
# A listing takes each value once: 4 times the values must take about 4 times as long, not 16.
values=$((files * 200))
declare -A listed
runs=()
for count in $((values / 4)) "$values"; do
  export XDG_CONFIG_HOME="$work/config-$count"
  "$zapreg" add 'HKCU\Software\Big' /f >/dev/null
  REGISTRY_DB="$XDG_CONFIG_HOME/zapfile/registry.db" "$work/many_values" "$count"
  for ((r = 0; r < rounds; r++)); do
    start=$(now_ns)
    "$zapreg" query 'HKCU\Software\Big' >/dev/null
    runs[$count]+="$(($(now_ns) - start)) "
  done
  listed[$count]=$(median <<<"${runs[$count]}")
done
export XDG_CONFIG_HOME="$work/config-quiet"
growth=$(ratio "${listed[$values]}" "${listed[$((values / 4))]}")
printf 'zapfile-reg query of a key of many values (median of %d)\n' "$rounds"
printf '  %6d values %10s ms\n' $((values / 4)) "$(scaled "${listed[$((values / 4))]}" 1e6 '%.1f')"
printf '  %6d values %10s ms\n' "$values" "$(scaled "${listed[$values]}" 1e6 '%.1f')"
listed_s=$(scaled "${listed[$values]}" 1e9 '%.2f')
printf '  target %d values <= 1 s: %s s (%s); 4 x the values <= 5 x the time: %s (%s)\n\n' \
  "$values" "$listed_s" "$(verdict "$listed_s" 1)" "$growth" "$(verdict "$growth" 5)"

# Each path is a run of the program's entry, whose blocks go when it ends.
declare -A path_peak
runs=()
for count in 1 "$values"; do
  for ((r = 0; r < rounds; r++)); do
    dir="$work/paths"
    make_files "$dir" "$count"
    runs[$count]+="$( { /usr/bin/time -f %M "$zapfile" "$dir"/f* 2>&1 >/dev/null; } | tail -1) "
    check_gone "$dir" zapfile
  done
  path_peak[$count]=$(median <<<"${runs[$count]}")
done
per_path=$(awk -v a="${path_peak[$values]}" -v b="${path_peak[1]}" -v n="$values" \
  'BEGIN { printf "%d", (a - b) * 1024 / (n - 1) }')
printf 'Peak memory of zapfile with many paths in one call, /usr/bin/time %%M (median of %d)\n' "$rounds"
printf '  %6d path  %10s kB\n  %6d paths %10s kB\n' 1 "${path_peak[1]}" "$values" "${path_peak[$values]}"
printf '  target <= 100 bytes a path: %s (%s)\n\n' "$per_path" "$(verdict "$per_path" 100)"

# ---- the window -----------------------------------------------------------------------------------
source "$root/scripts/desktop.sh"
start_display "$work"
export NO_AT_BRIDGE=1
export XDG_CONFIG_HOME="$work/config-ask"
"$zapreg" add 'HKCU\Software\Zapfile' /v bAskUser /t REG_SZ /d 1 /f >/dev/null
start_wm "$work/home"

map() {  # name: microseconds until its window is mapped; stdin is no terminal
  case $1 in
  gtk) "$work/map_time" "Bare GTK" "$work/bare_gtk" </dev/null ;;
  main) "$work/map_time" "Ko Zapfile" "$zapfile" </dev/null ;;
  question)
    printf 'kept\n' >"$work/asked"
    "$work/map_time" "Cofirm" "$zapfile" "$work/asked" </dev/null
    ;;
  esac
}
windows=(gtk main question)
for name in "${windows[@]}"; do map "$name" >/dev/null; done  # caches warmed alike
declare -A mapped
runs=()
for ((r = 0; r < wrounds; r++)); do
  for name in $(turn "$r" "${windows[@]}"); do runs[$name]+="$(map "$name") "; done
done
for name in "${windows[@]}"; do mapped[$name]=$(median <<<"${runs[$name]}"); done
printf 'Window mapped under Xvfb and jwm, from the start (median of %d rounds)\n' "$wrounds"
printf '  %-30s %12s %11s\n' "" "" "vs bare GTK"
declare -A wlabel=([gtk]="bare GTK dialog" [main]="zapfile main window"
  [question]="zapfile question, no terminal")
for name in "${windows[@]}"; do
  printf '  %-30s %9s ms %11s\n' "${wlabel[$name]}" "$(scaled "${mapped[$name]}" 1e3 '%.1f')" \
    "$(ratio "${mapped[$name]}" "${mapped[gtk]}")"
done
w1=$(ratio "${mapped[main]}" "${mapped[gtk]}") w2=$(ratio "${mapped[question]}" "${mapped[gtk]}")
printf '  target each <= 1.2 x bare GTK: main window %s (%s), question %s (%s)\n\n' \
  "$w1" "$(verdict "$w1" 1.2)" "$w2" "$(verdict "$w2" 1.2)"

printf 'Load average at end: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
