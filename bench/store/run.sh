#!/usr/bin/env bash
# Runs the store benchmark: installs subversion (the peer it is compared with) from
# Debian when missing, builds, and runs bench_store in a work folder on the build's file
# system. Usage: bench/store/run.sh [--quick] [--only list|small|large]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${DW_BUILD_DIR:-$here/build}
if ! command -v svn >/dev/null || ! command -v svnadmin >/dev/null; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends subversion >/dev/null
fi
"$here/scripts/build.sh" --target bench_store
work=$(mktemp -d "$build/bench-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$build/bin/bench_store" "$work" "$@"
