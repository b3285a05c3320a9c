#!/usr/bin/env bash
# Builds everything, starts the controller simulator on a pseudo-terminal and runs the
# wizard against it. Extra arguments go to trnsetup (for example --language chinese).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh

state=$(mktemp -d)
image="$state/controller.bin"
build/bin/trnsim --image "$image" >"$state/device" 2>"$state/trnsim.log" &
sim=$!
trap 'kill $sim 2>/dev/null || true; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$state/device" ] && break; sleep 0.1; done
device=$(head -n1 "$state/device")
[ -n "$device" ] || { echo "trnsim did not start:" >&2; cat "$state/trnsim.log" >&2; exit 1; }
echo "Simulated controller on $device (image file $image)"

if [ ! -x build/bin/trnsetup ]; then
  echo "trnsetup is not built yet; the simulator runs until you press Ctrl+C."
  wait $sim
  exit 0
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  build/bin/trnsetup --language english --port "$device" "$@"
  echo "The simulator's image file now holds:"
  od -A d -t x1 "$image"
  exit 0
fi

# Without a display nobody could answer the wizard: the workshop commands show the program at
# work instead, and a picture of the wizard's first page is taken in a display of its own.
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): showing the program without one."
run() {
  echo
  echo "\$ trnsetup $*"
  timeout 60 build/bin/trnsetup "$@"
}
read_file="$state/read.trncfg" changed="$state/changed.trncfg"
run read --port "$device" -o "$read_file"
run show "$read_file"
# One setting changed: the motor current, to 90% (80% when it is 90% already).
current=$(sed -n 's/^max_motor_current = \([0-9]*\)%.*/\1/p' "$read_file")
wanted=90
[ "$current" != 90 ] || wanted=80
sed "s/^max_motor_current = [0-9]*%/max_motor_current = ${wanted}%/" "$read_file" >"$changed"
run diff "$read_file" "$changed" || [ $? -eq 1 ]
run write "$changed" --port "$device" --yes
run read --port "$device" -o "$state/after.trncfg"
run diff "$changed" "$state/after.trncfg"
echo "The controller holds the changed setting."

picture="$state/wizard-page1.png"
echo
echo "Taking a picture of the wizard's first page in a display of its own (xvfb-run):"
if timeout 90 xvfb-run -a -s "-screen 0 1280x900x24" \
  scripts/screenshot.sh "$device" "$picture" --language english "$@" >/dev/null; then
  echo "Picture of page 1: $picture"
else
  echo "No picture: the wizard could not be shown in a display of its own." >&2
  exit 1
fi
