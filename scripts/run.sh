#!/usr/bin/env bash
# Sets everything up, builds, and starts a full-screen run under Wine.
#  - With a working X display ($DISPLAY): runs on it until you press Escape.
#  - Without one: runs on a private Xvfb for a few seconds, saves a screenshot and
#    prints its path, ends the run with a real Escape key press and reports the exit code.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

scripts/setup.sh
scripts/build.sh >/dev/null

# What the platform starts for a full-screen run, and the renderer window it opens.
program=Glowmere.scr
args=(/s)
window_title=Lumadrift_VC

export LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

prepare_prefix() {
  if [ ! -d "$WINEPREFIX/drive_c" ]; then
    echo "run: creating the Wine prefix $WINEPREFIX (once)"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  mkdir -p "$WINEPREFIX/drive_c/Glowmere"
  cp build/win64/bin/Glowmere.* "$WINEPREFIX/drive_c/Glowmere/"
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export WINEPREFIX=${GLOWMERE_WINEPREFIX:-$HOME/.local/share/glowmere/wineprefix}
  prepare_prefix
  echo "run: $program${args[*]:+ ${args[*]}} on $DISPLAY; press Escape to end it"
  set +e
  (cd "$WINEPREFIX/drive_c/Glowmere" && wine "$program" "${args[@]}")
  code=$?
  set -e
  echo "run: exit code $code"
  exit $code
fi

# No display: a private X server on a free display number.
mkdir -p build/run
rm -f build/run/display
# Xvfb picks a free display number and writes it to fd 5 once it is ready.
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>build/run/display 2>build/run/xvfb.log &
xvfb_pid=$!
display_number=""
for _ in $(seq 1 200); do
  display_number=$(tr -d '[:space:]' <build/run/display 2>/dev/null || true)
  [ -n "$display_number" ] && break
  sleep 0.1
done
[ -n "$display_number" ] || { echo "run: Xvfb did not start"; cat build/run/xvfb.log; exit 1; }
export DISPLAY=":$display_number"
export WINEPREFIX=$top/build/run/wineprefix

cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

prepare_prefix
# Something on the desktop for the run to capture.
scripts/desktop_picture.sh build/run/desktop.png
display -window root build/run/desktop.png || true   # it paints the root, then exits with 1
echo "run: $program${args[*]:+ ${args[*]}} on a private X server $DISPLAY"
(cd "$WINEPREFIX/drive_c/Glowmere" && exec wine "$program" "${args[@]}") &
run_pid=$!

sleep 8
shot=$top/build/run/screenshot-$(date +%Y%m%d-%H%M%S).png
import -window root "$shot"
echo "run: screenshot saved to $shot"

xdotool search --sync --limit 1 --name "^${window_title}\$" windowfocus --sync >/dev/null 2>&1 || true
xdotool key Escape
code=""
for _ in $(seq 1 100); do
  if ! kill -0 "$run_pid" 2>/dev/null; then
    set +e; wait "$run_pid"; code=$?; set -e
    break
  fi
  sleep 0.1
done
if [ -z "$code" ]; then
  echo "run: the run did not end within 10 s of Escape"
  kill "$run_pid" 2>/dev/null || true
  exit 1
fi
echo "run: ended by Escape with exit code $code"
exit "$code"
