#!/usr/bin/env bash
# Regenerates the screenshots of the README and the manuals from the real program, in both
# languages, under Xvfb with a window manager: the wizard's first page read from the simulated
# controller (docs/manual/<en|zh_CN>/page1.png, the README's docs/wizard-page1.png) and the
# offline editor on a configuration file (edit.png) and the journal's window over a few writes to
# a second simulated controller, two entries compared (history.png).
# BUILD_DIR chooses the build directory (default: build).
# shellcheck source=desktop-session.sh
. "$(dirname "$0")/desktop-session.sh"

# One language, inside the X server that xvfb-run started for it (see the end of this script).
if [ "${1:-}" = --inside ]; then
  language=$2 dir=$3 device=$4 work=$5
  pids=()
  cleanup() { for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
  trap cleanup EXIT
  start_window_manager
  pids+=("$wm")

  # The wizard: Yes to the motor warning, then page 1 once the controller is read.
  "$build/bin/trnsetup" --language "$language" --port "$device" >/dev/null 2>&1 &
  app=$!
  pids+=("$app")
  warning=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app" --class trnsetup | head -n1) || {
    echo "screenshots.sh: trnsetup showed no window ($language)" >&2
    exit 1
  }
  xdotool windowactivate --sync "$warning" 2>/dev/null || xdotool windowfocus --sync "$warning"
  xdotool key --clearmodifiers alt+y # Yes by its key: the default button follows the theme
  shoot "$app" '(Step|第) ?1' "docs/manual/$dir/page1.png"
  kill "$app"
  wait "$app" 2>/dev/null || true

  # The offline editor on a file read from the same controller.
  mkdir -p "$work/$dir"
  "$build/bin/trnsetup" read --language "$language" --port "$device" -o "$work/$dir/unit7.trncfg" \
    >/dev/null
  "$build/bin/trnsetup" --language "$language" edit "$work/$dir/unit7.trncfg" >/dev/null 2>&1 &
  app=$!
  pids+=("$app")
  shoot "$app" 'unit7' "docs/manual/$dir/edit.png"

  # The journal's window: the two newest entries but one selected, which compares them.
  "$build/bin/trnsetup" history --window --language "$language" >/dev/null 2>&1 &
  app=$!
  pids+=("$app")
  title='Journal of writes|写入日志'
  id=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app" --name "$title" | tail -n1) || {
    echo "screenshots.sh: no journal window ($language)" >&2
    exit 1
  }
  xdotool windowactivate --sync "$id" 2>/dev/null || true
  xdotool key --clearmodifiers Down shift+Down
  shoot "$app" "$title" "docs/manual/$dir/history.png"
  exit 0
fi

install_missing xvfb-run:xvfb openbox:openbox xdotool:xdotool import:imagemagick
build_program
begin_session
start_simulator controller

# The journal's entries: writes to a controller of its own, so that the first controller keeps
# the values the other pictures show; one refused (below what the page offers).
first=$device
start_simulator journalled
device2=$device device=$first
"$build/bin/trnsetup" read --port "$device2" -o "$work/journalled.trncfg" >/dev/null
for current in 90 80 70 10 85; do
  sed "s/^max_motor_current = .*/max_motor_current = $current%/" "$work/journalled.trncfg" \
    >"$work/written.trncfg"
  "$build/bin/trnsetup" write "$work/written.trncfg" --port "$device2" --yes >/dev/null 2>&1 || true
done

for pair in english:en chinese:zh_CN; do
  xvfb-run -a -s "-screen 0 1280x900x24" "$self" </dev/null --inside "${pair%%:*}" "${pair#*:}" "$device" "$work"
done
cp docs/manual/en/page1.png docs/wizard-page1.png
echo "Screenshots written: docs/wizard-page1.png, docs/manual/{en,zh_CN}/{page1,edit,history}.png"
