#!/usr/bin/env bash
# Times the real program against simulated controllers on pseudo-terminals: the search with
# one and with four silent ports before the controller (from the warning's Yes to page 1), the
# write, the longest pause of the GUI thread while the link works, and `trnsetup write` to a
# batch of eight paced simulators against one, with the ratio of the two; then the shared
# history (scripts/bench-history.sh).
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
    --gtest_filter='Bench.*' 2>/dev/null | { grep -v '^\[' || true; }
# The shared history on a throw-away PostgreSQL server, beside the station's own journal.
"$here/scripts/bench-history.sh" "$build"
