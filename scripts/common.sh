# Shared by scripts/run and scripts/test: install what is missing, then build what is out of date.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
# ccache, where the build uses it, hashes paths relative to the checkout: a second clone of the
# same sources (CI's fresh one) takes the objects the first one built.
export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1

ensure_deps() {
  bash "$ROOT/scripts/install-deps"
}

build_preset() {  # build_preset NAME [TARGET...]: every target when none is named
  local preset="$1" dir="$ROOT/build/$1"
  shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  # Configured again when the presets changed: a new cache variable is not picked up otherwise.
  if [ ! -f "$dir/build.ninja" ] || [ "$ROOT/CMakePresets.json" -nt "$dir/CMakeCache.txt" ]; then
    local launcher=()
    if command -v ccache >/dev/null; then
      launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    fi
    cmake --preset "$preset" "${launcher[@]}" >/dev/null
  fi
  cmake --build --preset "$preset" -j "$(nproc)" "${targets[@]}"
}

# Starts Xvfb on a display number that is free (it picks one itself and says which once it is
# ready); sets DISPLAY and XVFB_PID. Several checkouts and scripts can run side by side.
start_xvfb() {
  local number_file
  number_file="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" </dev/null >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$number_file" ]; then
    echo "Xvfb did not start within 10 s" >&2
    rm -f "$number_file"
    return 1
  fi
  export DISPLAY=":$(tr -dc 0-9 <"$number_file")"
  rm -f "$number_file"
}

# A virtual display for Wine's windows; one this script starts is ended when the script ends.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  start_xvfb
  ORVANE_XVFB_PID=$XVFB_PID
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
