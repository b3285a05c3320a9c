#!/usr/bin/env bash
# Photographs every page of the wizard, read from the simulator, in both languages and three
# looks, under Xvfb with openbox: light (Fusion), dark (the GTK platform theme with a dark GTK
# theme) and at QT_SCALE_FACTOR=2 on a 1280x1024 screen. Into docs/manual/<en|zh_CN>/pages/
# as <look>-<page>.png. BUILD_DIR chooses the build directory (default: build).
# shellcheck source=desktop-session.sh
. "$(dirname "$0")/desktop-session.sh"

if [ "${1:-}" = --inside ]; then
  language=$2 dir=$3 device=$4 look=$5
  start_window_manager
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
    shoot "$app" "(Step|第) ?$page\\b" "docs/manual/$dir/pages/$look-$page.png" ||
      { echo "($language, $look)" >&2; exit 1; }
    [ "$page" = 7 ] || xdotool key --clearmodifiers alt+n
  done
  exit 0
fi

plugin=/usr/lib/x86_64-linux-gnu/qt6/plugins/platformthemes/libqgtk3.so
install_missing xvfb-run:xvfb openbox:openbox xdotool:xdotool import:imagemagick pngquant:pngquant \
  dbus-run-session:dbus "$([ -e $plugin ] || echo =qt6-gtk-platformtheme)" \
  "$([ -e $plugin ] || echo =gnome-themes-extra)"
build_program
begin_session
start_simulator controller

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
