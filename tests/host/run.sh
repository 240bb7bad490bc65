#!/usr/bin/env bash
# Installs the build into a temporary prefix, builds the host project there against that
# prefix only, makes a demo store with the installed dwstore and runs the host on it.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/programs.sh"
dw_need cmake c++
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
# The host's sources are copied, so nothing of the source tree is on any search path.
cp "$here/CMakeLists.txt" "$here/main.cpp" "$work/"
mkdir "$work/src" && mv "$work/CMakeLists.txt" "$work/main.cpp" "$work/src/"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$work/src" -B "$work/build" "${generator[@]}" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/build" >/dev/null
"$prefix/bin/dwstore" --store "$work/store" demo >/dev/null
export QT_QPA_PLATFORM=offscreen
"$work/build/dwhost" "$work/store" Demo "Projecten/Brug Noord" "Offerte.txt"
