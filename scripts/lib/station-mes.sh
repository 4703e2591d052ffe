# The factory's MES, end to end: the stand-in MES (sim/mes_standin.py) beside a station, the
# route check refusing a label, the MES away for three presses (check_unreachable=continue) and
# back, its received reports in order and exactly once. Sourced by station.sh.

STATION_MES_PID=

# station_mes_start FOLDER [PORT]: the stand-in MES on the loopback address, its files in
# FOLDER/mes-standin/; PORT: the port it had, to come back on it. Sets STATION_MES_PORT.
station_mes_start() {
    local dir=$1/mes-standin
    mkdir -p "$dir"
    rm -f "$dir/port"
    python3 "$(dirname "${BASH_SOURCE[0]}")/../../sim/mes_standin.py" --port-file "$dir/port" \
        --received "$dir/received.jsonl" --control "$dir/control.json" --port "${2:-0}" >/dev/null &
    STATION_MES_PID=$!
    for _ in $(seq 300); do [[ -s $dir/port ]] && break; sleep 0.1; done
    STATION_MES_PORT=$(cat "$dir/port")
}

# station_mes_stop: the stand-in MES ended (the MES is away).
station_mes_stop() {
    if [[ -n $STATION_MES_PID ]]; then
        kill "$STATION_MES_PID" 2>/dev/null || true
        wait "$STATION_MES_PID" 2>/dev/null || true
        STATION_MES_PID=
    fi
}

# station_mes_reports FOLDER: the labels of the reports the stand-in MES took, in order, one a
# line, a duplicate key marked "(twice)".
station_mes_reports() {
    [[ -f $1/mes-standin/received.jsonl ]] || return 0
    python3 -c '
import json, sys
for line in open(sys.argv[1], encoding="utf-8"):
    call = json.loads(line)
    if call["path"].endswith("/complete") and call["status"] == 200:
        print(call["body"]["sn"] + (" (twice)" if call["duplicate"] else ""))
' "$1/mes-standin/received.jsonl"
}

# station_check_mes FOLDER WINDOW SHOTS_PREFIX: presses with the stand-in MES accepting, refusing
# one label, then away for three presses and back for a fifth; screenshots SHOTS_PREFIX-*.png when
# given.
station_check_mes() {
    local folder=$1 win=$2 shots=$3 stamp rows refused_line labels=() expected
    refused_line="MES不允许该条码|$(printf '%s' MES不允许该条码 | iconv -f UTF-8 -t GBK)"
    stamp=$(printf '%07d' $(($(date +%s) % 10000000)))
    cp "$folder/config.ini" "$folder/config.ini.before"
    station_mes_start "$folder"
    local url=http://127.0.0.1:$STATION_MES_PORT/api
    station_set_key "$folder" trace label yes
    station_set_key "$folder" mes check_url "$url/check"
    station_set_key "$folder" mes report_url "$url/complete"
    station_set_key "$folder" mes station L3-S07
    station_set_key "$folder" mes step PROGRAM
    station_set_key "$folder" mes timeout_ms 1000
    station_autostart_refresh "$folder" "$win"
    printf '{"refuse":["PCB-%s9"]}' "$stamp" >"$folder/mes-standin/control.json"

    rows=$(station_rows "$folder")
    station_scan "$win" "PCB-${stamp}1"
    labels+=("PCB-${stamp}1")
    station_check "a board the MES lets in is programmed" station_wait_rows "$folder" "$rows"
    station_wait_idle

    local refusals
    refusals=$(LC_ALL=C station_count "$folder" "$refused_line")
    rows=$(station_rows "$folder")
    station_scan "$win" "PCB-${stamp}9"
    station_mes_refused() { LC_ALL=C station_wait_log "$folder" "$refused_line" "$1" 30; }
    station_check "the MES's refusal is logged" station_mes_refused $((refusals + 1))
    station_wait_idle
    [[ -n $shots ]] && { sleep 0.5; station_screenshot "$win" "$shots-refused.png"; }
    station_check "a refused board has no row" test "$(station_rows "$folder")" -eq "$rows"
    # The refused label stays in its field, selected: the next scan replaces it.

    station_mes_stop  # away
    station_set_key "$folder" mes check_unreachable continue
    station_autostart_refresh "$folder" "$win"
    for n in 2 3 4; do
        rows=$(station_rows "$folder")
        station_scan "$win" "PCB-${stamp}$n"
        labels+=("PCB-${stamp}$n")
        station_check "press $n goes on while the MES is away" station_wait_rows "$folder" "$rows"
        station_wait_idle
    done
    [[ -n $shots ]] && { sleep 1.5; station_screenshot "$win" "$shots-away.png"; }
    station_check "the rows say the presses went on without the MES" test \
        "$(tr -d '\r' <"$folder/logs/$(date +%Y-%m-%d).csv" |
            awk -F, 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == "mes_check") c = i; next }
                     { print $c }' | tail -n 3 | tr '\n' ' ')" = "unreachable unreachable unreachable "

    station_mes_start "$folder" "$STATION_MES_PORT"  # back
    # The next board's route check finds the MES back, and the waiting reports go at once.
    rows=$(station_rows "$folder")
    station_scan "$win" "PCB-${stamp}5"
    labels+=("PCB-${stamp}5")
    station_check "a board the MES lets in once it is back is programmed" \
        station_wait_rows "$folder" "$rows"
    station_wait_idle
    expected=$(printf '%s\n' "${labels[@]}")
    for _ in $(seq 600); do
        [[ $(station_mes_reports "$folder" | grep -c "PCB-$stamp") -ge 5 ]] && break
        sleep 0.1
    done
    local taken
    taken=$(station_mes_reports "$folder" | grep "PCB-$stamp" || true)
    station_check "the MES took every report in order, exactly once" test "$taken" = "$expected"
    [[ $taken == "$expected" ]] || printf 'station: the MES took\n%s\ninstead of\n%s\n' "$taken" \
        "$expected" >&2
    [[ -n $shots ]] && { sleep 1; station_screenshot "$win" "$shots-back.png"; }
    station_mes_stop
    cat "$folder/config.ini.before" >"$folder/config.ini"
    rm -f "$folder/config.ini.before"
    station_autostart_refresh "$folder" "$win"
}
