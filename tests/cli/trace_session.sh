#!/bin/sh
# qel trace end to end: settings through qel reg, a listener on the
# mailslot, one record written; prints what the listener heard and the file.
# $1: the qel program, $2: a scratch folder.
set -e
qel=$1
dir=$2
rm -rf "$dir" && mkdir -p "$dir/logs"
export QELBASE_REGISTRY="$dir/registry.db"
key='HKLM\SOFTWARE\QelCliTrace'
"$qel" reg set "$key" TRACEFILE dword 1
"$qel" reg set "$key" TRACELEVEL dword 0x1e
"$qel" reg set "$key" TRACEPATH sz "$dir/logs/"
"$qel" reg set "$key" TRACEMAILSLOT dword 1
"$qel" reg set "$key" MAILSLOT sz "qelcli-$$"
"$qel" reg set "$key" DISABLED_FACILITIES sz "9"
"$qel" trace listen "qelcli-$$" --count 3 > "$dir/heard.txt" &
listener=$!
sleep 0.5
"$qel" trace write 'SOFTWARE\QelCliTrace' 2 "hello trace" --name cli > "$dir/written.txt"
"$qel" trace write "$key" 1 "level one is off" --name cli > /dev/null
"$qel" trace write "$key" 2 "facility nine is off" --name cli --facility 9 > /dev/null
wait $listener
echo "heard:"
cut -c1,8,19- "$dir/heard.txt"
echo "file:"
cut -c1,8,19- "$dir/logs/"cli*.log | tr -d '\r' | sort | uniq -c | sed 's/^ *//'
echo "written to: $(basename "$(head -n 1 "$dir/written.txt")")"
