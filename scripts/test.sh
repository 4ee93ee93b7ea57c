#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, widget, system).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
scripts/build.sh -DTARNELLO_TESTS=ON
cd build
ctest --output-on-failure -j2 "$@"
