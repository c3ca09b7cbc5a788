# What every screenshot script does first, sourced with the name of the script's own Wine prefix
# (under build/): builds the Windows program (ORVANE_WINDOWS_BUILD names another build folder than
# build/windows), starts a virtual display, makes a scratch folder, has Wine draw the window frames
# itself (the display has no window manager), and ends all of it when the script ends.
# Sets build_dir, exe, out (build/screenshots, or screenshot_out when the script set it), work,
# app_pid (the script's program, ended at the end) and wait_for_window.
#   source "$(dirname "${BASH_SOURCE[0]}")/screenshot-prelude.sh" PREFIX_NAME
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_deps

build_dir="$ROOT/${ORVANE_WINDOWS_BUILD:-build/windows}"
if [ -z "${ORVANE_WINDOWS_BUILD:-}" ]; then
  build_preset windows
else
  cmake --build "$build_dir" --target OrvaneDownloader test_programs
fi
exe="$build_dir/OrvaneDownloader.exe"
out="${screenshot_out:-$ROOT/build/screenshots}"
mkdir -p "$out"

start_xvfb
xvfb_pid=$XVFB_PID
work="$(mktemp -d)"
app_pid=""
export WINEPREFIX="$ROOT/build/$1"
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$ROOT/scripts/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f \
  >/dev/null 2>&1

wait_for_window() {  # wait_for_window CAPTION [SECONDS]: prints the X window id
  local found=""
  for _ in $(seq $((${2:-30} * 10))); do
    found="$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -1 || true)"
    [ -n "$found" ] && break
    sleep 0.1
  done
  [ -n "$found" ] || { echo "$(basename "$0"): no window \"$1\" within ${2:-30} s" >&2; exit 1; }
  echo "$found"
}
