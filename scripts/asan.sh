#!/usr/bin/env bash
# Builds the hostile-input test of the media player control with AddressSanitizer
# (leak checking included) in build-asan/ and runs it. Only that test and what it
# links are compiled, so this stays a few minutes on a small machine.
# Exit 77 (skipped) when the sanitizer build cannot be configured or takes too long.
set -uo pipefail
cd "$(dirname "$0")/.."
mkdir -p build-asan
if [ ! -f build-asan/build.ninja ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNELLO_ASAN=ON -DTARNELLO_TESTS=ON >build-asan/configure.log 2>&1 ||
    { echo "SKIP: cannot configure the AddressSanitizer build"; tail -20 build-asan/configure.log; exit 77; }
fi
timeout 600 cmake --build build-asan -j2 --target media_hostile_tests test-decoder-copy
status=$?
if [ $status -eq 124 ]; then echo "SKIP: the AddressSanitizer build took too long"; exit 77; fi
[ $status -eq 0 ] || exit $status
export TARNELLO_AUDIO=null-untimed ASAN_OPTIONS=detect_leaks=1
exec build-asan/tests/plugins/media_hostile_tests
