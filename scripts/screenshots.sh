#!/usr/bin/env bash
# Regenerates the screenshots of the README and the manuals from the real program, in both
# languages, under Xvfb with a window manager: the wizard's first page read from the simulated
# controller (docs/manual/<en|zh_CN>/page1.png, the README's docs/wizard-page1.png) and the
# offline editor on a configuration file (edit.png).
# BUILD_DIR chooses the build directory (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

need=()
for tool in xvfb-run:xvfb openbox:openbox xdotool:xdotool import:imagemagick; do
  command -v "${tool%%:*}" >/dev/null || need+=("${tool#*:}")
done
if [ ${#need[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
fi
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target trnsetup trnsim english chinese translations

work=$(mktemp -d)
sim=""
cleanup() {
  [ -z "$sim" ] || kill "$sim" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# One language inside an X server that xvfb-run started: the caller exports DISPLAY.
shoot() {
  local language=$1 dir=$2 device=$3
  openbox >/dev/null 2>&1 &
  local wm=$!
  sleep 0.5
  # The wizard: Yes to the motor warning, then page 1 once the controller is read.
  "$build/bin/trnsetup" --language "$language" --port "$device" >/dev/null 2>&1 &
  local app=$!
  window_named() {
    for _ in $(seq 100); do
      xdotool search --onlyvisible --pid "$app" 2>/dev/null | tail -n 1 && return 0
      sleep 0.1
    done
    return 1
  }
  local id
  id=$(window_named) # the warning
  xdotool windowactivate --sync "$id" key Return
  sleep 1.5
  id=$(window_named)
  xdotool windowactivate --sync "$id"
  sleep 0.5
  import -frame -window "$id" "docs/manual/$dir/page1.png"
  kill "$app"
  wait "$app" 2>/dev/null || true

  # The offline editor on a file read from the same controller.
  "$build/bin/trnsetup" read --language "$language" --port "$device" -o "$work/unit.trncfg" \
    >/dev/null
  "$build/bin/trnsetup" edit "$work/unit.trncfg" --language "$language" >/dev/null 2>&1 &
  app=$!
  id=$(window_named)
  xdotool windowactivate --sync "$id"
  sleep 1
  import -frame -window "$id" "docs/manual/$dir/edit.png"
  kill "$app" "$wm"
  wait "$app" "$wm" 2>/dev/null || true
}

"$build/bin/trnsim" --image "$work/controller.bin" >"$work/device" 2>"$work/trnsim.log" &
sim=$!
for _ in $(seq 50); do [ -s "$work/device" ] && break; sleep 0.1; done
device=$(head -n1 "$work/device")
[ -n "$device" ] || { echo "trnsim did not start:" >&2; cat "$work/trnsim.log" >&2; exit 1; }

export -f shoot
export build work
for pair in english:en chinese:zh_CN; do
  xvfb-run -a -s "-screen 0 1280x900x24" bash -c "shoot ${pair%%:*} ${pair#*:} $device"
done
cp docs/manual/en/page1.png docs/wizard-page1.png
echo "Screenshots written: docs/wizard-page1.png, docs/manual/{en,zh_CN}/{page1,edit}.png"
