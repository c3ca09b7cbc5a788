#!/usr/bin/env bash
# Runs the Win32 line tests of serial_tests.exe under Wine against a real line: a pseudo-terminal
# linked as COM7 in a Wine prefix of its own, an echoing peer on the other side (socat), and the
# modem-line shim preloaded so that DTR and the modem status work on the pty.
#   run_wine_line_tests.sh <serial_tests.exe> <work folder>
set -euo pipefail
exe="$1"
work="$(mkdir -p "$2" && cd "$2" && pwd)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
export WINEPREFIX="$work/wineprefix"
export WINEDEBUG=-all

# The shim is built for the host, with the host's C compiler.
shim="$work/modem_lines_shim.so"
if [ ! -f "$shim" ] || [ "$here/modem_lines_shim_posix.c" -nt "$shim" ]; then
  cc -shared -fPIC -O2 -o "$shim" "$here/modem_lines_shim_posix.c" -ldl
fi

# A prefix of our own: the tests change its port links and its registry list of ports.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  if ! timeout 300 "$root/scripts/wine-run" cmd /c exit >/dev/null 2>&1; then
    timeout 30 wineserver -k 2>/dev/null || true  # only this prefix's server and programs
  fi
fi
command -v socat >/dev/null || { echo "socat is missing (scripts/install-deps)" >&2; exit 1; }
mkdir -p "$WINEPREFIX/dosdevices"
link="$WINEPREFIX/dosdevices/com7"
rm -f "$link"

socat_pid=""
cleanup() {
  # The Wine server holds the pty last; it must be gone before the peer hangs up the line, or the
  # hang-up reaches it as a signal.
  timeout 30 wineserver -k 2>/dev/null || true
  if [ -n "$socat_pid" ]; then
    kill "$socat_pid" 2>/dev/null || true
    wait "$socat_pid" 2>/dev/null || true
  fi
  rm -f "$link"
}
trap cleanup EXIT

# The peer echoes every byte back, as a loop-back plug would.
socat "PTY,raw,echo=0,link=$link" PIPE &
socat_pid=$!
for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.05; done
[ -e "$link" ] || { echo "socat made no pty" >&2; exit 1; }

ORVANE_TEST_COM_PORT=COM7 LD_PRELOAD="$shim" timeout 300 \
  "$root/scripts/wine-run" "$exe" --gtest_filter='Win32LineTest.*' --gtest_color=no
