#!/usr/bin/env bash
# End to end on Windows: a log folder on a disk that fills up. romtool.exe under Wine keeps its
# log and record on drive E:, a 2 MiB file system of its own (a tmpfs, mounted in a mount
# namespace of this script's own, so nothing outside sees it). The disk fills while a run
# works: the board passes, its row waits in memory, and the next press is refused (113). Once
# there is room again, the next press passes, and every row is in the record, in the order of
# the presses.
#   full_disk_e2e_wine.sh BUILD_DIR
# Uses its own Wine prefix, BUILD_DIR/wine-e2e-disk, and ends its Wine server when done. Needs
# the right to make a mount namespace (root, or user namespaces); says so and passes otherwise.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [[ ${ROMTOOL_IN_NAMESPACE:-} != 1 ]]; then
    if ! unshare -m --propagation private true 2>/dev/null; then
        echo "e2e full disk (Wine): skipped, no mount namespace can be made here"
        exit 0
    fi
    ROMTOOL_IN_NAMESPACE=1 exec unshare -m --propagation private "$0" "$@"
fi
# shellcheck source=../../scripts/lib/station.sh
source "$here/../../scripts/lib/station.sh"
build=$(cd "$1" && pwd)

export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEPREFIX=$build/wine-e2e-disk WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
info='\[info \]'
disk=$(mktemp -d)
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    station_stop_xvfb
    umount "$disk" 2>/dev/null || true
    rm -rf "$disk"
}
trap cleanup EXIT
mount -t tmpfs -o size=2m romtool-e2e "$disk" || station_die "cannot mount a small disk"
station_start_xvfb
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    wineboot -i </dev/null >"$build/wineboot-e2e-disk.log" 2>&1 ||
        station_die "wineboot failed, see $build/wineboot-e2e-disk.log"
fi
ln -sfn "$disk" "$WINEPREFIX/dosdevices/e:"

station=$WINEPREFIX/drive_c/Station
rm -rf "$station"
mkdir -p "$station/bin" "$disk/records"
cp "$build/src/shell/win32/romtool.exe" "$station/"
cp "$build/sim/nrfjprog.exe" "$station/bin/"
wine "$build/sim/hexgen.exe" 'C:\Station\merge.hex' --size 4096 </dev/null >/dev/null 2>&1
printf '[log4me]\r\npath=E:\\records\r\nlevel=info\r\n' >"$station/config.ini"
log=$disk/records/$(date +%Y-%m-%d).log
record=$disk/records/$(date +%Y-%m-%d).csv
count() { grep -caE "$1" "$log" 2>/dev/null || true; }
wait_count() {  # PATTERN N: until the log has N lines matching PATTERN
    for _ in $(seq 3300); do
        [[ $(count "$1") -ge $2 ]] && return 0
        sleep 0.1
    done
    return 1
}

(cd "$station" && exec wine 'C:\Station\romtool.exe' </dev/null >/dev/null 2>&1) &
pid=$!
win=$(station_find_window "NRF系列芯片ROM烧写工具") || true
[[ -n $win ]] || station_die "the station window did not appear"
station_wine_client "$win" 704 491 || station_die "no 704 x 491 client area"
wait_count "$info" 3 || true
station_click "$win" Button_CRC
station_confirm_box romtool
wait_count "$info" 7 || true

# The first board: the disk fills while the tool works, before the day's record exists (a file
# that has one would take a few more bytes into its last page of the disk).
printf 'delay_ms=3000\r\n' >"$station/bin/standin.ini"
runs=$(wc -l <"$station/bin/calls.log")
station_click "$win" Button_Start
for _ in $(seq 300); do
    [[ $(wc -l <"$station/bin/calls.log") -ge $((runs + 2)) ]] && break
    sleep 0.1
done
dd if=/dev/zero of="$disk/filler" bs=64k 2>/dev/null || true
station_check "the disk is full" test "$(df --output=avail "$disk" | tail -n 1)" -lt 64
# Neither its verdict nor its row can be written: the report of the row in log4me_err.log, the
# last thing a press writes, shows that the run has ended.
rows_reported() { grep -caF ".csv" "$station/log4me_err.log" 2>/dev/null || true; }
wait_reported() {
    for _ in $(seq 3300); do
        [[ $(rows_reported) -ge $1 ]] && return 0
        sleep 0.1
    done
    return 1
}
station_check "the first board's row waits in memory, and the line engineer can read why" \
    wait_reported 1
runs=$(wc -l <"$station/bin/calls.log")
station_click "$win" Button_Start
station_check "the second press's row waits too" wait_reported 2
station_check "the second press ran the probe query only" \
    test "$(wc -l <"$station/bin/calls.log")" -eq $((runs + 1))

# Room again: the third press passes, and everything that waited goes first.
rm -f "$disk/filler"
station_click "$win" Button_Start
wait_count 'Verify OK' 2
station_click "$win" Button_Exit
timeout 60 tail --pid="$pid" -f /dev/null || true
wait "$pid" || true

station_check "every press has its row, in order: PASS, FAIL 113, PASS" test \
    "$(tail -n +2 "$record" | tr -d '\r' | cut -d, -f8,9 | tr '\n' ' ')" = "PASS,0 FAIL,113 PASS,0 "
station_check "the rows' times are in order" sort -c <(tail -n +2 "$record" | cut -d, -f1)
station_check "the log has the operator's line about the waiting row" \
    grep -qaF "$(printf '%s' 'ERROR:生产记录' | iconv -f UTF-8 -t GBK)" "$log"
station_check "the log has the refusal (113)" \
    grep -qaF "$(printf '%s' 'ERROR:日志目录E:\records不能写入（磁盘空间不足' | iconv -f UTF-8 -t GBK)" "$log"
station_check "the stop line comes last" test \
    "$(tail -n 1 "$log" | tr -d '\r' | cut -d' ' -f2-)" = "[info ]log4me:application stoping...."

echo "e2e full disk (Wine): $STATION_PASSED passed, $STATION_FAILED failed"
[[ $STATION_FAILED -eq 0 ]]
