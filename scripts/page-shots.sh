#!/usr/bin/env bash
# Photographs every page of the wizard, read from the simulator, in both languages and three
# looks, under Xvfb with openbox: light (Fusion), dark (the GTK platform theme with a dark GTK
# theme) and at QT_SCALE_FACTOR=2 on a 1280x1024 screen. Into docs/manual/<en|zh_CN>/pages/
# as <look>-<page>.png. BUILD_DIR chooses the build directory (default: build).
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
build=${BUILD_DIR:-build}

if [ "${1:-}" = --inside ]; then
  language=$2 dir=$3 device=$4 look=$5
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 0.5
  env=()
  case "$look" in
    light) env=(QT_STYLE_OVERRIDE=Fusion) ;;
    dark) env=(QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark) ;;
    scale2) env=(QT_SCALE_FACTOR=2) ;;
  esac
  # A D-Bus session of its own: the GTK theme would otherwise start one that outlives the run.
  env "${env[@]}" dbus-run-session -- "$build/bin/trnsetup" --language "$language" --port "$device" >/dev/null 2>&1 &
  app=$!
  trap 'kill $app $wm 2>/dev/null || true' EXIT
  warning=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app" --class trnsetup | head -n1)
  xdotool windowactivate --sync "$warning" 2>/dev/null || xdotool windowfocus --sync "$warning"
  # Yes by its key: which button is the default follows the platform theme.
  xdotool key --clearmodifiers alt+y
  mkdir -p "docs/manual/$dir/pages"
  for page in 1 2 3 4 5 6 7; do
    shot=""
    for _ in 1 2 3; do # a window the theme replaces while it is found is searched again
      id=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app" --name "(Step|第) ?$page\\b" |
        tail -n1) || break
      xdotool windowactivate --sync "$id" 2>/dev/null || true
      sleep 0.8 # let it paint
      import -frame -window "$id" "docs/manual/$dir/pages/$look-$page.png" 2>/dev/null && shot=1 && break
    done
    [ -n "$shot" ] || { echo "page-shots.sh: no page $page ($language, $look)" >&2; exit 1; }
    [ "$page" = 7 ] || xdotool key --clearmodifiers alt+n
  done
  exit 0
fi

need=()
for tool in xvfb-run:xvfb openbox:openbox xdotool:xdotool import:imagemagick pngquant:pngquant \
  dbus-run-session:dbus; do
  command -v "${tool%%:*}" >/dev/null || need+=("${tool#*:}")
done
[ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platformthemes/libqgtk3.so ] ||
  need+=(qt6-gtk-platformtheme gnome-themes-extra)
if [ ${#need[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
fi
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j2 --target trnsetup trnsim english chinese translations >/dev/null

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

for pair in english:en chinese:zh_CN; do
  for look in ${LOOKS:-light dark scale2}; do
    screen=1280x900x24
    [ "$look" = scale2 ] && screen=1280x1024x24
    # A fresh window place each time: a size kept at one scale is not the next one's.
    rm -rf "$work/config"
    xvfb-run -a -s "-screen 0 $screen" "$self" </dev/null --inside "${pair%%:*}" "${pair#*:}" "$device" "$look"
  done
done
# Fewer colours, the same look: six pictures a page stay small in the repository.
pngquant --force --skip-if-larger --quality 80-95 --ext .png docs/manual/{en,zh_CN}/pages/*.png || true
echo "Pages photographed: docs/manual/{en,zh_CN}/pages/{light,dark,scale2}-{1..7}.png"
