#!/usr/bin/env bash
# Runs every fuzz target for a long time (default 300 s each, or the seconds given
# as the first argument; further arguments name the targets to run) and prints a
# line per target: executions, run time, corpus size and crashes found.
# The fuzzers are built by the test build (build/fuzz) when clang++ is installed.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings buttons m3u pls filter open_filter add_folder url bmp colours unpack cue icy)
fuzz=build/fuzz
[ -x $fuzz/fuzz_settings ] || { scripts/deps.sh test && scripts/build.sh -DTARNELLO_TESTS=ON >/dev/null; }
[ -d $fuzz/corpus/bmp ] || build/tests/skin/make_fuzz_seeds $fuzz/corpus
mkdir -p $fuzz/logs $fuzz/corpus/artifacts
status=0
printf '%-12s %12s %8s %8s %8s\n' target executions seconds corpus crashes
for target in "${targets[@]}"; do
  corpus=$fuzz/corpus/$target
  mkdir -p "$corpus"
  seeds=()
  [ -d tests/fuzz/seeds/$target ] && seeds=(tests/fuzz/seeds/$target)
  log=$fuzz/logs/$target.log
  before=$(ls $fuzz/corpus/artifacts | wc -l)
  nice -n 10 $fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=$fuzz/corpus/artifacts/ "$corpus" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  crashes=$(( $(ls $fuzz/corpus/artifacts | wc -l) - before ))
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  time=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | grep -o 'in [0-9]*' | grep -o '[0-9]*')
  printf '%-12s %12s %8s %8s %8s\n' "$target" "${runs:-?}" "${time:--}" "$(ls "$corpus" | wc -l)" "$crashes"
  [ $rc -eq 0 ] && [ "$crashes" -eq 0 ] || { status=1; tail -30 "$log"; }
done
exit $status
