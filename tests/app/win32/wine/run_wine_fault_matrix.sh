#!/usr/bin/env bash
# The fault matrix under Wine: for each case, orvane-board (the Linux build's) serves the board
# with one fault behind COM7 of a Wine prefix, and the window test WineFaultMatrix.* of
# app_win32_tests.exe meets it and then downloads again in the same program. The modem-line shim lets
# DTR work on the pseudo-terminal.
#   run_wine_fault_matrix.sh <app_win32_tests.exe> <orvane-board> <work folder>
set -euo pipefail
exe="$1"
board="$2"
work="$(mkdir -p "$3" && cd "$3" && pwd)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../../../.." && pwd)"
export WINEPREFIX="$work/wineprefix"
export WINEDEBUG=-all
[ -x "$board" ] || { echo "no $board: build the linux preset first" >&2; exit 77; }

shim="$work/modem_lines_shim.so"
if [ ! -f "$shim" ] || [ "$root/tests/serial/wine/modem_lines_shim_posix.c" -nt "$shim" ]; then
  cc -shared -fPIC -O2 -o "$shim" "$root/tests/serial/wine/modem_lines_shim_posix.c" -ldl
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  if ! timeout 300 "$root/scripts/wine-run" cmd /c exit >/dev/null 2>&1; then
    timeout 30 wineserver -k 2>/dev/null || true
  fi
fi
mkdir -p "$WINEPREFIX/dosdevices"
link="$WINEPREFIX/dosdevices/com7"

board_pid=""
stop_board() {
  if [ -n "$board_pid" ]; then
    kill "$board_pid" 2>/dev/null || true
    wait "$board_pid" 2>/dev/null || true
    board_pid=""
  fi
  rm -f "$link"
}
cleanup() {
  # The Wine server holds the pty last; it goes before the board hangs up the line.
  timeout 30 wineserver -k 2>/dev/null || true
  stop_board
}
trap cleanup EXIT

check="Board can't initialized"
used=" already used by other application"
# name | board options | algorithm (rgDownloadAlg index) | the messages shown, split at ";"
# ("": none, and the progress window says "Downloading failure")
cases=(
  "silent at the handshake|--silent-after 0|0|$check"
  "wrong handshake answer|--wrong-answer-at 2|0|$check"
  "stray bytes before the handshake answer|--stray-before-at 2|0|$check"
  "silent after the command code|--silent-after 4|3|"
  "silent at the first page acknowledgement|--count-from command --silent-after 2|0|"
  "silent mid-transfer|--count-from command --silent-after 12|3|"
  "wrong echo|--count-from command --wrong-answer-at 8|3|"
  "stray bytes before an echo|--count-from command --stray-before-at 6|1|"
  "pulled out mid-transfer|--vanish-after-bytes 12 --replug|3|ReadFile function failed (win error code: 109)"
  "port held by another program|--hold|0|COM7$used;$check"
  "port absent|--absent|0|COM8$used;$check"
)

passed=0
failed=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name options algorithm message <<<"$entry"
  extra=()
  case "$options" in
    --hold) extra=(ORVANE_FAULT_HOLD=1); options="" ;;
    --absent) extra=(ORVANE_FAULT_PORT=COM8); options="" ;;
  esac
  # shellcheck disable=SC2086  # the options are words
  "$board" --link "$link" --fault-handshakes 1 --idle-reset-ms 200 --verbose $options >"$work/board.out" 2>&1 &
  board_pid=$!
  for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.05; done
  echo "== $name"
  if env ORVANE_FAULT_CASE="$name" ORVANE_FAULT_MESSAGE="$message" \
      ORVANE_FAULT_ALGORITHM="$algorithm" ORVANE_TEST_COM_PORT=COM7 "${extra[@]}" \
      LD_PRELOAD="$shim" timeout 120 "$root/scripts/wine-run" "$exe" \
      --gtest_filter='WineFaultMatrix.*' --gtest_color=no >"$work/case.log" 2>&1 \
      && grep -q '^\[  PASSED  \] 1 test' "$work/case.log"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    cat "$work/case.log"
    echo "-- the board's last bytes:"
    tail -25 "$work/board.out"
  fi
  stop_board
done
echo "fault matrix under Wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
