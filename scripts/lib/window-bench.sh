#!/usr/bin/env bash
# The station window's own processor time and memory while it works: the release romtool under
# Xvfb in a station folder of its own, once with 8 fixtures ([fixture1] ... [fixture8], a probe
# each) and once as the one-fixture window. 开始 (Alt+S) is pressed every second for SECONDS
# (default 60): the bench starts every fixture that has ended, the one-fixture window drops the
# presses made while it runs. The stand-in programs a board in PROGRAM_MS (default 5000).
# Sampled from /proc: utime+stime over the wall time as a share of one core, VmRSS every second
# (mean and largest) and VmHWM at the end. Waits for the last run, closes the window, stops
# Xvfb: leaves no process behind. Prints Markdown rows.
#   scripts/lib/window-bench.sh BUILD [SECONDS [PROGRAM_MS]]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=station.sh
source "$top/scripts/lib/station.sh"
build=$1
seconds=${2:-60}
program_ms=${3:-5000}
work=$(mktemp -d)
pid=

# descendants PID: the ids of PID's children, theirs, and so on.
descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
        echo "$child"
        descendants "$child"
    done
}

# stop_station: the window and whatever it still runs ended, children first.
stop_station() {
    [[ -n $pid ]] || return 0
    local left
    left=$(descendants "$pid")
    kill "$pid" 2>/dev/null || true
    # shellcheck disable=SC2086 # one id per word
    [[ -z $left ]] || kill $left 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
}
trap 'stop_station; station_stop_xvfb; rm -rf "$work"' EXIT

# lay_out FOLDER FIXTURES: a station folder whose first check says Ready, its stand-in listing
# 8 probes, with FIXTURES [fixtureN] sections (none for 0) and the window under a title of its own.
lay_out() {
    local folder=$1 fixtures=$2 serials i
    station_layout "$folder" "$build"
    mv "$folder/romtool" "$folder/windowbench"
    printf 'jq%sqevo' "$(md5sum <"$folder/merge.hex" | cut -c1-32 | tr a-f A-F)" | md5sum |
        cut -c1-32 | tr a-f A-F | tr -d '\n' >"$folder/merge.crc"
    serials=$(seq -s, 682000001 682000008)
    [[ $fixtures -gt 0 ]] || serials=682000001
    printf 'serial=%s\r\nprogram_ms=%s\r\n' "$serials" "$program_ms" >"$folder/bin/standin.ini"
    for i in $(seq "$fixtures"); do
        printf '[fixture%d]\r\nprobe=%d\r\n' "$i" $((682000000 + i)) >>"$folder/config.ini"
    done
}

# cpu_ticks: the window's utime + stime so far, in clock ticks.
cpu_ticks() {
    # The name field, (windowbench), holds no space: fields 14 and 15 are utime and stime.
    awk '{ print $14 + $15 }' "/proc/$pid/stat"
}
status_kib() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$pid/status"; }

# measure FIXTURES WHAT: one window, pressed for SECONDS; prints its row.
measure() {
    local fixtures=$1 what=$2 folder=$work/station-$1 win
    lay_out "$folder" "$fixtures"
    (cd "$folder" && exec ./windowbench) </dev/null >"$work/window.log" 2>&1 &
    pid=$!
    win=$(station_find_window_of "$pid") || true
    [[ -n $win ]] || station_die "the window with $fixtures fixtures did not appear"
    station_wait_log "$folder" "程序启动自检" 1 || station_die "the window did not start"
    sleep 2  # its first check, on every probe
    xdotool windowfocus --sync "$win" 2>/dev/null || true
    local ticks0 start rss_sum=0 rss_max=0 samples=0 rss
    ticks0=$(cpu_ticks)
    start=$(date +%s.%N)
    for _ in $(seq "$seconds"); do
        xdotool key --clearmodifiers alt+s
        sleep 1
        rss=$(status_kib VmRSS)
        rss_sum=$((rss_sum + rss))
        ((rss > rss_max)) && rss_max=$rss
        samples=$((samples + 1))
    done
    local ticks1 end hwm
    ticks1=$(cpu_ticks)
    end=$(date +%s.%N)
    hwm=$(status_kib VmHWM)
    # The last presses end before the window closes, so that no stand-in is cut off.
    for _ in $(seq 300); do
        [[ -z $(descendants "$pid") ]] && break
        sleep 0.1
    done
    stop_station
    local passed
    passed=$(grep -ac ',PASS,' "$folder/logs/$(date +%Y-%m-%d).csv" || true)
    awk -v what="$what" -v rows="$passed" -v t0="$ticks0" \
        -v t1="$ticks1" -v hz="$(getconf CLK_TCK)" -v s0="$start" -v s1="$end" \
        -v mean="$((rss_sum / samples))" -v max="$rss_max" -v hwm="$hwm" 'BEGIN {
        printf "| %s | %d | %.1f %% | %.1f MiB | %.1f MiB | %.1f MiB |\n", what, rows,
            100 * (t1 - t0) / hz / (s1 - s0), mean / 1024, max / 1024, hwm / 1024 }'
}

station_start_xvfb
echo "| window | boards passed, ${seconds} s of presses | CPU (share of one core) | VmRSS mean | VmRSS largest | VmHWM |"
echo "|---|---|---|---|---|---|"
measure 8 "8 fixtures (bench)"
measure 0 "one fixture"
