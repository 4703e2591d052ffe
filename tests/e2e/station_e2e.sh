#!/usr/bin/env bash
# End to end: the built program in a station folder of its own, under Xvfb, driven by clicks.
# Checks what it writes to the daily log and what the stand-in programmer was asked to do, and
# that a second copy under the same title ends by itself without running the programmer.
#   station_e2e.sh ROMTOOL STANDIN NRFUTIL HEXGEN
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"
e2e_trace_failures
STATION_IDLE_COMMAND=station_qt_wait_idle
export ROMTOOL_EXE=$1 STANDIN_EXE=$2 NRFUTIL_EXE=$3 HEXGEN_EXE=$4

calls() { station_calls "$station"; }

station=$(mktemp -d)
cleanup() {
    [[ -n ${first_pid:-} ]] && kill "$first_pid" 2>/dev/null
    station_mes_stop
    station_stop_xvfb
    rm -rf "$station"
}
trap cleanup EXIT
station_layout "$station" /nonexistent
station_start_xvfb
info='\[info \]'

# First start: start line, self-check line, the first refresh (FAIL 104: no checksum file yet).
"$station/romtool" </dev/null >>"$STATION_QUIET_LOG" 2>&1 &
first_pid=$!
win=$(station_find_window "NRF系列芯片ROM烧写工具") || true
[[ -n $win ]] || station_die "the window did not appear"
STATION_WINDOW=$win
# The verdict's text is logged at both levels; the message is its last line.
station_check_first_start "$station" 程序启动自检 \
    "ERROR:$station/merge.hex的crc文件不存在，请先生成校验文件。"
station_check "the first refresh ran the probe query once" test "$(calls)" -eq 1
station_check "the probe query ran in bin/" grep -qaP "^$station/bin/?\t-i\$" "$station/bin/calls.log"

# A second copy under the same title ends by itself and never runs the programmer.
station_check_second_copy "$station" "$first_pid" "$station/romtool"

# The first copy keeps working: write the checksum, then program and verify.
station_write_checksum "$station" "$win"
station_program "$station" "$win" \
    "'$station/bin/nrfjprog' -e --program '$station/merge.hex'  --verify --rbp ALL --pinreset  " \
    $'\t-e\t--program\t'"$station/merge.hex"$'\t--verify\t--rbp\tALL\t--pinreset'

# While a run works the window says so (what every click waits on): its role is "romtool-busy".
printf 'delay_ms=2000\r\n' >"$station/bin/standin.ini"
runs=$(calls)
station_press "$win" Button_Start
for _ in $(seq 300); do
    [[ $(calls) -ge $((runs + 2)) ]] && break
    sleep 0.1
done
role() { xprop -id "$win" WM_WINDOW_ROLE | sed 's/^[^=]*= *//'; }
station_check "the window is marked busy while the tool runs" test "$(role)" = '"romtool-busy"'
station_wait_idle
station_check "and no longer once the run has ended" test -z "$(role)"
rm -f "$station/bin/standin.ini"

# Each chip known and numbered: three boards, the second failing.
station_check_numbered_boards "$station" "$win" "$station/bin/nrfjprog" --board-change

# Hands free: a board placed in the fixture starts its press by itself.
station_check_autostart "$station" "$win" "${E2E_AUTOSTART_SHOT:-}" "$station/bin/nrfjprog"
# Both together: each board's label scanned once the station has found the board; the rows carry
# them.
STATION_LABELS=yes station_check_autostart "$station" "$win" "" "$station/bin/nrfjprog"

# Every chip a line programs: a two-core nRF5340 and a factory-protected nRF52840, with each
# programmer.
station_check_families "$station" "$win" "" nrfjprog nrfutil

# The factory's MES: a label it refuses is no press; away for three presses and back, it takes
# every report in order, exactly once.
station_check_mes "$station" "$win" "${E2E_MES_SHOTS:-}"

# The log folder removed while the station runs: the refresh says so on screen (109), its lines
# cannot be written and log4me_err.log tells why. Made again, the next refresh's lines land in
# a new daily file instead of the deleted one.
err_lines() { grep -caF "Cannot create file" "$station/log4me_err.log" 2>/dev/null || echo 0; }
rm -rf "$station/logs"
station_press "$win" Button_GetJlink
for _ in $(seq 300); do
    [[ $(err_lines) -ge 2 ]] && break
    sleep 0.1
done
station_wait_idle
station_check "the lines lost with the log folder are reported" test "$(err_lines)" -ge 2
station_check "the report names the daily file" grep -qaF "/logs/$(date +%Y-%m-%d).log\"" \
    "$station/log4me_err.log"
mkdir "$station/logs"
station_press "$win" Button_GetJlink
station_wait_log "$station" "$info" 1
station_wait_idle
station_check "after the folder is made again the refresh is logged" test "$(station_count "$station" "$info")" -ge 1

# The exit button closes the window; the stop line is the last line of the log.
station_press "$win" Button_Exit
station_check_closed "$station" "$first_pid"
first_pid=

# Two probes on one PC: two copies of the program in the folder, titled Line1 and Line2, each
# bound to its own probe in config.ini, each programming through it.
station_bind_two_probes "$station"
verdicts=$(station_count "$station" 'Verify OK')
pids=()
for copy in Line1 Line2; do
    cp "$station/romtool" "$station/$copy"
    "$station/$copy" </dev/null >>"$STATION_QUIET_LOG" 2>&1 &
    pids+=($!)
done
# Side by side, so that each click lands on its own window, once its first refresh has ended: a
# press during it would be dropped.
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
    STATION_WINDOW=$copy_win station_press "$copy_win" Button_Start
done
for serial in 682123456 682000777; do
    station_check "a copy programmed through probe $serial" \
        station_wait_call "$station" "\t--snr\t$serial\t-e\t--program\t"
done
station_check_two_probes_programmed "$station" "$verdicts"
for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
done

e2e_finish "e2e" || exit 1
