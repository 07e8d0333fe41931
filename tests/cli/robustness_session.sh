#!/bin/sh
# qel with bad and unusual input: every row runs one command line (bounded
# in time) and checks its exit code, that a failure says so in one line
# beginning "qel: " that matches the row's pattern, and that no file of the
# scratch folder changed.  $1: the qel program, $2: a scratch folder.
qel=$1
dir=$2
rm -rf "$dir" && mkdir -p "$dir/files" || exit 1
export QELBASE_REGISTRY="$dir/registry.db"
cd "$dir/files" || exit 1
failures=0

repeat() { awk -v n="$2" -v s="$1" 'BEGIN { for (i = 0; i < n; i++) printf "%s", s }'; }
{ repeat "(" 300; printf x; repeat ")" 300; echo; } > deep.txt
{ repeat "(" 100000; printf x; repeat ")" 100000; echo; } > parens.txt
{ repeat "-" 100000; echo x; } > unary.txt
{ repeat "x = " 100000; echo 1; } > chain.txt
head -c 4096 /dev/urandom > random.bin
printf "'\000" > quote-nul.txt
echo precious > keep.reg
"$qel" reg set 'HKLM\SOFTWARE\Cli\NoFolder' TRACEFILE dword 1 &&
  "$qel" reg set 'HKLM\SOFTWARE\Cli\NoFolder' TRACELEVEL dword 0x1e &&
  "$qel" reg set 'HKLM\SOFTWARE\Cli\NoFolder' TRACEPATH sz "$dir/no/such/folder/" || exit 1

snapshot() { stat -c '%n %s %y' ./* && cksum ./*; }

# check EXIT PATTERN COMMAND...: PATTERN is matched against the first line of
# stderr (empty: stderr must be empty).
check() {
  expected=$1 pattern=$2
  shift 2
  before=$(snapshot)
  timeout 20 "$@" > "$dir/out" 2> "$dir/err"
  rc=$?
  first=$(head -n 1 "$dir/err")
  problem=
  [ "$rc" = "$expected" ] || problem="exit $rc, expected $expected"
  if [ -z "$pattern" ]; then
    [ -s "$dir/err" ] && problem="$problem; unexpected stderr: $first"
  else
    case "$first" in qel:*) ;; *) problem="$problem; stderr does not begin with 'qel: ': $first" ;; esac
    echo "$first" | grep -Eq -- "$pattern" || problem="$problem; '$first' does not match '$pattern'"
  fi
  [ "$(snapshot)" = "$before" ] || problem="$problem; a file changed"
  if [ -n "$problem" ]; then
    echo "FAIL: $*: $problem"
    failures=$((failures + 1))
  fi
}

# The scanner loop ends at the NUL that ends a line, a literal open or not.
check 0 "" sh -c '"$0" scan - < quote-nul.txt' "$qel"
check 0 "" "$qel" scan random.bin
check 0 "" "$qel" scan --all --mode 1 random.bin
# Nesting beyond the limit fails with the memory code, and nothing else.
check 1 "^qel: expression 1:" "$qel" eval --xref deep.txt --var x:long
for file in parens.txt unary.txt chain.txt; do
  check 1 "^qel: expression 1:" "$qel" eval --xref "$file" --var x:long
  grep -q "(0x8007000E)$" "$dir/err" || { echo "FAIL: $file: not the memory code"; failures=$((failures + 1)); }
done
# Unreadable input.
check 1 "cannot read '/'.*directory" "$qel" scan /
check 1 "cannot read '/proc/self/mem'" "$qel" scan /proc/self/mem
check 1 "cannot read '/'" "$qel" eval --xref / --var x:long
check 1 "cannot read 'missing.txt'" "$qel" scan missing.txt
# Output that cannot be written.
check 1 "cannot write the output" sh -c '"$0" --help > /dev/full' "$qel"
check 1 "cannot write the output" sh -c '"$0" eval 1 > /dev/full' "$qel"
check 1 "cannot write the output" sh -c '"$0" eval 1 >&-' "$qel"
# Registry scripts name what they cannot read and never destroy a file.
check 1 "cannot read 'missing.reg'" "$qel" reg import keep.reg missing.reg
check 1 "cannot read 'missing.reg'" "$qel" reg update missing.reg
check 1 "cannot read '/'" "$qel" reg update /
check 1 "cannot export the key" "$qel" reg export 'HKCU\Software\NoSuchKey' keep.reg
check 2 "unknown action 'foo'" "$qel" reg foo
# Values out of range and results the library cannot give.
check 2 "bad value for long: '99999999999'" "$qel" eval x --var x:long=99999999999
check 2 "bad value for ulong: '-1'" "$qel" eval x --var x:ulong=-1
check 2 "outside the years 0 to 65535" "$qel" date add 2024-01-31 P65535Y
check 2 "outside the years 0 to 65535" "$qel" date add 2024-01-31 -P3000Y
check 2 "outside the years 0 to 65535" "$qel" date add 2024-12-31 P63511Y1M
check 2 "cannot be formatted" "$qel" date format 65535-12-31 yyyy
check 0 "warning: 2024-02-31T00:00:00.000 is not a date of the calendar" "$qel" date parse 31.02.2024 dd.MM.yyyy
check 0 "warning: 0000-00-00T00:00:00.000 is not a date" "$qel" date parse 2024 ""
# A trace that writes nowhere says so.
check 1 "writes nowhere" "$qel" trace write 'SOFTWARE\Cli\NoSuchKey' 2 text --name cli
check 1 "writes nowhere" "$qel" trace write 'SOFTWARE\Cli\NoFolder' 2 text --name cli
# Usage lines name their command.
check 2 "missing expression" "$qel" eval
grep -q "^usage: qel eval " "$dir/err" || { echo "FAIL: the usage of qel eval"; failures=$((failures + 1)); }
"$qel" --help | grep -q -- "--ident N" || { echo "FAIL: qel --help lacks --ident"; failures=$((failures + 1)); }

cd / && rm -rf "$dir"
echo "$failures failures"
[ "$failures" = 0 ]
