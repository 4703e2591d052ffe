#!/usr/bin/env bash
# romtool-report.exe under Wine and the Linux romtool-report on the same records, laid out by
# tests/browser/make_records.sh in a folder whose name is outside the ANSI code page (Korean
# under code page 936), named by a relative path: the CSV tables (--csv, --fixture-csv) must be the
# same byte for byte, and the pages the same but for the line that says when each was written and
# the path separators (share\line1\... under Windows, share/line1/... on Linux).
#   tests/e2e/report_wine.sh ROMTOOL_REPORT_EXE ROMTOOL_REPORT WORK_FOLDER
# Wine's environment (WINEPREFIX, the locale) as scripts/test-windows sets it.
set -euo pipefail
exe=$1
linux=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
folder='站点 한글'
rm -rf "$work"
mkdir -p "$work"
"$here/../browser/make_records.sh" "$work/$folder"
cd "$work"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

"$linux" --csv "$folder" >linux.csv 2>linux-csv.err || fail "romtool-report --csv: exit $?"
wine "$exe" --csv "$folder" </dev/null >wine.csv 2>wine-csv.err || fail "romtool-report.exe --csv: exit $?"
cmp -s linux.csv wine.csv || { fail "the CSV tables differ"; diff linux.csv wine.csv | head -20; }
"$linux" --fixture-csv "$folder" >linux-fixtures.csv 2>/dev/null || fail "romtool-report --fixture-csv: exit $?"
wine "$exe" --fixture-csv "$folder" </dev/null >wine-fixtures.csv 2>/dev/null ||
    fail "romtool-report.exe --fixture-csv: exit $?"
cmp -s linux-fixtures.csv wine-fixtures.csv ||
    { fail "the yields per fixture differ"; diff linux-fixtures.csv wine-fixtures.csv | head -20; }

"$linux" -o linux.html "$folder" 2>linux.err || fail "romtool-report: exit $?"
wine "$exe" -o wine.html "$folder" </dev/null 2>wine.err || fail "romtool-report.exe: exit $?"
[[ -s wine.html ]] || fail "romtool-report.exe wrote no page"
comparable() { grep -v '^<p class="made">Written ' "$1" | tr '\\' '/'; }
if ! cmp -s <(comparable linux.html) <(comparable wine.html); then
    fail "the pages differ"
    diff <(comparable linux.html) <(comparable wine.html) | head -20
fi
grep -q "$folder/line1/logs/2024-03-05.csv" <(comparable wine.html) ||
    fail "the page under Wine does not name the unreadable row's file by its Unicode path"

# Exit codes under Wine: no record (1), bad arguments (2).
status=0
wine "$exe" --from 2030-01-01 "$folder" </dev/null >/dev/null 2>&1 || status=$?
[[ $status == 1 ]] || fail "no record: exit $status, not 1"
status=0
wine "$exe" --from 2024-13-01 "$folder" </dev/null >/dev/null 2>&1 || status=$?
[[ $status == 2 ]] || fail "bad arguments: exit $status, not 2"

[[ $failures == 0 ]] || exit 1
echo "romtool-report.exe: the same table ($(($(wc -l <wine.csv) - 1)) rows) and page ($(stat -c %s wine.html) bytes) as on Linux"
