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
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"
e2e_trace_failures
build=$(cd "$1" && pwd)

disk=$(mktemp -d)
cleanup() {
    e2e_wine_cleanup
    umount "$disk" 2>/dev/null || true
    rm -rf "$disk"
}
trap cleanup EXIT
mount -t tmpfs -o size=2m romtool-e2e "$disk" || station_die "cannot mount a small disk"
e2e_wine_setup "$build" wine-e2e-disk
ln -sfn "$disk" "$WINEPREFIX/dosdevices/e:"

station=$WINEPREFIX/drive_c/Station
rm -rf "$station"
mkdir -p "$station/bin" "$disk/records"
cp "$build/src/shell/win32/romtool.exe" "$station/"
cp "$build/sim/nrfjprog.exe" "$station/bin/"
station_quiet wine "$build/sim/hexgen.exe" 'C:\Station\merge.hex' --size 4096
printf '[log4me]\r\npath=E:\\records\r\nlevel=info\r\n' >"$station/config.ini"
log=$disk/records/$(date +%Y-%m-%d).log
record=$disk/records/$(date +%Y-%m-%d).csv
calls() { wc -l <"$station/bin/calls.log"; }
# wait_count PATTERN N: until the log has N lines matching PATTERN (a run's limit and more).
wait_count() {
    for _ in $(seq 3300); do
        [[ $(grep -caE "$1" "$log" 2>/dev/null || true) -ge $2 ]] && return 0
        sleep 0.1
    done
    echo "e2e: the log has no $2 lines matching '$1'" >&2
    return 1
}

e2e_start_wine "$station" 'C:\Station\romtool.exe'
pid=$E2E_PID
win=$(station_find_window "NRF系列芯片ROM烧写工具") || true
[[ -n $win ]] || station_die "the station window did not appear"
station_wine_client "$win" 704 491 || station_die "no 704 x 491 client area"
station_press "$win" Button_CRC
station_confirm_box romtool
station_wait_idle

# The first board: the disk fills while the tool works, before the day's record exists (a file
# that has one would take a few more bytes into its last page of the disk).
printf 'delay_ms=3000\r\n' >"$station/bin/standin.ini"
runs=$(calls)
station_press "$win" Button_Start
for _ in $(seq 300); do
    [[ $(calls) -ge $((runs + 2)) ]] && break
    sleep 0.1
done
station_check "the programming run started" test "$(calls)" -ge $((runs + 2))
dd if=/dev/zero of="$disk/filler" bs=64k 2>/dev/null || true
station_check "the disk is full" test "$(df --output=avail "$disk" | tail -n 1)" -lt 64
# Neither its verdict nor its row can be written: the row's report goes to log4me_err.log.
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
# The second press once the first has ended: one made before would be dropped.
station_wait_idle
runs=$(calls)
station_press "$win" Button_Start
station_check "the second press's row waits too" wait_reported 2
station_wait_idle
station_check "the second press ran the probe query only" test "$(calls)" -eq $((runs + 1))

# Room again: the third press passes, and everything that waited goes first.
rm -f "$disk/filler"
station_press "$win" Button_Start
wait_count 'Verify OK' 2
station_press "$win" Button_Exit
timeout 60 tail --pid="$pid" -f /dev/null || true
status=0
wait "$pid" || status=$?
station_check "the program ends with status 0 (was $status)" test "$status" -eq 0

station_check "every press has its row, in order: PASS, FAIL 113, PASS" test \
    "$(tail -n +2 "$record" | tr -d '\r' | cut -d, -f8,9 | tr '\n' ' ')" = "PASS,0 FAIL,113 PASS,0 "
station_check "the rows' times are in order" sort -c <(tail -n +2 "$record" | cut -d, -f1)
station_check "the log has the operator's line about the waiting row" \
    grep -qaF "$(printf '%s' 'ERROR:生产记录' | iconv -f UTF-8 -t GBK)" "$log"
station_check "the log has the refusal (113)" \
    grep -qaF "$(printf '%s' 'ERROR:日志目录E:\records不能写入（磁盘空间不足' | iconv -f UTF-8 -t GBK)" "$log"
station_check "the stop line comes last" test \
    "$(tail -n 1 "$log" | tr -d '\r' | cut -d' ' -f2-)" = "[info ]log4me:application stoping...."

e2e_finish "e2e full disk (Wine)" || exit 1
