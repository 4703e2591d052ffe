#!/usr/bin/env bash
# End to end: a bench of four fixtures in one window, under Xvfb. Autostart and labels on; the
# boards are placed at different times (two pressed at once, then one whose verify fails, then the
# last), each label scanned once its board is found; every row names its fixture's probe and
# label, every probe's chip holds its board, every log line of a press names its fixture.
#   bench_e2e.sh ROMTOOL STANDIN NRFUTIL HEXGEN [SCREENSHOTS [DPI]]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"
e2e_trace_failures
STATION_IDLE_COMMAND=station_qt_wait_idle
export ROMTOOL_EXE=$1 STANDIN_EXE=$2 NRFUTIL_EXE=$3 HEXGEN_EXE=$4
shots=${5:-}
dpi=${6:-96}
export QT_SCALE_FACTOR
QT_SCALE_FACTOR=$(awk -v d="$dpi" 'BEGIN { print d / 96 }')
STATION_DPI=$dpi
# A 1920 x 1080 screen at 150 % (144 DPI), and as much at 96 DPI: the window fits it.
STATION_SCREEN="$(station_scaled 1280)x$(station_scaled 720)"

station=$(mktemp -d)
cleanup() {
    [[ -n ${pid:-} ]] && kill "$pid" 2>/dev/null
    station_stop_xvfb
    rm -rf "$station"
}
trap cleanup EXIT
station_layout "$station" /nonexistent
# Its own title, so that no other copy of the station on this machine stands in its way.
mv "$station/romtool" "$station/benchtool"
probes=(682000001 682000002 682000003 682000004)
names=(A B C D)
printf '[serial]\r\naddress=0x10001080\r\nfirst=100000\r\nlast=199999\r\n' >>"$station/config.ini"
for i in 0 1 2 3; do
    printf '[fixture%d]\r\nprobe=%s\r\nname=%s\r\n' $((i + 1)) "${probes[i]}" "${names[i]}" \
        >>"$station/config.ini"
done
station_set_key "$station" station autostart yes
station_set_key "$station" station autostart_settle_ms 300
station_set_key "$station" station autostart_absent_ms 300
station_set_key "$station" trace label yes
printf 'serial=%s\r\ndelay_ms=400\r\n' "$(IFS=,; echo "${probes[*]}")" >"$station/bin/standin.ini"
station_start_xvfb
tool() { station_quiet "$station/bin/nrfjprog" "$@"; }
for probe in "${probes[@]}"; do tool --board-out --snr "$probe"; done
( cd "$station" && exec "$station/benchtool" ) </dev/null >>"$STATION_QUIET_LOG" 2>&1 &
pid=$!
win=$(station_find_window "NRF系列芯片ROM烧写工具") || true
[[ -n $win ]] || station_die "the window did not appear"
STATION_WINDOW=$win
station_wait_idle
station_press "$win" Button_CRC
station_confirm_box benchtool
station_wait_idle
# Every fixture seen empty first: only a board placed after that is new.
station_check "every fixture waits for its board" station_wait_log "$station" "等待放入电路板" 4
found=0
# place FIXTURE...: boards into those fixtures, each found before the next is placed (a label
# goes to the board that arrived first, so the order must be known), then the labels scanned.
place() {
    local i
    for i in "$@"; do
        tool --board-change --snr "${probes[i]}"
        found=$((found + 1))
        station_check "the board of ${names[i]} is found" \
            station_wait_log "$station" "检测到新电路板" "$found"
    done
    for i in "$@"; do station_scan "$win" "PCB-${names[i]}"; done
}
place 0 1
[[ -z $shots ]] || { sleep 1.5; station_screenshot "$win" "$shots/bench-working-${dpi}dpi.png"; }
# Today's record: its header, then a line per press.
station_check "A and B have their rows" station_wait_rows "$station" 2
printf 'serial=%s\r\nverify=fail\r\n' "$(IFS=,; echo "${probes[*]}")" >"$station/bin/standin.ini"
place 2
station_check "C has its row" station_wait_rows "$station" 3
printf 'serial=%s\r\n' "$(IFS=,; echo "${probes[*]}")" >"$station/bin/standin.ini"
place 3
station_check "D has its row" station_wait_rows "$station" 4
sleep 1  # the tiles repaint asynchronously
[[ -z $shots ]] || station_screenshot "$win" "$shots/bench-${dpi}dpi.png"
record=$station/logs/$(date +%Y-%m-%d).csv
row_of() { grep -a ",${1}," "$record" | tr -d '\r'; }
for i in 0 1 2 3; do
    verdict=PASS
    [[ $i == 2 ]] && verdict=FAIL
    station_check "fixture ${names[i]}: one row, ${verdict}, its label" \
        test "$(row_of "${probes[i]}" | grep -c ",$verdict,.*PCB-${names[i]}")" -eq 1
    station_check "fixture ${names[i]}'s lines name it" \
        grep -qa "\[${names[i]}\] LABEL=PCB-${names[i]}" "$(station_today_log "$station")"
done
station_check "each probe's chip was programmed" test "$(ls "$station/bin/"flash*.bin | wc -l)" -eq 4
station_check "four rows in all" test "$(station_rows "$station")" -eq 5
e2e_finish "bench e2e" || exit 1
