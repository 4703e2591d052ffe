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
export STATION_SCREEN="$(station_scaled 1280)x$(station_scaled 720)x24"

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
station_bench_layout "$station"
station_bench_hands_free "$station"
station_start_xvfb
tool=("$station/bin/nrfjprog")
for probe in "${STATION_BENCH_PROBES[@]}"; do station_quiet "${tool[@]}" --board-out --snr "$probe"; done
( cd "$station" && exec "$station/benchtool" ) </dev/null >>"$STATION_QUIET_LOG" 2>&1 &
pid=$!
win=$(station_find_window "NRF系列芯片ROM烧写工具") || true
[[ -n $win ]] || station_die "the window did not appear"
STATION_WINDOW=$win
station_wait_idle
station_press "$win" Button_CRC
station_confirm_box benchtool
station_wait_idle
station_check_bench "$station" "$win" "${shots:+$shots/bench-working-${dpi}dpi.png}" \
    "${shots:+$shots/bench-${dpi}dpi.png}" "${tool[@]}"
e2e_finish "bench e2e" || exit 1
