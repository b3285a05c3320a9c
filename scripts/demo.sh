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
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running the wizard under Xvfb (xvfb-run)."
  xvfb-run -a build/bin/trnsetup --language english --port "$device" "$@"
else
  build/bin/trnsetup --language english --port "$device" "$@"
fi
echo "The simulator's image file now holds:"
od -A d -t x1 "$image"
