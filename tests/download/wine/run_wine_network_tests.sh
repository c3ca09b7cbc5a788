#!/usr/bin/env bash
# orvane.exe under Wine (Winsock) against boards over the network: orvane-board of the Linux build
# on a pseudo-terminal behind ser2net (with the modem-line shim, so the DTR pulse reaches the
# board), on a free loopback port. Downloads with each algorithm (the board's memory must equal the
# image), a test program, a server that cannot be reached, and one killed mid-download. With
# app_win32_tests.exe, the window too: WineNetworkBoard.* downloads to the address typed into its port box.
#   run_wine_network_tests.sh <orvane.exe> <orvane-board> <work folder> [<app_win32_tests.exe>]
set -euo pipefail
exe="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
board="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
work="$(mkdir -p "$3" && cd "$3" && pwd)"
window_tests="${4:-}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
export WINEPREFIX="$work/wineprefix"
export WINEDEBUG=-all
[ -x "$board" ] || { echo "no $board: build the linux preset first" >&2; exit 77; }
command -v ser2net >/dev/null || [ -x /usr/sbin/ser2net ] || { echo "ser2net is missing (scripts/install-deps)" >&2; exit 1; }
ser2net_bin="$(command -v ser2net || echo /usr/sbin/ser2net)"

shim="$work/modem_lines_shim.so"
if [ ! -f "$shim" ] || [ "$root/tests/serial/wine/modem_lines_shim_posix.c" -nt "$shim" ]; then
  cc -shared -fPIC -O2 -o "$shim" "$root/tests/serial/wine/modem_lines_shim_posix.c" -ldl
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  if ! timeout 300 "$root/scripts/wine-run" cmd /c exit >/dev/null 2>&1; then
    timeout 30 wineserver -k 2>/dev/null || true
  fi
fi

board_pid=""
server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then
    kill -KILL "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
  fi
}
stop_board() {
  stop_server
  if [ -n "$board_pid" ]; then
    kill "$board_pid" 2>/dev/null || true  # SIGTERM: it writes its dump
    wait "$board_pid" 2>/dev/null || true
    board_pid=""
  fi
}
cleanup() {
  timeout 30 wineserver -k 2>/dev/null || true
  stop_board
}
trap cleanup EXIT

port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
name="rfc2217://127.0.0.1:$port"

start_server() {
  cat >"$work/ser2net.yaml" <<YAML
connection: &board
  accepter: telnet(rfc2217),tcp,127.0.0.1,$port
  connector: serialdev,$work/board,57600n81,local
  options: {chardelay: false, kickolduser: true}
YAML
  LD_PRELOAD="$shim" "$ser2net_bin" -n -c "$work/ser2net.yaml" </dev/null >/dev/null 2>&1 &
  server_pid=$!
  for _ in $(seq 200); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && { sleep 0.1; return 0; }
    sleep 0.025
  done
  echo "ser2net did not start" >&2
  return 1
}
start_board() {
  rm -f "$work/board" "$work/memory.bin"
  "$board" --link "$work/board" --dump "$work/memory.bin" >"$work/board.out" &
  board_pid=$!
  for _ in $(seq 200); do [ -e "$work/board" ] && break; sleep 0.025; done
  start_server
}
run() {  # run <expected status> <args...>: orvane.exe's output in $out and $err
  local expected="$1"
  shift
  local status=0
  out="$(timeout 120 "$root/scripts/wine-run" "$exe" "$@" 2>"$work/err")" || status=$?
  err="$(tr -d '\r' <"$work/err")"
  out="$(printf '%s' "$out" | tr -d '\r')"
  if [ "$status" != "$expected" ]; then
    echo "FAIL: orvane $* exited with $status (expected $expected): $out $err" >&2
    failures=$((failures + 1))
    return 1
  fi
}
expect() {  # expect <what> <actual> <expected>
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: got [$2], expected [$3]" >&2
    failures=$((failures + 1))
  else
    echo "ok: $1"
  fi
}

failures=0
hex="$root/tests/data/hex/objcopy-3000.hex"
image="$root/tests/data/hex/random-3000.bin"
for algorithm in page page-verified byte byte-verified; do
  start_board
  if run 0 download "$(winepath -w "$hex" 2>/dev/null)" --algorithm "$algorithm" --port "$name"; then
    expect "download ($algorithm) says" "$out" "Downloading succeded"
  fi
  stop_board
  expect "download ($algorithm) memory" "$(cmp -n 3000 "$work/memory.bin" "$image" && echo same)" same
done

if [ -n "$window_tests" ]; then
  start_board
  if ORVANE_NETWORK_BOARD="$name" ORVANE_NETWORK_HEX="$hex" timeout 120 "$root/scripts/wine-run" \
      "$window_tests" --gtest_filter='WineNetworkBoard.*' --gtest_color=no >"$work/window.log" 2>&1 \
      && grep -q '^\[  PASSED  \] 1 test' "$work/window.log"; then
    echo "ok: the window's download to the typed address"
  else
    echo "FAIL: the window's download to the typed address" >&2
    cat "$work/window.log" >&2
    failures=$((failures + 1))
  fi
  stop_board
  expect "the window's download: memory" "$(cmp -n 3000 "$work/memory.bin" "$image" && echo same)" same
fi

# The test programs lie beside the program, and a test finds its program in the current folder.
cd "$(dirname "$exe")"
start_board
if run 0 --port "$name" test serial; then
  expect "test serial" "$(printf '%s' "$out" | tail -1)" "Serial testing done"
fi

# Killed once the transfer is under way: a clear failure within the read time-out and a second.
(
  status=0
  timeout 120 "$root/scripts/wine-run" "$exe" download "$(winepath -w "$root/tests/data/hex/objcopy-8192.hex" 2>/dev/null)" \
    --algorithm byte-verified --port "$name" >"$work/killed.out" 2>"$work/killed.err" || status=$?
  echo "$status" >"$work/killed.status"
) &
runner=$!
for _ in $(seq 400); do
  written="$(sed -n 's/^wchar: //p' "/proc/$server_pid/io" 2>/dev/null || echo 0)"
  [ "${written:-0}" -ge 4000 ] && break
  sleep 0.025
done
stop_server
killed_at="$(date +%s%N)"
wait "$runner" || true
took_ms=$(( ($(date +%s%N) - killed_at) / 1000000 ))
expect "killed server: status" "$(cat "$work/killed.status")" 1
expect "killed server: message" "$(tr -d '\r' <"$work/killed.err" | head -c 24)" "ReadFile function failed"
# The bound follows the code's time-outs, as the Linux test's does: the transfer's longest read
# time-out, one command's wait for an answer as the port closes, and a second for the process.
constant_ms() {  # constant_ms NAME HEADER: the number the header gives NAME
  sed -n "s/.*constexpr.* $1[^0-9]*\([0-9][0-9]*\).*/\1/p" "$root/$2" | head -1
}
echo_ms="$(constant_ms kTransferEchoTimeoutMs board/board_protocol.h)"
ack_ms="$(constant_ms kPageAcknowledgeTimeoutMs board/board_protocol.h)"
answer_ms="$(constant_ms kNetworkAnswerWait serial/network_device.h)"
expect "killed server: time-outs read from the headers" \
  "$([ -n "$echo_ms" ] && [ -n "$ack_ms" ] && [ -n "$answer_ms" ] && echo yes)" yes
bound_ms=$(( (${echo_ms:-0} > ${ack_ms:-0} ? ${echo_ms:-0} : ${ack_ms:-0}) + ${answer_ms:-0} + 1000 ))
echo "killed server: ended $took_ms ms after the kill (bound $bound_ms ms)"
expect "killed server: within the time-outs" \
  "$([ "$took_ms" -lt "$bound_ms" ] && echo yes || echo "no ($took_ms ms)")" yes
start_server
if run 0 --port "$name" selftest; then
  expect "selftest after the restart" "$(printf '%s' "$out" | tail -1)" "Selftest completed"
fi
stop_board

# Nobody listens: the message of a port that cannot be opened, and the hint.
if run 1 --port "$name" selftest; then :; fi
expect "unreachable: message" "$(printf '%s' "$err" | head -1)" "$name already used by other application"
expect "unreachable: hint" "$(printf '%s' "$err" | grep -c '^hint: no network serial server answered at 127.0.0.1')" 1

echo "wine network: $failures failed"
[ "$failures" -eq 0 ]
