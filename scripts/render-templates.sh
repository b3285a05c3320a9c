#!/usr/bin/env bash
# Builds both language bundles and renders every dialog template of each to PNG files in
# <build dir>/render/ (english-146.png, chinese-146.png, ...), listing the controls that are
# hidden or disabled on creation. BUILD_DIR chooses the build directory (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
jobs=${JOBS:-2}

cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$jobs" --target trnrender english chinese
mkdir -p "$build/render"
status=0
for language in english chinese; do
  QT_QPA_PLATFORM=offscreen "$build/bin/trnrender" "$build/bin/$language.rcc" "$build/render" || status=1
done
echo "Pictures in $build/render/"
exit $status
