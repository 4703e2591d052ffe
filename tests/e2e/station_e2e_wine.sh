#!/usr/bin/env bash
# End to end on Windows: the cross-built romtool.exe under Wine (zh_CN locale, ANSI code page
# 936) in Xvfb, in the station folder C:\Station with the stand-in nrfjprog.exe, driven by clicks.
# Checks the daily log's bytes (GBK), the checksum file and the stand-in's calls, that a second
# copy ends without running the tool, that Alt+S starts a run, that input and a close during a
# run wait for its end, and saves screenshots of Ready, PASS and FAIL. At a DPI other than 96
# (Wine's LogPixels) the window and every click scale with it.
#   station_e2e_wine.sh BUILD_DIR SCREENSHOT_DIR [DPI]
# Uses its own Wine prefix, BUILD_DIR/wine-e2e (wine-e2e-DPI), and ends its Wine server when done.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"
e2e_trace_failures
build=$(cd "$1" && pwd)
mkdir -p "$2"
shots=$(cd "$2" && pwd)

calls() { station_calls "$station"; }
# wait_calls N: until the stand-in has been started N times in all.
wait_calls() {
    for _ in $(seq 600); do
        [[ $(calls) -ge $1 ]] && return 0
        sleep 0.1
    done
    echo "e2e: the stand-in was not started $1 times" >&2
    return 1
}
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
# Wine copies what a window painted to the X server a moment after the painting: give it that
# moment before each screenshot (the station is idle by then, or deliberately working).
settle() { sleep 0.5; }
shot() {
    settle
    import -window "$win" "$shots/$1.png"
}
# With the message box over the window, which is a window of its own.
shot_with_box() {
    settle
    station_screenshot "$win" "$shots/$1.png"
}

trap e2e_wine_cleanup EXIT
e2e_wine_setup "$build" wine-e2e "${3:-96}"
e2e_wine_station "$build"
station=$STATION
log=$(station_today_log "$station")
info='\[info \]'

# First start: start line, self-check line, the first refresh (FAIL 104: no checksum file yet).
e2e_start_wine "$station" 'C:\Station\romtool.exe'
first_pid=$E2E_PID
win=$(station_find_window "NRF系列芯片ROM烧写工具") || true
[[ -n $win ]] || station_die "the station window did not appear"
# The client area is 704 x 491 at 96 DPI and scales with the DPI (1056 x 737 at 144).
client_width=$(station_scaled 704)
client_height=$(station_scaled 491)
station_check "the window's client area is $client_width x $client_height at $STATION_DPI DPI" \
    station_wine_client "$win" "$client_width" "$client_height"
station_check_first_start "$station" "$(gbk 程序启动自检)" \
    "$(gbk 'ERROR:C:\Station\merge.hex的crc文件不存在，请先生成校验文件。')"
station_check "the first refresh ran the probe query once, in bin\\" \
    test "$(tr -d '\r' <"$station/bin/calls.log")" = $'C:\\Station\\bin\\\t-i'
station_wait_idle
shot no-checksum

# A second copy under the same title ends by itself and never runs the programmer.
station_check_second_copy "$station" "$first_pid" env -C "$station" wine 'C:\Station\romtool.exe'

# Write the checksum: the box titled with the application title, then the refresh says Ready.
station_write_checksum "$station" "$win" shot_with_box crc-ok
shot ready

# Program and verify, with erase (checked at start): "CRC=", "Para=", then PASS.
station_program "$station" "$win" \
    '"C:\Station\bin\nrfjprog.exe" -e --program "C:\Station\merge.hex"  --verify --rbp ALL --pinreset  ' \
    $'\t-e\t--program\tC:\\Station\\merge.hex\t--verify\t--rbp\tALL\t--pinreset'
shot pass

# Program again without erasing: the chip is protected since the last run, so the stand-in refuses
# it; the verdict is FAIL.
station_press "$win" cb_erase
infos=$(station_count "$station" "$info")
errors=$(station_count "$station" '\[error\]')
station_press "$win" Button_Start
station_wait_log "$station" "$info" $((infos + 3)) 330
station_wait_idle
station_check "the run without erase left the option out" grep -qaF \
    $'\t--program\tC:\\Station\\merge.hex\t--verify' <(tail -n 1 "$station/bin/calls.log")
station_check "the failed run is logged as an error" test "$(station_count "$station" '\[error\]')" -eq $((errors + 1))
station_check "the failure's last line is message 107" grep -qaF "$(gbk 'ERROR:写入hex文件失败。')" "$log"
shot fail
station_press "$win" cb_erase

# The option list: the tool's own text in the text area; nothing is logged.
lines=$(wc -l <"$log")
station_press "$win" Button_Help
station_check "the option list ran the tool with -h" station_wait_call "$station" '\t-h\r?$'
station_wait_idle
station_check "the option list logged nothing" test "$(wc -l <"$log")" -eq "$lines"

# While a slow tool works, its lines come into the text area as it prints them and the seconds it
# has run show under the version (see the screenshot); then the verdict as ever.
printf 'line_delay_ms=500\r\n' >"$station/bin/standin.ini"
infos=$(station_count "$station" "$info")
station_press "$win" Button_Start
station_wait_log "$station" "$info" $((infos + 2))  # "CRC=" and "Para=": the run has begun
sleep 2.2  # some of its lines shown, and the seconds counted: the screenshot's moment
shot working
station_wait_log "$station" "$info" $((infos + 3)) 330
station_wait_idle
station_check "the slow run passed" grep -qa 'Verify OK' <(tail -n 12 "$log")

# Input during a run waits: Alt+S starts a slow run, and a click on 刷新信息 while the tool
# programs runs after the run has shown its verdict. The run is long enough for win_helper.exe to
# start under Wine and look at the window meanwhile.
printf 'delay_ms=4000\r\n' >"$station/bin/standin.ini"
runs=$(calls)
infos=$(station_count "$station" "$info")
station_wait_idle
xdotool key --window "$win" alt+s 2>/dev/null
wait_calls $((runs + 2))
station_check "win_helper.exe sees the station busy while the tool runs" \
    test "$(wine "$E2E_WIN_HELPER" idle romtool.exe 0 </dev/null 2>/dev/null | tr -d '\r')" = busy
station_click "$win" Button_GetJlink  # during the run, on purpose
station_wait_log "$station" "$info" $((infos + 4)) 330
station_wait_idle
station_check "Alt+S started a run, and the click during it refreshed after it" test \
    "$(tail -n 3 "$station/bin/calls.log" | cut -f2 | tr -d '\r' | tr '\n' ' ')" = "-i -e -i "
station_check "the run's PASS was logged before the refresh ran" \
    grep -qa 'Verify OK' <(tail -n +"$((lines + 1))" "$log")

# A double click on 开始 and Alt+S while a slow run works: the presses are dropped, so the
# board is programmed once and has one row. A refresh after the verdict shows the order.
record_rows() { tail -n +2 "$station/logs/$(date +%Y-%m-%d).csv" 2>/dev/null | wc -l; }
runs=$(calls)
rows_before=$(record_rows)
infos=$(station_count "$station" "$info")
station_press "$win" Button_Start
wait_calls $((runs + 2))
station_click "$win" Button_Start --repeat 2 --delay 80  # during the run, on purpose
xdotool key --window "$win" alt+s 2>/dev/null
station_wait_log "$station" "$info" $((infos + 3)) 330
station_press "$win" Button_GetJlink
station_wait_log "$station" "$info" $((infos + 4)) 330
station_wait_idle
station_check "presses during a run were dropped: one run, then the refresh" test \
    "$(tail -n 3 "$station/bin/calls.log" | cut -f2 | tr -d '\r' | tr '\n' ' ')" = "-i -e -i "
station_check "the board has one row" test "$(record_rows)" -eq $((rows_before + 1))

# Each chip known and numbered: three boards, the second failing.
station_check_numbered_boards "$station" "$win" wine 'C:\Station\bin\nrfjprog.exe' --board-change

# Hands free: a board placed in the fixture starts its press by itself.
station_check_autostart "$station" "$win" "$shots/autostart.png" wine 'C:\Station\bin\nrfjprog.exe'
# Both together: each board's label scanned (typed, then Enter) once the station has found it;
# label.png shows the field while the station waits for a board.
STATION_LABELS=yes station_check_autostart "$station" "$win" "$shots/label.png" \
    wine 'C:\Station\bin\nrfjprog.exe'

# Every chip a line programs: a two-core nRF5340 and a factory-protected nRF52840, with each
# programmer.
station_check_families "$station" "$win" "" nrfjprog nrfutil

# The factory's MES through WinHTTP: a label let in, one refused, three presses while it is away,
# and every report once, in order, when it is back.
station_check_mes "$station" "$win" ""

# A close during a run takes effect after it: the run ends, its verdict is logged, then the
# stop line.
runs=$(calls)
lines=$(wc -l <"$log")
station_press "$win" Button_Start
wait_calls $((runs + 2))
station_click "$win" Button_Exit  # during the run, on purpose
station_check_closed "$station" "$first_pid"
station_check "the run finished before the window closed" \
    grep -qa 'Verify OK' <(tail -n +"$((lines + 1))" "$log")
station_check "nothing ran after the close" test "$(calls)" -eq $((runs + 2))

# Two probes on one PC: two copies of the program in the folder, titled Line1 and Line2, each
# bound to its own probe in config.ini, side by side, each programming through its own probe.
# Each is pressed (Alt+S) while its window is the newest, which Wine gives the keyboard, once its
# first refresh has ended: a press during it would be dropped.
station_bind_two_probes "$station"
verdicts=$(station_count "$station" 'Verify OK')
shown=()
for copy in Line1:682123456 Line2:682000777; do
    name=${copy%%:*}
    serial=${copy#*:}
    cp "$station/romtool.exe" "$station/$name.exe"
    e2e_start_wine "$station" "C:\\Station\\$name.exe"
    newest=
    for _ in $(seq 300); do
        for w in $(xdotool search --onlyvisible --name "NRF系列芯片ROM烧写工具" 2>/dev/null); do
            [[ " ${shown[*]} " == *" $w "* ]] || newest=$w
        done
        [[ -n $newest ]] && break
        sleep 0.1
    done
    [[ -n $newest ]] || station_die "$name's window did not appear"
    shown+=("$newest")
    E2E_EXE=$name.exe station_wait_idle
    xdotool key --window "$newest" alt+s 2>/dev/null
    station_check "$name programmed through its probe $serial" \
        station_wait_call "$station" "\t--snr\t$serial\t-e\t--program\t"
done
station_check "both copies run side by side" test "${#shown[@]}" -eq 2
station_check_two_probes_programmed "$station" "$verdicts"

e2e_finish "e2e (Wine, $STATION_DPI DPI, screenshots in $shots)" || exit 1
