#!/usr/bin/env bash
# Builds the Debian package build/trnsetup_<version>_amd64.deb (installs to /usr).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB)
ls -l "$build"/trnsetup_*.deb
