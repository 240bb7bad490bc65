#!/usr/bin/env bash
# Builds the project and starts dwfileman. Without a display it renders the window to a
# PNG file and prints where that is. Extra arguments go to dwfileman.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${DW_BUILD_DIR:-$here/build}
"$here/scripts/build.sh" dwfileman
cd "$build"
exec "$build/bin/dwfileman" "$@"
