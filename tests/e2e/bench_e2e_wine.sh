#!/usr/bin/env bash
# End to end on Windows: a bench of four fixtures in romtool.exe's one window, under Wine (zh_CN,
# code page 936) in Xvfb, in the station folder C:\Station. Autostart and labels on; the boards
# are placed at different times (two pressed at once, then one whose verify fails, then the
# last), each label scanned once its board is found; every row names its fixture's probe and
# label, every probe's chip holds its board, every log line of a press names its fixture (the
# daily log is GBK). Screenshots of the tiles while two run and at the end.
#   bench_e2e_wine.sh BUILD_DIR SCREENSHOT_DIR [DPI]
# Uses its own Wine prefix, BUILD_DIR/wine-bench (wine-bench-DPI), and ends its Wine server.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"
e2e_trace_failures
build=$(cd "$1" && pwd)
mkdir -p "$2"
shots=$(cd "$2" && pwd)
export STATION_DPI=${3:-96}
prefix=wine-bench
[[ $STATION_DPI -eq 96 ]] || prefix+=-$STATION_DPI
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
# Wine copies what a window painted to the X server a moment after the painting.
shot() {
    sleep 0.5
    station_screenshot "$win" "$shots/$1.png"
}

# Four tiles at 144 DPI make the window taller than 800 pixels.
export STATION_SCREEN=1600x1400x24
trap e2e_wine_cleanup EXIT
e2e_wine_setup "$build" "$prefix"
station_quiet wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$STATION_DPI" /f ||
    station_die "cannot set Wine's DPI to $STATION_DPI"

station=$WINEPREFIX/drive_c/Station
rm -rf "$station"
mkdir -p "$station/bin" "$station/logs"
cp "$build/src/shell/win32/romtool.exe" "$station/"
cp "$build/sim/nrfjprog.exe" "$station/bin/"
station_quiet wine "$build/sim/hexgen.exe" 'C:\Station\merge.hex' --size 24576 --seed 7
probes=(682000001 682000002 682000003 682000004)
names=(A B C D)
serials=$(IFS=,; echo "${probes[*]}")
{
    printf '[log4me]\r\npath=logs\r\nlevel=info\r\n'
    printf '[serial]\r\naddress=0x10001080\r\nfirst=100000\r\nlast=199999\r\n'
    printf '[station]\r\nautostart=yes\r\nautostart_settle_ms=300\r\nautostart_absent_ms=300\r\n'
    printf '[trace]\r\nlabel=yes\r\n'
    for i in 0 1 2 3; do
        printf '[fixture%d]\r\nprobe=%s\r\nname=%s\r\n' $((i + 1)) "${probes[i]}" "${names[i]}"
    done
} >"$station/config.ini"
# The first two boards take 6 s to program: long enough to see both tiles working.
printf 'serial=%s\r\ndelay_ms=400\r\nprogram_ms=6000\r\n' "$serials" >"$station/bin/standin.ini"
tool() { station_quiet wine 'C:\Station\bin\nrfjprog.exe' "$@"; }
for probe in "${probes[@]}"; do tool --board-out --snr "$probe"; done

e2e_start_wine "$station" 'C:\Station\romtool.exe'
win=$(station_find_window "NRF系列芯片ROM烧写工具") || true
[[ -n $win ]] || station_die "the window did not appear"
# The window grows with its tiles: where its client area starts is asked of the window itself.
offset=$(wine "$E2E_WIN_HELPER" client romtool.exe </dev/null 2>>"$STATION_QUIET_LOG" | tr -d '\r') ||
    station_die "no client area of the station window (win_helper said '$offset')"
export STATION_CLIENT_OFFSET=$offset
station_wait_idle
station_press "$win" Button_CRC
station_confirm_box romtool
station_wait_idle
station_check "the checksum file is written" test -s "$station/merge.crc"
# Every fixture seen empty first: only a board placed after that is new.
# wait_log TEXT COUNT: until today's log (GBK) has COUNT lines holding TEXT, matched byte for byte.
wait_log() { LC_ALL=C station_wait_log "$station" "$(gbk "$1")" "$2"; }
station_check "every fixture waits for its board" wait_log 等待放入电路板 4
found=0
# place FIXTURE...: boards into those fixtures, each found before the next is placed (a label
# goes to the board that arrived first, so the order must be known), then the labels scanned.
place() {
    local i
    for i in "$@"; do
        tool --board-change --snr "${probes[i]}"
        found=$((found + 1))
        wait_log 检测到新电路板 "$found" ||
            station_die "the board of ${names[i]} was not found"
    done
    for i in "$@"; do station_scan "$win" "PCB-${names[i]}"; done
}
place 0 1
station_wait_call "$station" "\t--snr\t${probes[1]}\t.*--program\t" ||
    station_die "B's board was not programmed"
station_check "A and B program at once: A has no row yet when B's programming starts" \
    test "$(station_rows "$station")" -le 1
sleep 1.5  # A's seconds counted and both tiles' first lines shown: the screenshot's moment
shot bench-working
station_check "A and B have their rows" station_wait_rows "$station" 2
printf 'serial=%s\r\nverify=fail\r\n' "$serials" >"$station/bin/standin.ini"
place 2
station_check "C has its row" station_wait_rows "$station" 3
printf 'serial=%s\r\n' "$serials" >"$station/bin/standin.ini"
place 3
station_check "D has its row" station_wait_rows "$station" 4
station_wait_idle
shot bench
record=$station/logs/$(date +%Y-%m-%d).csv
log=$(station_today_log "$station")
row_of() { grep -a ",${1}," "$record" | tr -d '\r'; }
for i in 0 1 2 3; do
    verdict=PASS
    [[ $i == 2 ]] && verdict=FAIL
    station_check "fixture ${names[i]}: one row, ${verdict}, its label" \
        test "$(row_of "${probes[i]}" | grep -c ",$verdict,.*PCB-${names[i]}")" -eq 1
    station_check "fixture ${names[i]}'s row names it last" \
        test "$(row_of "${probes[i]}" | awk -F, '{ print $NF }')" = "${names[i]}"
    station_check "fixture ${names[i]}'s lines name it" grep -qa "\[${names[i]}\] LABEL=PCB-${names[i]}" "$log"
    station_check "fixture ${names[i]}'s verdict names it" grep -qaE "\[${names[i]}\] SN=[0-9]+ $verdict" "$log"
done
station_check "each probe's chip was programmed" test "$(ls "$station/bin/"flash*.bin | wc -l)" -eq 4
station_check "four rows in all" test "$(station_rows "$station")" -eq 5
e2e_finish "bench e2e (Wine, $STATION_DPI DPI, screenshots in $shots)" || exit 1
