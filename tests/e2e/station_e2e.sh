#!/usr/bin/env bash
# End to end: the built program in a station folder of its own, under Xvfb, driven by clicks.
# Checks what it writes to the daily log and what the stand-in programmer was asked to do, and
# that a second copy under the same title ends by itself without running the programmer.
#   station_e2e.sh ROMTOOL STANDIN NRFUTIL HEXGEN
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/lib/station.sh
source "$here/../../scripts/lib/station.sh"
export ROMTOOL_EXE=$1 STANDIN_EXE=$2 NRFUTIL_EXE=$3 HEXGEN_EXE=$4

calls() { station_calls "$station"; }
last_line() { tail -n 1 "$log" | tr -d '\r'; }

station=$(mktemp -d)
cleanup() {
    [[ -n ${first_pid:-} ]] && kill "$first_pid" 2>/dev/null
    station_stop_xvfb
    rm -rf "$station"
}
trap cleanup EXIT
station_layout "$station" /nonexistent
station_start_xvfb
log=$(station_today_log "$station")
info='\[info \]'

# First start: start line, self-check line, the first refresh (FAIL 104: no checksum file yet).
"$station/romtool" &
first_pid=$!
win=$(station_find_window "NRF系列芯片ROM烧写工具") || true
station_check "the window appears" test -n "$win"
station_wait_log "$station" "$info" 3
station_check "the start line comes first" grep -qa '\[info \]log4me:application starting\.\.\.\.' <(head -n1 "$log")
station_check "the self-check line is logged" grep -qa '\[info \]程序启动自检' "$log"
# The verdict's text is logged at both levels; the message is its last line.
station_check "the first refresh reports the missing checksum file at both levels" test \
    "$(grep -caF "ERROR:$station/merge.hex的crc文件不存在，请先生成校验文件。" "$log")" -eq 2
station_check "the first refresh ran the probe query once" test "$(calls)" -eq 1
station_check "the probe query ran in bin/" grep -qaP "^$station/bin/?\t-i\$" "$station/bin/calls.log"

# A second copy under the same title ends by itself and never runs the programmer.
set +e
timeout 60 "$station/romtool"
second=$?
set -e
station_check "the second copy ends by itself (status $second)" test "$second" -eq 0
station_check "the second copy did not run the programmer" test "$(calls)" -eq 1
station_check "the first copy still runs" kill -0 "$first_pid"

# The first copy keeps working: write the checksum, then program and verify.
infos=$(station_count "$station" "$info")
station_click "$win" Button_CRC
# The box is titled with the application title: the executable's name, "romtool".
box=$(station_box romtool) || true
station_check "the checksum box appears" test -n "$box"
station_check "the checksum file holds 32 bytes" test "$(stat -c %s "$station/merge.crc" 2>/dev/null)" = 32
station_confirm_box romtool
station_wait_log "$station" "$info" $((infos + 4))
station_check "the refresh after writing the checksum says ready" test "$(calls)" -eq 2

infos=$(station_count "$station" "$info")
station_click "$win" Button_Start
station_wait_log "$station" "$info" $((infos + 3)) 330
station_check "the run logs the verified checksum" \
    grep -qaE "\[info \]CRC=[0-9A-F]{32}\$" <(tr -d '\r' <"$log")
station_check "the run logs the exact command" grep -qaF \
    "[info ]Para='$station/bin/nrfjprog' -e --program '$station/merge.hex'  --verify --rbp ALL --pinreset  " "$log"
station_check "the stand-in got the image as one argument" grep -qaP \
    "\t-e\t--program\t$station/merge.hex\t--verify\t--rbp\tALL\t--pinreset\$" "$station/bin/calls.log"
station_check "the run passed" grep -qa 'Verify OK' "$log"
station_check "no error line after the first refresh" test "$(station_count "$station" '\[error\]')" -eq 1

# The log folder removed while the station runs: the refresh says so on screen (109), its lines
# cannot be written and log4me_err.log tells why. Made again, the next refresh's lines land in
# a new daily file instead of the deleted one.
err_lines() { grep -caF "Cannot create file" "$station/log4me_err.log" 2>/dev/null || echo 0; }
rm -rf "$station/logs"
station_click "$win" Button_GetJlink
for _ in $(seq 300); do
    [[ $(err_lines) -ge 2 ]] && break
    sleep 0.1
done
station_check "the lines lost with the log folder are reported" test "$(err_lines)" -ge 2
station_check "the report names the daily file" grep -qaF "/logs/$(date +%Y-%m-%d).log\"" \
    "$station/log4me_err.log"
mkdir "$station/logs"
station_click "$win" Button_GetJlink
station_wait_log "$station" "$info" 1
station_check "after the folder is made again the refresh is logged" test "$(station_count "$station" "$info")" -ge 1

# The exit button closes the window; the stop line is the last line of the log.
station_click "$win" Button_Exit
set +e
timeout 30 tail --pid="$first_pid" -f /dev/null
wait "$first_pid"
status=$?
set -e
first_pid=
station_check "the program ends with status 0 (was $status)" test "$status" -eq 0
station_check "the stop line comes last" test "$(last_line)" != "" -a \
    "$(last_line | cut -d' ' -f2-)" = "[info ]log4me:application stoping...."

# Two probes on one PC: two copies of the program in the folder, titled Line1 and Line2, each
# bound to its own probe in config.ini, each programming through it.
printf 'serial=682123456,682000777\n' >"$station/bin/standin.ini"
printf '[station]\r\nprobe.Line1=682123456\r\nprobe.Line2=682000777\r\n' >>"$station/config.ini"
runs=$(calls)
pids=()
for copy in Line1 Line2; do
    cp "$station/romtool" "$station/$copy"
    "$station/$copy" &
    pids+=($!)
done
for _ in $(seq 600); do  # both first refreshes ran their probe queries
    [[ $(calls) -ge $((runs + 2)) ]] && break
    sleep 0.1
done
# Side by side, so that each click lands on its own window.
left=0
copy_wins=()
for pid in "${pids[@]}"; do
    copy_win=$(station_find_window_of "$pid") || true
    station_check "the copy $pid shows its window" test -n "$copy_win"
    xdotool windowmove --sync "$copy_win" "$left" 0
    left=$((left + 560))
    copy_wins+=("$copy_win")
done
for copy_win in "${copy_wins[@]}"; do
    station_click "$copy_win" Button_Start
done
for serial in 682123456 682000777; do
    station_check "a copy programmed through probe $serial" \
        station_wait_call "$station" "\t--snr\t$serial\t-e\t--program\t"
done
station_check "each probe has its own flash" station_wait_file "$station/bin/flash-682000777.bin"
for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
done

echo "e2e: $STATION_PASSED passed, $STATION_FAILED failed"
[[ $STATION_FAILED -eq 0 ]]
