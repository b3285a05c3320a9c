#!/usr/bin/env bash
# Saves a picture of the wizard's first page: run inside an X display without a user, such as
# the one xvfb-run makes. Starts a window manager (openbox, when installed) so that windows
# get the keyboard, starts trnsetup against DEVICE, answers the motor warning with Enter (Yes),
# waits for page 1, saves the screen to PNG and closes the wizard with Escape.
#
#   xvfb-run -a -s "-screen 0 1280x900x24" scripts/screenshot.sh DEVICE PNG [trnsetup options]
#
# BUILD_DIR chooses the build directory (default: build). Exits 1 when no picture was made.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 2 ] || { echo "usage: screenshot.sh DEVICE PNG [trnsetup options]" >&2; exit 2; }
device=$1 png=$2
shift 2
build=${BUILD_DIR:-build}
for tool in xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is not installed" >&2; exit 1; }
done

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.5
fi
"$build/bin/trnsetup" --port "$device" "$@" &
wizard=$!
pids+=("$wizard")

# The warning comes first; the wizard's window is titled with its step once page 1 is shown.
warning=$(timeout 20 xdotool search --sync --onlyvisible --pid "$wizard" --class trnsetup | head -n1) || {
  echo "screenshot.sh: trnsetup showed no window" >&2; exit 1; }
xdotool windowactivate --sync "$warning" 2>/dev/null || xdotool windowfocus --sync "$warning"
xdotool key --clearmodifiers Return
page=$(timeout 20 xdotool search --sync --onlyvisible --pid "$wizard" --name '(Step|第) ?1' | head -n1) || {
  echo "screenshot.sh: the wizard did not reach page 1" >&2; exit 1; }
sleep 1  # let it paint
import -window root "$png"
xdotool windowactivate --sync "$page" 2>/dev/null || xdotool windowfocus --sync "$page"
xdotool key --clearmodifiers Escape
timeout 10 tail --pid="$wizard" -f /dev/null || true
echo "$png"
