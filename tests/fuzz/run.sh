#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer) and runs each for SECONDS, starting from
# the committed corpus; new inputs go to BUILD/corpus-<target>. A crash leaves its input in
# BUILD (crash-*) and makes the script fail.
# Usage: tests/fuzz/run.sh BUILD [SECONDS] [TARGET...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/programs.sh"
dw_need cmake ninja clang++
build=$1 seconds=${2:-60}; shift $(( $# >= 2 ? 2 : 1 ))
targets=${*:-names dwstore_args recordset clipboard}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null
status=0
for t in $targets; do
  mkdir -p "$build/corpus-$t"
  if ! (cd "$build" && "./fuzz_$t" -max_total_time="$seconds" -timeout=120 -rss_limit_mb=2048 -print_final_stats=1 \
        "corpus-$t" "$here/corpus/$t" >"fuzz_$t.log" 2>&1); then
    echo "fuzz_$t: fout gevonden, zie $build/fuzz_$t.log"; status=1
  else
    echo "fuzz_$t: $(grep -E '^stat::number_of_executed_units' "$build/fuzz_$t.log" | awk '{print $2}') invoeren, geen fout"
  fi
done
exit $status
