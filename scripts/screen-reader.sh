#!/usr/bin/env bash
# Hears the wizard as a screen reader does: trnsetup on a simulated controller, in both
# languages, under Xvfb with openbox and a D-Bus session of its own with the accessibility bus;
# scripts/screen-reader.py walks every page and prints each setting control's name and range.
# Exits 1 when a control has no name, two share one, or an option does not name its setting.
# BUILD_DIR chooses the build directory (default: build).
# shellcheck source=desktop-session.sh
. "$(dirname "$0")/desktop-session.sh"

if [ "${1:-}" = --inside ]; then
  language=$2 device=$3
  start_window_manager
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$build/bin/trnsetup" --language "$language" \
    --port "$device" >/dev/null 2>&1 &
  app=$!
  status=0
  /usr/bin/python3 scripts/screen-reader.py 7 || status=$?
  kill "$app" "$wm" 2>/dev/null || true
  wait 2>/dev/null || true
  exit "$status"
fi

install_missing xvfb-run:xvfb openbox:openbox dbus-run-session:dbus at-spi-bus-launcher:at-spi2-core \
  "$(/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
    echo =gir1.2-atspi-2.0)"
build_program
begin_session
start_simulator controller

status=0
for language in english chinese; do
  echo "== $language"
  xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$self" --inside "$language" "$device" ||
    status=1
done
exit "$status"
