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

# Four tiles at 144 DPI make the window taller than 800 pixels.
export STATION_SCREEN=1600x1400x24
trap e2e_wine_cleanup EXIT
e2e_wine_setup "$build" wine-bench "${3:-96}"
e2e_wine_station "$build"
station=$STATION
station_bench_layout "$station"
station_bench_hands_free "$station"
tool=(wine 'C:\Station\bin\nrfjprog.exe')
for probe in "${STATION_BENCH_PROBES[@]}"; do station_quiet "${tool[@]}" --board-out --snr "$probe"; done

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
station_check_bench "$station" "$win" "$shots/bench-working.png" "$shots/bench.png" "${tool[@]}"
e2e_finish "bench e2e (Wine, $STATION_DPI DPI, screenshots in $shots)" || exit 1
