#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz, with clang 14) and runs them.
#
#   scripts/fuzz.sh TARGET MINUTES   one target for that long: resources, thunar_uca,
#                                    zapfile_reg or open_file_list
#   scripts/fuzz.sh --ci             every target for 30 s, from a fixed seed
#
# Each run first replays the inputs that once made the target fail (tests/fuzz/regressions),
# then fuzzes from its seeds (tests/fuzz/corpus) and what earlier runs found
# (build-fuzz/corpus). An input that makes it fail is written to build-fuzz/crashes/TARGET/
# and the script fails; keep it in tests/fuzz/regressions/TARGET once the fault is mended.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(resources thunar_uca zapfile_reg open_file_list)
usage() { echo "usage: scripts/fuzz.sh TARGET MINUTES | --ci   (TARGET: ${targets[*]})" >&2; exit 2; }

run() {  # TARGET SECONDS [libFuzzer options...]
  local name=$1 seconds=$2
  shift 2
  local bin=build-fuzz/fuzz_$name work=build-fuzz/corpus/$name crashes=build-fuzz/crashes/$name
  mkdir -p "$work" "$crashes"
  local regressions=(tests/fuzz/regressions/"$name"/*)
  if [ -e "${regressions[0]}" ]; then
    "$bin" "${regressions[@]}" 2>"$crashes/regressions.log" ||
      { cat "$crashes/regressions.log" >&2; echo "fuzz: $name fails on a kept input" >&2; return 1; }
  fi
  "$bin" "$work" "tests/fuzz/corpus/$name" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$crashes/" -print_final_stats=1 "$@" 2>"$crashes/run.log" ||
    { tail -n 60 "$crashes/run.log" >&2; echo "fuzz: $name failed; the input is in $crashes/" >&2; return 1; }
  echo "fuzz: $name: $(grep -o 'number_of_executed_units: [0-9]*' "$crashes/run.log" | grep -o '[0-9]*$') runs in $seconds s, no failure"
}

case "${1:-}" in
--ci) [ $# -eq 1 ] || usage ;;
*) [ $# -eq 2 ] && [[ " ${targets[*]} " == *" $1 "* ]] && [[ $2 =~ ^[0-9]+$ ]] || usage ;;
esac

scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
if [ -x /usr/lib/llvm-14/bin/llvm-symbolizer ]; then
  export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
fi
export UBSAN_OPTIONS=print_stacktrace=1

if [ "$1" = --ci ]; then
  for name in "${targets[@]}"; do
    run "$name" 30 -seed=1
  done
else
  run "$1" $(($2 * 60))
fi
