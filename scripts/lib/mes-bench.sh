#!/usr/bin/env bash
# The factory's MES's rows of scripts/bench: on the stand-in MES of this machine, what the route
# check and the report's write add to a press (medians of PRESSES), and the time from the MES's
# return until the reports of PRESSES presses made while it was away (and a station restart) are
# all taken; checks that each arrived once, in order. Prints Markdown rows.
#   scripts/lib/mes-bench.sh BUILD [PRESSES]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
presses=${2:-200}
work=$(mktemp -d)
standin=
trap '[[ -n $standin ]] && kill "$standin" 2>/dev/null; rm -rf "$work"' EXIT
python3 "$top/sim/mes_standin.py" --port-file "$work/port" --received "$work/received.jsonl" \
    >/dev/null &
standin=$!
for _ in $(seq 300); do [[ -s $work/port ]] && break; sleep 0.1; done
url=http://127.0.0.1:$(cat "$work/port")/api
mkdir "$work/spool"
"$build/bench/mes_bench" "$url/check" "$url/complete" "$presses" "$work/spool/" >"$work/figures"
taken=$(python3 -c '
import json, sys
labels = [json.loads(l)["body"]["sn"] for l in open(sys.argv[1]) if "/complete" in l]
print("yes" if labels == ["PCB-%d" % n for n in range(int(sys.argv[2]))] else "no")
' "$work/received.jsonl" "$presses")
figure() { awk -v key="$1" '$1 == key { print $2 }' "$work/figures"; }
echo "| MES route check, added to a press (median of $presses, stand-in MES, loopback) | $(figure check_ms) ms | aim 30 ms |"
echo "| MES report written to the spool before the verdict (median of $presses) | $(figure report_write_ms) ms | sent after the verdict |"
echo "| MES away for $presses presses and a restart: from its return until every report is taken | $(figure drain_ms) ms | each once, in order: $taken |"
[[ $taken == yes ]]
