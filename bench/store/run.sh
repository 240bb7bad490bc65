#!/usr/bin/env bash
# Runs the store benchmark: builds (the build installs the Debian packages it misses, among
# them subversion, the peer the store is compared with) and runs bench_store in a work
# folder on the build's file system. Usage: bench/store/run.sh [--quick] [--only list|small|large]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${DW_BUILD_DIR:-$here/build}
"$here/scripts/build.sh" --target bench_store
source "$here/scripts/programs.sh"
dw_need svn svnadmin cp sync
work=$(mktemp -d "$build/bench-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$build/bin/bench_store" "$work" "$@"
