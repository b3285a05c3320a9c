#!/usr/bin/env bash
# Hears the wizard as a screen reader does: trnsetup on a simulated controller, in both
# languages, under Xvfb with openbox and a D-Bus session of its own with the accessibility bus;
# scripts/screen-reader.py walks every page and prints each setting control's name and range.
# Exits 1 when a control has no name, two share one, or an option does not name its setting.
# BUILD_DIR chooses the build directory (default: build).
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
build=${BUILD_DIR:-build}

if [ "${1:-}" = --inside ]; then
  language=$2 device=$3
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 0.5
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$build/bin/trnsetup" --language "$language" \
    --port "$device" >/dev/null 2>&1 &
  app=$!
  status=0
  /usr/bin/python3 scripts/screen-reader.py 7 || status=$?
  kill "$app" "$wm" 2>/dev/null || true
  wait 2>/dev/null || true
  exit "$status"
fi

need=()
for tool in xvfb-run:xvfb openbox:openbox dbus-run-session:dbus at-spi-bus-launcher:at-spi2-core; do
  command -v "${tool%%:*}" >/dev/null || [ -x "/usr/libexec/${tool%%:*}" ] || need+=("${tool#*:}")
done
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
  need+=(python3-gi gir1.2-atspi-2.0)
if [ ${#need[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
fi
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j2 --target trnsetup trnsim english chinese translations

work=$(mktemp -d)
sim=""
cleanup() {
  [ -z "$sim" ] || kill "$sim" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
unset TRNSETUP_HISTORY
"$build/bin/trnsim" --image "$work/controller.bin" >"$work/device" 2>"$work/trnsim.log" &
sim=$!
for _ in $(seq 50); do [ -s "$work/device" ] && break; sleep 0.1; done
device=$(head -n1 "$work/device")
[ -n "$device" ] || { echo "trnsim did not start:" >&2; cat "$work/trnsim.log" >&2; exit 1; }

status=0
for language in english chinese; do
  echo "== $language"
  xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$self" --inside "$language" "$device" ||
    status=1
done
exit "$status"
