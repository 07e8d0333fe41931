#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh LOADER PROGRAM [ARGS...].
#
# Now and then Wine's loader gives up before the program starts: it exits
# nonzero at once and nothing at all reaches stdout or stderr.  That is not
# a result of the program, so such a launch is made again (twice at most,
# with a note on stderr).  A program that ran and wrote anything, or ended
# with status 0, keeps its result as it is.
out=$(mktemp) || exit 125
err=$(mktemp) || { rm -f "$out"; exit 125; }
trap 'rm -f "$out" "$err"' EXIT

attempt=1
while :; do
  "$@" >"$out" 2>"$err"
  status=$?
  if [ "$status" -eq 0 ] || [ -s "$out" ] || [ -s "$err" ] || [ "$attempt" -ge 3 ]; then
    break
  fi
  echo "wine-run: the loader ended with status $status before $2 wrote anything; starting it again" >&2
  attempt=$((attempt + 1))
done
cat "$out"
cat "$err" >&2
exit "$status"
