#!/usr/bin/env bash
# Configures and builds the project out of the source tree (default: ./build).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${DW_BUILD_DIR:-$here/build}
"$here/scripts/install-deps.sh"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$(nproc)" "$@"
