#!/usr/bin/env bash
# Builds everything and runs every benchmark (targets named *_bench), one after another.
# Usage: scripts/bench.sh [benchmark options, e.g. --benchmark_filter=Load]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
scripts/build.sh -DTARNELLO_TESTS=ON
status=0
while IFS= read -r bench; do
  echo "== ${bench#build/}"
  "$bench" "$@" || status=1
done < <(find build -type f -name '*_bench' -perm -u+x | sort)
exit $status
