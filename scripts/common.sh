# Shared by scripts/run and scripts/test: install what is missing, then build what is out of date.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

ensure_deps() {
  bash "$ROOT/scripts/install-deps"
}

build_preset() {  # build_preset NAME
  local preset="$1" dir="$ROOT/build/$1"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
  fi
  cmake --build --preset "$preset" -j "$(nproc)"
}

# A virtual display for Wine's windows; one this script starts is ended when the script ends.
# ORVANE_TEST_DISPLAY picks its number, so that several checkouts can test side by side.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  export DISPLAY="${ORVANE_TEST_DISPLAY:-:77}"
  if ! xdpyinfo >/dev/null 2>&1; then
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    ORVANE_XVFB_PID=$!
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
}

# Starts Wine's server and system programs for a prefix, detached from our output: a server or
# service that a test program starts would keep the test's output open after the test ended,
# and CTest (or whoever reads this script's output) would wait for it forever.
start_wine_session() {  # start_wine_session PREFIX
  WINEPREFIX="$1" "$ROOT/scripts/wine-run" wineboot </dev/null >/dev/null 2>&1 || true
  WINEPREFIX="$1" wineserver -p </dev/null >/dev/null 2>&1 || true
  ORVANE_WINE_PREFIXES+=("$1")
}

# Ends what this script started: the Wine servers (with their programs) and the display.
ORVANE_WINE_PREFIXES=()
end_background() {
  local prefix
  for prefix in "${ORVANE_WINE_PREFIXES[@]}"; do
    WINEPREFIX="$prefix" timeout 30 wineserver -k </dev/null >/dev/null 2>&1 || true
  done
  if [ -n "${ORVANE_XVFB_PID:-}" ]; then
    kill "$ORVANE_XVFB_PID" 2>/dev/null || true
  fi
}
trap end_background EXIT
