# tests/windows/common.sh
# What the scripts that check a program for Windows share, sourced once they have set
# case_name, scratch (a folder of the case's own, made afresh here) and, to drive the program
# under Wine (in a Wine world: wine-world.sh run), wintest.

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }  # Wine's drive Z: is the root
# wintest.exe answers the program's windows from inside Wine; see tests/windows/wintest.cpp.
window() { timeout 40 wine "$wintest" "$@" || fail "wintest $*"; }
window_text() { timeout 40 wine "$wintest" "$1" text "${2:-65535}" | tr -d '\r'; }  # 65535: a box's text

# The program runs in the background, in the scratch folder, its output in $scratch.out, while
# its windows are answered; a window left unanswered keeps it running until the bound, and
# finish reports that.
start() {
  (cd "$scratch" && exec timeout 60 wine "$@" >"$scratch.out") &
  started=$! started_args="$*"
}
finish() {
  local status=0
  wait "$started" || status=$?
  [ "$status" -eq 0 ] || fail "$started_args ended with $status"
}
# zap EXE FILE: EXE zaps FILE without a question (no window may wait), and FILE is gone.
zap() {
  timeout 20 wine "$1" "$(winpath "$2")" ||
    fail "${1##*/} ended with $? on $2 (124: a window waited)"
  [ ! -e "$2" ] || fail "${1##*/} left $2"
}
# error_box WHAT: the error box shows "Couldn't delete file." and a reason, and closes with OK;
# the reason is left in $reason.
error_box() {
  local text
  text=$(window_text Error.) || fail "no error box for $1"
  reason=${text#"Couldn't delete file."$'\n\n'}
  [ "$reason" != "$text" ] && [ -n "$reason" ] || fail "error box says \"$text\" for $1"
  window Error. click 1  # IDOK
}
passed() {
  rm -rf "$scratch" "$scratch.out"
  [ "$failures" -eq 0 ] || { echo "$case_name: $failures failure(s)" >&2; exit 1; }
  echo "$case_name: passed"
}

rm -rf "$scratch"
mkdir -p "$scratch"
