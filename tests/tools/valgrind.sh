#!/usr/bin/env bash
# Runs every test program of a build under Valgrind's memcheck: any invalid
# access, use of uninitialised memory or leak fails the run.
#   tests/tools/valgrind.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build/default}
failed=0
for program in "$build"/tests/*_tests; do
  name=$(basename "$program")
  log=$(mktemp)
  out=$(mktemp)
  # Forked children's reports are left out (their exit codes still count); the sweep's own
  # operator new stays in place (it counts the requests).
  if valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
       --show-possibly-lost=no --child-silent-after-fork=yes --soname-synonyms=somalloc=nouserintercepts \
       --track-origins=yes --quiet --log-file="$log" "$program" --gtest_brief=1 >"$out" 2>&1; then
    echo "$name: clean"
  else
    echo "$name: FAILED"
    cat "$out" "$log"
    failed=1
  fi
  rm -f "$log" "$out"
done
exit $failed
