#!/usr/bin/env bash
# Builds both language bundles and renders them to PNG files, for looking at layouts.
#
#   scripts/render.sh [pages] [FIRMWARE...]   # every setting page, as loaded from the
#                                             # simulator's sample controller at several
#                                             # firmware versions (four hex digits each), in
#                                             # <build dir>/render-pages/ (english-CStep2-0405.png,
#                                             # chinese-CStep4-0404-C.png, ...)
#   scripts/render.sh templates               # every bare dialog template, in <build dir>/render/
#                                             # (english-146.png, ...), listing the controls
#                                             # hidden or disabled on creation
#
# BUILD_DIR chooses the build directory (default: build), JOBS the build jobs (default: 2).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
jobs=${JOBS:-2}

kind=pages
case ${1:-} in
  pages) shift ;;
  templates)
    shift
    kind=templates
    [ $# -eq 0 ] || { echo "render.sh: templates takes no arguments" >&2; exit 2; }
    ;;
  -h | --help)
    sed -n '2,13s/^# \{0,1\}//p' "$0"
    exit 0
    ;;
esac

case $kind in
  pages) tool=trnrenderpages out=$build/render-pages ;;
  templates) tool=trnrender out=$build/render ;;
esac

cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$jobs" --target "$tool" english chinese
mkdir -p "$out"
status=0
for language in english chinese; do
  QT_QPA_PLATFORM=offscreen "$build/bin/$tool" "$build/bin/$language.rcc" "$out" "$@" || status=1
done
echo "Pictures in $out/"
exit $status
