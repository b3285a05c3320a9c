#!/usr/bin/env bash
# Takes the manuals' picture of trnsetup station (docs/manual/<en|zh_CN>/station.png) from the
# real program under Xvfb with a window manager: four simulated controllers linked into a
# watched folder, two written and verified, one of another model refused, one that stops
# answering mid-write. BUILD_DIR chooses the build directory (default: build).
# shellcheck source=desktop-session.sh
. "$(dirname "$0")/desktop-session.sh"

if [ "${1:-}" = --inside ]; then
  language=$2 dir=$3 work=$4
  pids=()
  cleanup() { for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
  trap cleanup EXIT
  start_window_manager
  pids+=("$wm")
  ports=$work/$dir/ports
  mkdir -p "$ports"
  "$build/bin/trnsetup" station "$work/line.trncfg" --language "$language" --port-folder "$ports" \
    --report "$work/$dir/reports" >/dev/null 2>&1 &
  app=$!
  pids+=("$app")
  sleep 2
  for unit in a:a1 b:b2 c:c3 d:d4; do
    name=${unit%%:*}
    cp "$work/$name.bin" "$work/$dir/$name.bin"
    faults=()
    [ "$name" = d ] && faults=(--drop-after 13)
    "$build/bin/trnsim" --image "$work/$dir/$name.bin" --link "$ports/$name" "${faults[@]}" \
      >/dev/null 2>>"$work/trnsim.log" &
    pids+=("$!")
  done
  sleep 8 # every unit handled
  shoot "$app" 'Production line|生产线' "docs/manual/$dir/station.png"
  exit 0
fi

install_missing xvfb-run:xvfb openbox:openbox xdotool:xdotool import:imagemagick
build_program
begin_session
# The images: the sample controller with serials of their own, c of another model.
start_simulator sample
"$build/bin/trnsetup" read --port "$device" -o "$work/line.trncfg" >/dev/null
sed -i "s/^max_motor_current = .*/max_motor_current = 85%/" "$work/line.trncfg"
python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
image = bytearray(open(f"{work}/sample.bin", "rb").read())
for name, serial in (("a", 0xA1), ("b", 0xB2), ("c", 0xC3), ("d", 0xD4)):
    unit = bytearray(image)
    unit[79] = serial  # the serial's last byte (fields 76..79)
    if name == "c":
        unit[64:72] = b"TRN48200"  # the model's 8 characters
    open(f"{work}/{name}.bin", "wb").write(unit)
PY
for pair in english:en chinese:zh_CN; do
  xvfb-run -a -s "-screen 0 1280x900x24" "$self" </dev/null --inside "${pair%%:*}" "${pair#*:}" "$work"
done
echo "Screenshots written: docs/manual/{en,zh_CN}/station.png"
