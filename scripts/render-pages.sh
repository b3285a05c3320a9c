#!/usr/bin/env bash
# Builds both language bundles and renders every setting page, as loaded from the simulator's
# sample controller at several firmware versions, to PNG files in <build dir>/render-pages/
# (english-CStep2-0405.png, chinese-CStep4-0404-C.png, ...). Arguments choose the firmware
# versions (four hex digits each). BUILD_DIR chooses the build directory (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
jobs=${JOBS:-2}

cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$jobs" --target trnrenderpages english chinese
mkdir -p "$build/render-pages"
status=0
for language in english chinese; do
  QT_QPA_PLATFORM=offscreen "$build/bin/trnrenderpages" "$build/bin/$language.rcc" \
    "$build/render-pages" "$@" || status=1
done
echo "Pictures in $build/render-pages/"
exit $status
