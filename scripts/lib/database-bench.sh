#!/usr/bin/env bash
# The factory's database's benchmark records for scripts/bench, run inside scripts/with-postgresql
# --durable (the server's default fsync: every row's commit reaches its disk):
#   database-bench.sh BUILD ROUNDS PRESSES
# Each round: twenty stations (processes) deliver ROWS rows each at once, and twenty processes
# make the same add_record_row calls directly, in the round's order (swapped every other round);
# records "<round> db_delivery_ours|db_delivery_anchor <seconds per row>". Then PRESSES pairs of
# presses of a station with [database] in its config.ini and of one without:
# "p<pair> press_database_on|off <seconds>". Ends with status 1, after every part has run, when a
# part failed; its messages are on standard error.
set -euo pipefail
build=$1
rounds=$2
presses=$3
stations=20
rows=500
bench=$build/bench/database_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

# twenty SIDE ROUND: the side's twenty processes at once; prints the record of their seconds per row.
twenty() {
    local side=$1 round=$2 s pids=() failed=0
    local start
    start=$(date +%s.%N)
    for s in $(seq "$stations"); do
        local title="r$round-s$s-$side"
        if [[ $side == ours ]]; then
            mkdir -p "$work/$title"
            "$bench" deliver "$work/$title" "$title" "$rows" &
        else
            "$bench" anchor "$title" "$rows" &
        fi
        pids+=($!)
    done
    for s in "${pids[@]}"; do
        wait "$s" || failed=1
    done
    if [[ $failed == 1 ]]; then
        echo "database-bench: round $round: a process of the $side side failed" >&2
        echo "$round db_delivery_$side error"
        status=1
        return
    fi
    awk -v start="$start" -v end="$(date +%s.%N)" -v n=$((stations * rows)) -v name="$round db_delivery_$side" \
        'BEGIN { printf "%s %.9f\n", name, (end - start) / n }'
}

for round in $(seq "$rounds"); do
    if ((round % 2)); then
        twenty ours "$round"
        twenty anchor "$round"
    else
        twenty anchor "$round"
        twenty ours "$round"
    fi
done
"$bench" press "$presses" || { echo "database-bench: the press with the database failed" >&2; status=1; }
exit $status
