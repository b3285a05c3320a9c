#!/usr/bin/env bash
# Times the real program against simulated controllers on pseudo-terminals: the search with
# one and with four silent ports before the controller (from the warning's Yes to page 1), the
# write, the longest pause of the GUI thread while the link works, the longest page change and
# resize of the window, and `trnsetup write` to a
# batch of eight paced simulators against one, with the ratio of the two; the station from a
# unit linked in to its tile's outcome, and eight linked in at once against one; then the shared
# history and the journal's window over 100,000 entries (scripts/bench-history.sh).
# Usage: scripts/bench.sh [BUILD_DIR]   (default: build)
# pipefail: a failing benchmark fails the script, although its output goes through grep.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$here/$build ;; esac
cmake --build "$build" --target app_tests >/dev/null
tests=$(find "$build" -name app_tests -type f -perm -u+x | head -n 1)
[ -n "$tests" ] || { echo "bench: no app_tests in $build" >&2; exit 1; }
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$tests" --gtest_also_run_disabled_tests \
    --gtest_filter='Bench.*:Station.*' 2>/dev/null | { grep -v '^\[' || true; }
# The shared history on a throw-away PostgreSQL server, beside the station's own journal.
"$here/scripts/bench-history.sh" "$build"

# The file commands start no GUI: `show` and `diff` as whole processes against `--help`, the
# median of 21 runs of each.
bin=$build/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/trnsim" --image "$work/sim.img" >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 50); do grep -q '/dev/' "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
device=$(grep -o '/dev/[^ ]*' "$work/sim.out" | head -n 1)
XDG_DATA_HOME=$work/data "$bin/trnsetup" read --port "$device" -o "$work/unit.trncfg" >/dev/null
kill "$sim" 2>/dev/null || true
median_ms() {  # the median wall time of 21 runs of the command, in milliseconds
    local times=()
    for _ in $(seq 21); do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || true
        end=$(date +%s%N)
        times+=($(((end - start) / 1000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 11p
}
help=$(median_ms "$bin/trnsetup" --help)
for command in "show $work/unit.trncfg" "diff $work/unit.trncfg $work/unit.trncfg"; do
    # shellcheck disable=SC2086
    took=$(median_ms "$bin/trnsetup" $command)
    awk -v c="${command%% *}" -v t="$took" -v h="$help" \
        'BEGIN { printf "trnsetup %s: %.1f ms, --help: %.1f ms (%.2f times)\n", c, t / 1000, h / 1000, t / h }'
done
