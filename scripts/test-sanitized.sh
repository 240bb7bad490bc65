#!/usr/bin/env bash
# Builds the project with AddressSanitizer and UndefinedBehaviorSanitizer (a Debug build
# configured with -DDW_SANITIZE=ON, in its own folder: ./build-asan unless DW_ASAN_BUILD_DIR
# names another) and runs the test suite under them with leak detection on. A memory error
# (use after free, overflow, double free), a leak or undefined behaviour (a bad cast, an
# overflowing signed number, a misaligned or null access) ends the program with a report,
# so the test in which it happens fails. Arguments go to ctest (e.g. -R test_core).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${DW_ASAN_BUILD_DIR:-$here/build-asan}
"$here/scripts/install-deps.sh"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDW_SANITIZE=ON >/dev/null
fi
cmake --build "$build" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
# Every report ends its program with a failure, leaks included. The reports are written to
# files in $build/sanitizer-reports rather than to the tests' output, so that a report of a
# program that a test starts and whose failure it expects (dwstore refusing bad input) fails
# the run too; they are shown at the end.
reports=$build/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan
# Leaks inside system libraries only; scripts/lsan-suppressions.txt says why for each.
export LSAN_OPTIONS=suppressions=$here/scripts/lsan-suppressions.txt:print_suppressions=0

# Left out, each already run by the normal suite (scripts/test.sh):
# - fuzz_libfuzzer_short builds the fuzz targets with clang, libFuzzer, ASan and UBSan in a
#   build of its own; it does not use this build at all.
# - host_project and debian_package install this build and package it: they check the
#   installation and the package, not the code, and a package of sanitized libraries would
#   depend on the sanitizers' run-time libraries, which no host has.
cd "$build"
status=0
ctest --output-on-failure -j "$(nproc)" -E '^(fuzz_libfuzzer_short|host_project|debian_package)$' "$@" || status=$?
found=$(find "$reports" -type f | wc -l)
if [ "$found" -gt 0 ]; then
  for report in "$reports"/*; do
    echo "== $report"
    head -60 "$report"
  done
  echo "Sanitizer reports: $found (in $reports)" >&2
  exit 1
fi
echo "Sanitizer reports: 0"
exit $status
