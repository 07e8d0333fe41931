#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time, as many at
# once as there are processors, each on a scratch copy of its seed corpus
# (the seeds stay as they are).  Prints the time each target ran and stops
# with failure if any target found something; its input is left as
# crash-*, leak-* or timeout-* in the folder named by the output.
#   fuzz/run-all.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
seconds=${1:-60}
build=${2:-build/fuzz}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/qelbase-fuzz-run-XXXXXX)

run_one() {
  local target=$1 seconds=$2 build=$3 here=$4 work=$5
  local name=${target%_fuzz}
  mkdir -p "$work/$name/corpus"
  local start=$SECONDS
  if (cd "$work/$name" && "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 corpus "$here/corpus/$name" >log 2>&1); then
    echo "$target: $((SECONDS - start)) s, $(grep -o 'stat::number_of_executed_units: [0-9]*' "$work/$name/log" | grep -o '[0-9]*$') runs, clean"
  else
    echo "$target: FOUND after $((SECONDS - start)) s, see $work/$name"
    tail -40 "$work/$name/log"
    return 1
  fi
}
export -f run_one

build=$(cd "$build" && pwd)
targets=$(cd "$build/fuzz" && ls -- *_fuzz)
echo "$targets" | xargs -P "$(nproc)" -I{} bash -c 'run_one "$@"' _ {} "$seconds" "$build" "$here" "$work"
rm -rf "$work"
