#!/usr/bin/env bash
# Builds the project and starts dwfileman on the demo store, which is created on first
# use (dwstore demo; $DW_STORE_DIR chooses its folder). Without a display dwfileman
# renders its window to a PNG file and prints where that is. Extra arguments go to
# dwfileman and replace the demo connection (see dwfileman --help).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${DW_BUILD_DIR:-$here/build}
"$here/scripts/build.sh" --target dwfileman dwstore
cd "$build"
if [ "$#" -gt 0 ]; then
  exec "$build/bin/dwfileman" "$@"
fi
"$build/bin/dwstore" demo | head -n 1
# The demo user's password goes in on standard input: a command line is public to every
# user of the machine.
exec "$build/bin/dwfileman" --catalog Demo --user demo --password-stdin --sql-security \
  --location "Projecten/Brug Noord" < <(printf 'demo\n')
