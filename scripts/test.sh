#!/usr/bin/env bash
# Builds the project and runs the whole test suite. Every test runs offscreen in its own
# temporary folders.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${DW_BUILD_DIR:-$here/build}
"$here/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
