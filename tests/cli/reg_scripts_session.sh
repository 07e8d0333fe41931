#!/bin/sh
# qel reg export, import and update end to end on a scratch store: a tree
# exported, deleted, imported back; an update file applied.
# $1: the qel program, $2: a scratch folder.
set -e
qel=$1
dir=$2
rm -rf "$dir" && mkdir -p "$dir"
export QELBASE_REGISTRY="$dir/registry.db"
"$qel" reg set 'HKCU\Software\Cli\App' Path REG_SZ 'C:\Data'
"$qel" reg set 'HKCU\Software\Cli\App' Count REG_DWORD 42
"$qel" reg set 'HKCU\Software\Cli\App\Sub' Name REG_SZ 'a "quoted" = value'
"$qel" reg export 'HKCU\Software\Cli\App' "$dir/app.reg" --recursive
tr -d '\r' < "$dir/app.reg"
"$qel" reg delete 'HKCU\Software\Cli\App\Sub'
"$qel" reg delete 'HKCU\Software\Cli\App'
"$qel" reg import "$dir/app.reg"
echo "imported:"
"$qel" reg list 'HKCU\Software\Cli\App'
"$qel" reg get 'HKCU\Software\Cli\App\Sub' Name
printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Cli\\Up]\r\n"Mode"="fast"\r\n' > "$dir/up.reg"
"$qel" reg update "$dir/up.reg"
echo "updated:"
"$qel" reg list 'HKLM\SOFTWARE\Cli\Up'
printf '[HKLM\\SOFTWARE\\X]\n"a"="1"\n' > "$dir/bad.reg"
"$qel" reg import "$dir/bad.reg" 2>&1 || echo "exit $?"
