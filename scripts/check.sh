#!/usr/bin/env bash
# Deeper checks than scripts/test.sh: checks that every tracked C++ file is formatted as
# .clang-format asks, builds everything with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer into build-check/, checks that the man page names every command and
# option of --help (scripts/check-manpage.sh), runs the whole suite there, then runs each
# libFuzzer target of tests/fuzz/ for a short time from its seed corpus.
#
#   scripts/check.sh                     # as CI runs it
#   FUZZ_SECONDS=3600 scripts/check.sh fuzz   # fuzzing only, for longer
#
# Every step has its own time limit: a sanitized process can hang at exit.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

build=build-check
fuzz_seconds=${FUZZ_SECONDS:-20}
jobs=$(nproc)

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen

step() { echo "== $*"; }

# The fuzz corpus is copied to a temporary directory, which must go however the script ends.
corpus=""
trap '[ -z "$corpus" ] || rm -rf "$corpus"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ "${1:-}" != "fuzz" ]; then
  step "formatting (clang-format)"
  git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
fi

step "configure and build with ASan and UBSan ($build)"
# -O1 and line tables only: quick to build, still readable sanitizer reports.
flags="-O1 -gline-tables-only -fsanitize=address,undefined -fno-sanitize-recover=undefined"
flags+=" -fno-omit-frame-pointer"
timeout 120 cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DTRN_FUZZ=ON >/dev/null
timeout 900 cmake --build "$build" -j"$jobs"

if [ "${1:-}" != "fuzz" ]; then
  step "the man page names every command and option of --help"
  timeout 60 scripts/check-manpage.sh "$build"

  step "whole suite under the sanitizers"
  (cd "$build" && timeout 900 ctest --output-on-failure -j"$jobs" --timeout 300)
fi

for target in link bundle; do
  step "fuzzing $target for ${fuzz_seconds}s"
  corpus=$(mktemp -d)
  cp tests/fuzz/corpus/$target/* "$corpus"/
  timeout $((fuzz_seconds + 120)) "$build/bin/fuzz_$target" -max_total_time="$fuzz_seconds" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
  rm -rf "$corpus"
  corpus=""
done
step "all checks passed"
