# What the end-to-end scripts share beside scripts/lib/station.sh (which it sources): a failure
# says where the script stopped, output of commands run quietly is kept and shown on failure,
# and (under Wine) every click waits until the station is idle again.
#   source e2e_lib.sh; e2e_trace_failures
# shellcheck source=../../scripts/lib/station.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/station.sh"

# Where station_quiet keeps what the commands it runs print.
STATION_QUIET_LOG=$(mktemp "${TMPDIR:-/tmp}/romtool-e2e-quiet.XXXXXX")

# e2e_trace_failures: from now on a command that fails outside a condition ends the script with
# the line and the command where it stopped, the functions it was in, and the quiet log's end.
e2e_trace_failures() {
    set -E
    trap 'e2e_stopped $? "${BASH_SOURCE[0]}" $LINENO "$BASH_COMMAND"' ERR
}

# e2e_stopped STATUS FILE LINE COMMAND: the ERR trap's report, then the end of the script.
e2e_stopped() {
    local status=$1 frame=1 line function file
    # A subshell that fails ends itself; the script reports it where the subshell was started.
    [[ $BASHPID == "$$" ]] || exit "$status"
    trap - ERR
    echo "FAILED: $(basename "$0") stopped at $(basename "$2"):$3 (status $status): $4" >&2
    while caller "$frame" >/dev/null; do
        read -r line function file <<<"$(caller "$frame")"
        echo "    called from $function at $(basename "$file"):$line" >&2
        frame=$((frame + 1))
    done
    e2e_show_quiet_log
    exit "$status"
}

# e2e_show_quiet_log: the end of what the quietly run commands printed, on standard error.
e2e_show_quiet_log() {
    [[ -s $STATION_QUIET_LOG ]] || return 0
    echo "--- the last lines of the quietly run commands' output ($STATION_QUIET_LOG):" >&2
    tail -n 60 "$STATION_QUIET_LOG" | tr -d '\r' >&2
    echo "---" >&2
}

# e2e_finish WHAT: the closing line "WHAT: N passed, M failed"; with failures, the quiet log's end
# too. Fails when a check failed. Removes the quiet log.
e2e_finish() {
    echo "$1: $STATION_PASSED passed, $STATION_FAILED failed"
    [[ $STATION_FAILED -eq 0 ]] || e2e_show_quiet_log
    rm -f "$STATION_QUIET_LOG"
    [[ $STATION_FAILED -eq 0 ]]
}

# ---------------------------------------------------------------------------------------------
# romtool.exe under Wine. A window carries the property "RomtoolBusy" while an operation runs;
# win_helper.exe (tests/support) tells when it has gone, 开始 is enabled and everything is
# painted. A click before that would be queued behind the operation, or dropped when it is 开始.

# e2e_wine_setup BUILD_DIR PREFIX_NAME [DPI]: Wine as the stations have it (zh_CN, ANSI code page
# 936) in the prefix BUILD_DIR/PREFIX_NAME, made when missing, and a private Xvfb. The caller's
# clean-up ends both (e2e_wine_cleanup). With DPI, the prefix is PREFIX_NAME-DPI (PREFIX_NAME at
# 96) and Wine's DPI (LogPixels, read by every Wine process when it starts) is DPI, exported as
# STATION_DPI, which scales the clicks.
e2e_wine_setup() {
    local prefix=$2 dpi=${3:-}
    [[ -z $dpi || $dpi -eq 96 ]] || prefix+=-$dpi
    export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
    export WINEPREFIX=$1/$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    E2E_WIN_HELPER=$1/tests/support/win_helper.exe
    [[ -f $E2E_WIN_HELPER ]] || station_die "missing $E2E_WIN_HELPER (build the mingw preset)"
    station_start_xvfb
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        station_quiet wineboot -i || station_die "wineboot failed for $WINEPREFIX"
    fi
    STATION_IDLE_COMMAND=e2e_wait_idle
    [[ -n $dpi ]] || return 0
    export STATION_DPI=$dpi
    station_quiet wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f ||
        station_die "cannot set Wine's DPI to $dpi"
}

# e2e_wine_station BUILD_DIR: the station folder as a line engineer lays it out, at C:\Station
# of the prefix (STATION, its Unix path): romtool.exe, the stand-ins in bin\, a generated
# merge.hex, config.ini with its log section, and logs\.
e2e_wine_station() {
    STATION=$WINEPREFIX/drive_c/Station
    rm -rf "$STATION"
    mkdir -p "$STATION/bin" "$STATION/logs"
    cp "$1/src/shell/win32/romtool.exe" "$STATION/"
    cp "$1/sim/nrfjprog.exe" "$1/sim/nrfutil.exe" "$STATION/bin/"
    station_quiet wine "$1/sim/hexgen.exe" 'C:\Station\merge.hex' --size 24576 --seed 7
    printf '[log4me]\r\npath=logs\r\nlevel=info\r\n' >"$STATION/config.ini"
}

e2e_wine_cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    station_stop_xvfb
}

# The program whose windows e2e_wait_idle waits for.
E2E_EXE=romtool.exe

# e2e_wait_idle [SECONDS]: waits (default up to 330 s, a programming run's limit and more) until
# every window of E2E_EXE is idle. Fails, saying what it saw last, when none becomes so.
e2e_wait_idle() {
    local state
    state=$(wine "$E2E_WIN_HELPER" idle "$E2E_EXE" "${1:-330}" </dev/null 2>>"$STATION_QUIET_LOG" |
        tr -d '\r') && return 0
    echo "e2e: $E2E_EXE is not idle: ${state:-win_helper.exe said nothing}" >&2
    return 1
}

# e2e_start_wine FOLDER EXE: starts the program EXE (a Windows path) in FOLDER (a Unix path) in
# the background, its output in the quiet log; sets E2E_PID.
e2e_start_wine() {
    (cd "$1" && exec wine "$2" </dev/null >>"$STATION_QUIET_LOG" 2>&1) &
    E2E_PID=$!
}

# station_die, as the end-to-end runs have it: the quiet log's end after the message.
station_die() {
    echo "station: $*" >&2
    e2e_show_quiet_log
    exit 1
}
