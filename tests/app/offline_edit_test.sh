#!/usr/bin/env bash
# End to end, keyboard only, under Xvfb: the same key presses made in `trnsetup edit FILE` (then
# `trnsetup write FILE`) and in the wizard connected to the same simulated controller must leave
# the controller with the same 128 bytes, and those must differ from what it held.
# Usage: offline_edit_test.sh BIN_DIR      (exit 77: skipped, Xvfb or a tool is missing)
set -euo pipefail
bin=$1

if [ -z "${OFFLINE_EDIT_UNDER_XVFB:-}" ]; then
    for tool in xvfb-run Xvfb xdotool openbox; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"; exit 77; }
    done
    OFFLINE_EDIT_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$@"
fi

work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait; rm -rf "$work"' EXIT
# Real windows on the Xvfb display, whatever platform the test runner chose for its own tests.
export QT_QPA_PLATFORM=xcb
# A home of its own, and nothing of the user's environment that names a journal or a server.
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
    XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/run
unset TRNSETUP_HISTORY TRNSETUP_HISTORY_TIMEOUT $(compgen -e | grep '^PG' || true)
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
fail() { echo "FAIL: $*" >&2; exit 1; }

openbox >/dev/null 2>&1 & pids+=($!)

# A simulated controller on a pseudo-terminal; sets device to its path. Started in this shell,
# not in $(...), so that the exit trap knows it and stops it.
simulate() {
    "$bin/trnsim" --image "$1" >"$1.out" 2>&1 & pids+=($!)
    for _ in $(seq 100); do [ -s "$1.out" ] && { device=$(head -n 1 "$1.out"); return; }; sleep 0.05; done
    fail "trnsim did not start"
}
# Waits (10 s at most) for a visible window whose title matches.
window() {
    for _ in $(seq 400); do xdotool search --onlyvisible --name "$1" >/dev/null && return; sleep 0.025; done
    fail "no window '$1'"
}
keys() { sleep 0.3; xdotool key --delay 80 "$@"; }
# The edits, the same in both wizards: entering a page puts the focus on its first setting, so
# page 1's forward switch goes off and page 2's start-up delay one step on; then Finish.
edits() {
    keys Right
    keys alt+n Down
    keys alt+f
}

simulate "$work/unit.img"; unit=$device
"$bin/trnsetup" read --port "$unit" -o "$work/unit.trncfg" >/dev/null
cp "$work/unit.img" "$work/original.img"
cp "$work/unit.img" "$work/twin.img"

# Offline: edit the file, Finish saves it, OK closes the wizard.
start=$(date +%s%N)
"$bin/trnsetup" --language english edit "$work/unit.trncfg" & app=$! pids+=($!)
window "no controller connected"
echo "edit: page 1 shown $(( ($(date +%s%N) - start) / 1000000 )) ms after the start (xdotool's polling included)"
edits
window "no controller connected"
keys Return
wait "$app" || fail "trnsetup edit exited with $?"
"$bin/trnsetup" write "$work/unit.trncfg" --yes --port "$unit" || fail "trnsetup write failed"

# Connected: the warning's Yes, the same edits, then Yes to close after the write.
simulate "$work/twin.img"; twin=$device
"$bin/trnsetup" --language english --port "$twin" & app=$! pids+=($!)
window "Configurable Program"
keys alt+y
window "^Step 1 "
edits
sleep 1
keys alt+y
wait "$app" || fail "the connected wizard exited with $?"

cmp -s "$work/unit.img" "$work/original.img" && fail "the edits changed nothing"
cmp "$work/unit.img" "$work/twin.img" || fail "edit + write and the connected wizard wrote different bytes"
echo "PASS: edit + write and the connected wizard left the same image"
