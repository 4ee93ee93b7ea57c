#!/usr/bin/env bash
# Builds the player and its tests with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ and runs them; any finding fails.
#
#   scripts/asan.sh          everything: every unit, widget and system test (the
#                            fuzz targets have sanitizers of their own and are left out)
#   scripts/asan.sh --fast   only the media control's hostile-input test, what the
#                            normal test run does (a few minutes on a small machine)
#   scripts/asan.sh -- ARGS  everything, ARGS passed to ctest (e.g. -R playlist)
#
# Leaks of third-party libraries that never free their caches are suppressed in
# scripts/lsan.supp, each with its reason. Exit 77 (skipped) when the sanitizer
# build cannot be configured, or the fast build takes too long.
set -uo pipefail
cd "$(dirname "$0")/.."
fast=0
[ "${1:-}" = --fast ] && { fast=1; shift; }
[ "${1:-}" = -- ] && shift
mkdir -p build-asan
if [ ! -f build-asan/build.ninja ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNELLO_ASAN=ON -DTARNELLO_TESTS=ON \
    -DTARNELLO_FUZZ=OFF >build-asan/configure.log 2>&1 ||
    { echo "SKIP: cannot configure the sanitizer build"; tail -20 build-asan/configure.log; exit 77; }
fi
export TARNELLO_AUDIO=null-untimed
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if [ $fast -eq 1 ]; then
  timeout 600 nice -n 10 cmake --build build-asan -j2 --target media_hostile_tests test-decoder-copy
  status=$?
  if [ $status -eq 124 ]; then echo "SKIP: the sanitizer build took too long"; exit 77; fi
  [ $status -eq 0 ] || exit $status
  exec build-asan/tests/platform/media/media_hostile_tests
fi
nice -n 10 cmake --build build-asan -j2 || exit $?
cd build-asan
# Sanitized code runs several times slower: the tests get more time.
exec ctest -j2 --output-on-failure --timeout 1500 -LE fuzz -E '^media_hostile_asan$' "$@"
