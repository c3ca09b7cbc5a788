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

# A virtual display for Wine's windows; started once and reused.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  export DISPLAY=:77
  if ! xdpyinfo >/dev/null 2>&1; then
    (Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &)
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
}
