# shellcheck shell=bash
# A bench of four fixtures in one window, end to end (Linux and Windows under Wine) and in the
# demo. Sourced by station.sh; uses its helpers.

STATION_BENCH_PROBES=(682000001 682000002 682000003 682000004)
STATION_BENCH_NAMES=(A B C D)

# station_bench_layout FOLDER: config.ini of the station folder FOLDER (laid out by
# station_layout or alike) names four fixtures, A to D, each with its probe, and numbers the
# boards; the stand-in in FOLDER/bin has the four probes.
station_bench_layout() {
    local i
    {
        printf '[serial]\r\naddress=0x10001080\r\nfirst=100000\r\nlast=199999\r\n'
        for i in 0 1 2 3; do
            printf '[fixture%d]\r\nprobe=%s\r\nname=%s\r\n' $((i + 1)) \
                "${STATION_BENCH_PROBES[i]}" "${STATION_BENCH_NAMES[i]}"
        done
    } >>"$1/config.ini"
    station_bench_standin "$1"
}

# station_bench_hands_free FOLDER: the bench's boards start their presses by themselves, each
# once its label is scanned (autostart and labels on), as station_check_bench needs.
station_bench_hands_free() {
    station_set_key "$1" station autostart yes
    station_set_key "$1" station autostart_settle_ms 300
    station_set_key "$1" station autostart_absent_ms 300
    station_set_key "$1" trace label yes
}

# station_bench_standin FOLDER [SETTING...]: the stand-in's settings: the four probes and SETTINGs.
station_bench_standin() {
    local folder=$1
    shift
    { printf 'serial=%s\r\n' "$(IFS=,; echo "${STATION_BENCH_PROBES[*]}")"; printf '%s\r\n' "$@"; } \
        >"$folder/bin/standin.ini"
}

# station_check_bench FOLDER WINDOW WORKING_SHOT DONE_SHOT TOOL...: the bench of
# station_bench_layout and station_bench_hands_free, its checksum written and its fixtures empty
# (TOOL --board-out --snr for each probe before the window started): boards placed at different
# times, each found before the next is placed (a label goes to the board that arrived first, so
# the order must be known) and its label scanned then: A and B pressed at once, C's verify
# failing, then D. Checks each fixture's row (its verdict, label and name), its log lines, and
# every probe's chip. TOOL is the stand-in's command line; WORKING_SHOT (while A and B run) and
# DONE_SHOT, when not "", get screenshots. Texts in the log are matched in UTF-8 (Linux) or GBK
# (Wine).
station_check_bench() {
    local folder=$1 win=$2 working=$3 finished=$4 found=0 record log i verdict row
    shift 4
    local tool=("$@")
    # station_bench_log TEXT COUNT: waits until COUNT lines of today's log hold TEXT.
    station_bench_log() {
        LC_ALL=C station_wait_log "$folder" "$1|$(printf '%s' "$1" | iconv -f UTF-8 -t GBK)" "$2"
    }
    station_check "every fixture waits for its board" station_bench_log 等待放入电路板 4
    # station_bench_place FIXTURE...: their boards placed, each found in turn, then their labels.
    station_bench_place() {
        local i
        for i in "$@"; do
            station_quiet "${tool[@]}" --board-change --snr "${STATION_BENCH_PROBES[i]}"
            found=$((found + 1))
            station_bench_log 检测到新电路板 "$found" ||
                station_die "the board of ${STATION_BENCH_NAMES[i]} was not found"
        done
        for i in "$@"; do station_scan "$win" "PCB-${STATION_BENCH_NAMES[i]}"; done
    }
    # The first two boards take 6 s to program: long enough to see both tiles working.
    station_bench_standin "$folder" delay_ms=400 program_ms=6000
    station_bench_place 0 1
    station_wait_call "$folder" "\t--snr\t${STATION_BENCH_PROBES[1]}\t.*--program\t" ||
        station_die "B's board was not programmed"
    station_check "A and B program at once: A has no row yet when B's programming starts" \
        test "$(station_rows "$folder")" -le 1
    if [[ -n $working ]]; then
        sleep 1.5  # A's seconds counted and both tiles' first lines shown: the screenshot's moment
        station_screenshot "$win" "$working"
    fi
    station_check "A and B have their rows" station_wait_rows "$folder" 2
    station_bench_standin "$folder" verify=fail
    station_bench_place 2
    station_check "C has its row" station_wait_rows "$folder" 3
    station_bench_standin "$folder"
    station_bench_place 3
    station_check "D has its row" station_wait_rows "$folder" 4
    station_wait_idle
    if [[ -n $finished ]]; then
        sleep 0.5  # the tiles repaint asynchronously
        station_screenshot "$win" "$finished"
    fi
    record=$folder/logs/$(date +%Y-%m-%d).csv
    log=$(station_today_log "$folder")
    for i in 0 1 2 3; do
        local name=${STATION_BENCH_NAMES[i]}
        verdict=PASS
        [[ $i == 2 ]] && verdict=FAIL
        row=$(grep -a ",${STATION_BENCH_PROBES[i]}," "$record" | tr -d '\r')
        station_check "fixture $name: one row, $verdict, its label" \
            test "$(grep -c ",$verdict,.*PCB-$name" <<<"$row")" -eq 1
        station_check "fixture $name's row names it last" test "${row##*,}" = "$name"
        station_check "fixture $name's lines name it" grep -qa "\[$name\] LABEL=PCB-$name" "$log"
        station_check "fixture $name's verdict names it" grep -qaE "\[$name\] SN=[0-9]+ $verdict" "$log"
    done
    station_check "each probe's chip was programmed" \
        test "$(find "$folder/bin" -name 'flash*.bin' | wc -l)" -eq 4
    station_check "four rows in all" test "$(station_rows "$folder")" -eq 5
}
