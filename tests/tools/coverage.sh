#!/usr/bin/env bash
# Line coverage of the library from a coverage build whose tests have run
# (cmake --workflow --preset coverage): a report per file in
# BUILD_DIR/coverage.txt, and a line per library folder with its line and
# branch coverage; each folder's line coverage must reach the threshold.
#   tests/tools/coverage.sh [BUILD_DIR] [THRESHOLD]
set -euo pipefail
build=${1:-build/coverage}
threshold=${2:-90}
root=$(cd "$(dirname "$0")/../.." && pwd)
folders=(frame scanner datetime expr format strings containers file trace registry)
filters=()
for f in "${folders[@]}"; do filters+=(--filter "$root/$f/"); done
gcovr --root "$root" --object-directory "$build" --exclude-directories ".*/install_test/.*" "${filters[@]}" --txt "$build/coverage.txt" \
      --json-summary "$build/coverage.json" --json-summary-pretty >/dev/null
python3 - "$build/coverage.json" "$threshold" "${folders[@]}" <<'PY'
import json, sys
summary, threshold, folders = json.load(open(sys.argv[1])), float(sys.argv[2]), sys.argv[3:]
low = False
for folder in folders:
    files = [f for f in summary["files"] if f["filename"].startswith(folder + "/")]
    covered = sum(f["line_covered"] for f in files)
    total = sum(f["line_total"] for f in files)
    percent = 100.0 * covered / total if total else 100.0
    branches = sum(f["branch_covered"] for f in files)
    branchTotal = sum(f["branch_total"] for f in files)
    branchPercent = 100.0 * branches / branchTotal if branchTotal else 100.0
    low |= percent < threshold
    print(f"{folder:<12}{covered:>6} / {total:<6} {percent:5.1f}%   branches {branches:>6} / {branchTotal:<6} "
          f"{branchPercent:5.1f}%{'  below ' + str(threshold) + '%' if percent < threshold else ''}")
sys.exit(1 if low else 0)
PY
