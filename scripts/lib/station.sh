# Shell helpers that lay out a station folder and drive the station window under Xvfb with
# xdotool. Sourced by scripts/demo and the end-to-end tests; every wait has an upper bound.

# Control centres in window coordinates, from the window's fixed layout: the group boxes stack
# from the top (heights 73, 80, 80, 208), the bottom panel starts at 441, and a group box's
# children sit below its 12-pixel caption band.
declare -A STATION_CONTROL=(
    [Button_GetJlink]="645 38"
    [Button_Select]="558 116"
    [Button_CRC]="647 117"
    [Button_Help]="646 192"
    [cb_erase]="104 461"
    [Button_Start]="357 462"
    [Button_Exit]="645 460"
)

# station_check WHAT COMMAND...: runs COMMAND as one check of an end-to-end run and counts it
# in STATION_PASSED or STATION_FAILED; a failure is named on standard error.
STATION_PASSED=0
STATION_FAILED=0
station_check() {
    local what=$1
    shift
    if "$@"; then
        STATION_PASSED=$((STATION_PASSED + 1))
    else
        STATION_FAILED=$((STATION_FAILED + 1))
        echo "FAILED: $what" >&2
    fi
}

# station_calls FOLDER: how many times the stand-in in FOLDER/bin was started.
station_calls() {
    wc -l <"$1/bin/calls.log" 2>/dev/null || echo 0
}

# station_wait_call FOLDER PATTERN [SECONDS]: waits (default up to 60 s) until the stand-in in
# FOLDER/bin was called with arguments matching the Perl regular expression PATTERN.
station_wait_call() {
    for _ in $(seq $((${3:-60} * 10))); do
        grep -qaP "$2" "$1/bin/calls.log" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# station_wait_file FILE [SECONDS]: waits (default up to 60 s) until FILE exists and is not empty:
# a call's effect comes some time after calls.log shows the call.
station_wait_file() {
    for _ in $(seq $((${2:-60} * 10))); do
        [[ -s $1 ]] && return 0
        sleep 0.1
    done
    return 1
}

# station_quiet COMMAND...: runs COMMAND with its output appended to STATION_QUIET_LOG (none by
# default) instead of the screen; its status is COMMAND's. The end-to-end runs show that log
# when they fail.
station_quiet() {
    local log=${STATION_QUIET_LOG:-/dev/null}
    echo "\$ $*" >>"$log"
    "$@" </dev/null >>"$log" 2>&1
}

station_die() {
    echo "station: $*" >&2
    exit 1
}

# station_layout FOLDER BUILD_DIR: a complete station folder, minus the checksum file, which
# the station writes itself. The daily logs of earlier runs are kept. ROMTOOL_EXE, STANDIN_EXE,
# NRFUTIL_EXE and HEXGEN_EXE name the built files when they are not in their usual places under
# BUILD_DIR. ROMTOOL_PROGRAMMER=nrfutil sets the station to the nrfutil stand-in.
station_layout() {
    local folder=$1 build=$2
    local romtool=${ROMTOOL_EXE:-$build/src/shell/qt/romtool}
    local standin=${STANDIN_EXE:-$build/sim/nrfjprog}
    local nrfutil=${NRFUTIL_EXE:-$build/sim/nrfutil}
    local hexgen=${HEXGEN_EXE:-$build/sim/hexgen}
    for f in "$romtool" "$standin" "$nrfutil" "$hexgen"; do
        [[ -x $f ]] || station_die "missing $f (build first)"
    done
    mkdir -p "$folder/bin" "$folder/logs"
    rm -f "$folder/merge.crc" "$folder/bin/"flash*.bin "$folder/bin/"flash*.protected \
        "$folder/bin/"flash*.uicr "$folder/bin/"flash*.board "$folder/bin/calls.log" \
        "$folder/bin/standin.ini"
    cp -f "$romtool" "$folder/romtool"
    cp -f "$standin" "$folder/bin/nrfjprog"
    cp -f "$nrfutil" "$folder/bin/nrfutil"
    "$hexgen" "$folder/merge.hex" --size 24576 --seed 7 >/dev/null
    printf '[log4me]\r\npath=logs\r\nlevel=info\r\n' >"$folder/config.ini"
    if [[ ${ROMTOOL_PROGRAMMER:-nrfjprog} == nrfutil ]]; then
        printf '[station]\r\nprogrammer=nrfutil\r\n' >>"$folder/config.ini"
    fi
}

# station_start_xvfb: starts a private X server and exports DISPLAY. Its screen is 1280 x 800,
# or STATION_SCREEN (WIDTHxHEIGHTxDEPTH) for a window larger than that (a bench at 144 DPI).
station_start_xvfb() {
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${STATION_SCREEN:-1280x800x24}" -nolisten tcp 3>"$fdfile" 2>/dev/null &
    STATION_XVFB_PID=$!
    for _ in $(seq 100); do
        [[ -s $fdfile ]] && break
        sleep 0.1
    done
    [[ -s $fdfile ]] || station_die "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
}

# station_stop_xvfb: stops the X server station_start_xvfb started; harmless when none runs.
station_stop_xvfb() {
    if [[ -n ${STATION_XVFB_PID:-} ]]; then
        kill "$STATION_XVFB_PID" 2>/dev/null || true
        wait "$STATION_XVFB_PID" 2>/dev/null || true
    fi
    STATION_XVFB_PID=
}

# station_find_window NAME_PATTERN: prints the id of the first window whose name matches,
# waiting up to 120 s for it: a Wine program on a loaded machine may take half a minute to show.
station_find_window() {
    timeout 120 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n1
}

# station_find_window_of PID: prints the id of the visible window of process PID (up to 120 s).
station_find_window_of() {
    timeout 120 xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -n1
}

# station_box TITLE [SECONDS]: the id of the visible message box titled TITLE (the application
# title), waiting up to SECONDS (default 30) for it to appear; prints nothing when none appears.
station_box() {
    local w
    for _ in $(seq $((${2:-30} * 10))); do
        for w in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            # xdotool matches names without regard to case; the title is compared exactly.
            if [[ $(xdotool getwindowname "$w" 2>/dev/null) == "$1" ]]; then
                echo "$w"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

# station_confirm_box TITLE: presses Return in the message box titled TITLE until it is gone.
station_confirm_box() {
    local w
    for _ in $(seq 30); do
        if ! w=$(station_box "$1" 1); then
            # A Return whose box closed on its press can stay held down, repeating into the
            # window under it (the label field presses 开始 on each).
            xdotool keyup Return 2>/dev/null || true
            return 0
        fi
        xdotool key --window "$w" Return 2>/dev/null || true
        sleep 0.2
    done
    station_die "the box '$1' did not close"
}

# station_scaled LENGTH: a length of the layout (pixels at 96 DPI) at STATION_DPI (default 96),
# rounded as the window rounds it (half away from zero).
station_scaled() {
    echo $((($1 * ${STATION_DPI:-96} + 48) / 96))
}

# station_click WINDOW CONTROL [OPTION...]: clicks CONTROL's centre, with xdotool's click OPTIONs
# (--repeat 2, say). STATION_CLIENT_OFFSET ("X Y") is where the client area starts in the
# window, for windows that draw their own frame (Wine's, without a window manager); STATION_DPI
# (default 96) the DPI the window is laid out at, which scales the layout's places.
station_click() {
    local xy offset
    read -r -a xy <<<"${STATION_CONTROL[$2]:?unknown control $2}"
    read -r -a offset <<<"${STATION_CLIENT_OFFSET:-0 0}"
    xdotool mousemove --window "$1" $(($(station_scaled "${xy[0]}") + offset[0])) \
        $(($(station_scaled "${xy[1]}") + offset[1])) click "${@:3}" 1
}

# station_wait_idle: waits until the station is idle again: no operation runs, its verdict is
# painted and 开始 is enabled. What waits is the command STATION_IDLE_COMMAND names (the
# end-to-end runs under Wine set it); without one, nothing is waited for.
station_wait_idle() {
    [[ -z ${STATION_IDLE_COMMAND:-} ]] || "$STATION_IDLE_COMMAND"
}

# station_qt_wait_idle [SECONDS]: what STATION_IDLE_COMMAND names for romtool (Qt) on Linux:
# waits (default up to 330 s) until the window STATION_WINDOW (an X window id) runs no operation:
# its role (WM_WINDOW_ROLE) is "romtool-busy" while one runs. Fails when it does not end or the
# window is gone.
station_qt_wait_idle() {
    local role
    for _ in $(seq $((${1:-330} * 20))); do
        role=$(xprop -id "$STATION_WINDOW" WM_WINDOW_ROLE 2>/dev/null) ||
            { echo "station: the window $STATION_WINDOW is gone" >&2; return 1; }
        [[ $role == *'"romtool-busy"'* ]] || return 0
        sleep 0.05
    done
    echo "station: the window $STATION_WINDOW is still busy" >&2
    return 1
}

# station_press WINDOW CONTROL [OPTION...]: station_click once the station is idle. A click while an
# operation runs waits for it, and one on 开始 is dropped.
station_press() {
    station_wait_idle
    station_click "$@"
}

# station_wine_client WINDOW WIDTH HEIGHT: without a window manager Wine draws the frame itself.
# Exports STATION_CLIENT_OFFSET, where a client area of WIDTH x HEIGHT starts in the window
# (inside the border, below the caption); fails unless the window holds one of that size.
station_wine_client() {
    local X Y WIDTH HEIGHT SCREEN WINDOW border
    eval "$(xdotool getwindowgeometry --shell "$1")"
    border=$(((WIDTH - $2) / 2))
    export STATION_CLIENT_OFFSET="$border $((HEIGHT - $3 - border))"
    [[ $((WIDTH - 2 * border)) -eq $2 && $((HEIGHT - $3 - 2 * border)) -gt 0 ]]
}

# station_today_log FOLDER: path of today's daily log file.
station_today_log() {
    echo "$1/logs/$(date +%Y-%m-%d).log"
}

# Each tool run's end line ("查询Jlink：退出码=0"; the log is UTF-8 on Linux, GBK under Wine):
# how many a check or a press writes depends on the programmer's steps, so the counts that tell
# a verdict has come leave them out.
STATION_RUN_END_UTF8=$'\xe9\x80\x80\xe5\x87\xba\xe7\xa0\x81='
STATION_RUN_END_GBK=$'\xcd\xcb\xb3\xf6\xc2\xeb='

# station_count FOLDER PATTERN: how many lines of today's log match the extended regular
# expression PATTERN, tool runs' end lines left out.
station_count() {
    local n
    n=$( (grep -aE "$2" "$(station_today_log "$1")" 2>/dev/null || true) |
        LC_ALL=C grep -cav -e "$STATION_RUN_END_UTF8" -e "$STATION_RUN_END_GBK" || true)
    echo "${n:-0}"
}

# station_wait_log FOLDER PATTERN COUNT [SECONDS]: waits until today's log has COUNT lines
# matching PATTERN.
station_wait_log() {
    for _ in $(seq $((${4:-60} * 10))); do
        [[ $(station_count "$1" "$2") -ge $3 ]] && return 0
        sleep 0.1
    done
    echo "station: timed out waiting for $3 log lines matching '$2'" >&2
    return 1
}

# station_rows FOLDER: the lines of today's production record, 0 before it exists.
station_rows() {
    { wc -l <"$1/logs/$(date +%Y-%m-%d).csv"; } 2>/dev/null || echo 0
}

# station_wait_rows FOLDER ROWS: waits (up to 330 s) until today's record has more than ROWS
# lines; fails when it does not.
station_wait_rows() {
    for _ in $(seq 3300); do
        [[ $(station_rows "$1") -gt $2 ]] && return 0
        sleep 0.1
    done
    return 1
}

# station_screenshot WINDOW FILE: the screen where the window is, message boxes over it included.
station_screenshot() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}

# ---------------------------------------------------------------------------------------------
# The scenario both end-to-end runs share (Linux, and Windows under Wine): each step presses what
# an operator presses and counts its checks with station_check. Texts are given as the daily log
# holds them, in the station's code page.

# station_check_first_start FOLDER SELF_CHECK MISSING_CHECKSUM: the first lines of the first
# copy: the start line first, the self-check line SELF_CHECK, and the first refresh's message
# MISSING_CHECKSUM (104) at both levels.
station_check_first_start() {
    local log
    log=$(station_today_log "$1")
    station_wait_log "$1" '\[info \]' 3
    station_check "the start line comes first" \
        grep -qa '\[info \]log4me:application starting\.\.\.\.' <(head -n1 "$log")
    station_check "the self-check line is logged" grep -qaF "[info ]$2" "$log"
    station_check "the first refresh reports the missing checksum file at both levels" \
        test "$(grep -caF "$3" "$log")" -eq 2
}

# station_check_second_copy FOLDER FIRST_PID COMMAND...: a second copy under the same title,
# started by COMMAND, ends by itself without running the programmer; the first copy runs on.
station_check_second_copy() {
    local folder=$1 first=$2 calls status=0
    shift 2
    calls=$(station_calls "$folder")
    station_quiet timeout 60 "$@" || status=$?
    station_check "the second copy ends by itself (status $status)" test "$status" -eq 0
    station_check "the second copy did not run the programmer" \
        test "$(station_calls "$folder")" -eq "$calls"
    station_check "the first copy still runs" kill -0 "$first"
}

# station_write_checksum FOLDER WINDOW [COMMAND...]: writes the image's checksum with 写入校验.
# Checks the box titled with the application title ("romtool") and the file (32 upper-case
# hexadecimal characters, no line end), runs COMMAND while the box shows, confirms it, and checks
# that the refresh after it ran the probe query (its second run) and found nothing missing.
station_write_checksum() {
    local folder=$1 win=$2 infos box
    shift 2
    infos=$(station_count "$folder" '\[info \]')
    station_press "$win" Button_CRC
    box=$(station_box romtool) || true
    station_check "the checksum box appears" test -n "$box"
    station_check "the checksum file holds the 32 upper-case hexadecimal characters" \
        grep -qxE '[0-9A-F]{32}' <(cat "$folder/merge.crc" 2>/dev/null; echo)
    station_check "the checksum file has no line end" \
        test "$(stat -c %s "$folder/merge.crc" 2>/dev/null)" = 32
    (($# == 0)) || "$@"
    station_confirm_box romtool
    station_wait_log "$folder" '\[info \]' $((infos + 4))
    station_wait_idle
    station_check "the refresh after writing the checksum ran the probe query" \
        test "$(station_calls "$folder")" -eq 2
    station_check "the refresh after writing the checksum found nothing missing" \
        test "$(station_count "$folder" '\[error\]')" -eq 1
}

# station_called_with FOLDER ARGUMENTS: true when a call of the stand-in in FOLDER/bin ended in
# ARGUMENTS, tab-separated as calls.log holds them.
station_called_with() {
    local line
    while IFS= read -r line; do
        [[ ${line%$'\r'} == *"$2" ]] && return 0
    done <"$1/bin/calls.log"
    return 1
}

# station_program FOLDER WINDOW COMMAND ARGUMENTS: presses 开始 and checks the run: the verified
# checksum and COMMAND (exactly as run) are logged, the stand-in got ARGUMENTS (the image one of
# them), it passed, and no error line came after the first refresh's.
station_program() {
    local folder=$1 log infos
    log=$(station_today_log "$folder")
    infos=$(station_count "$folder" '\[info \]')
    station_press "$2" Button_Start
    station_wait_log "$folder" '\[info \]' $((infos + 3)) 330
    station_wait_idle
    station_check "the run logs the verified checksum" \
        grep -qaF "[info ]CRC=$(cat "$folder/merge.crc")" "$log"
    station_check "the run logs the exact command" grep -qaF "[info ]Para=$3" "$log"
    station_check "the stand-in got the image as one argument" station_called_with "$folder" "$4"
    station_check "the run passed" grep -qa 'Verify OK' "$log"
    station_check "no error line after the first refresh" \
        test "$(station_count "$folder" '\[error\]')" -eq 1
}

# station_check_closed FOLDER PID: the program PID (a child of this shell), told to close, ends
# with status 0 and the stop line as the last line of its log.
station_check_closed() {
    local status=0
    timeout 60 tail --pid="$2" -f /dev/null || true
    wait "$2" || status=$?
    station_check "the program ends with status 0 (was $status)" test "$status" -eq 0
    station_check "the stop line comes last" test "$(tail -n 1 "$(station_today_log "$1")" |
        tr -d '\r' | cut -d' ' -f2-)" = "[info ]log4me:application stoping...."
}

# station_bind_two_probes FOLDER: two probes on the PC, and config.ini binding the copies titled
# Line1 and Line2 to one each.
station_bind_two_probes() {
    printf 'serial=682123456,682000777\r\n' >"$1/bin/standin.ini"
    printf '[station]\r\nprobe.Line1=682123456\r\nprobe.Line2=682000777\r\n' >>"$1/config.ini"
}

# station_check_two_probes_programmed FOLDER VERDICTS: both copies logged their verdicts
# (VERDICTS "Verify OK" lines before them) and each probe has its own flash. The flash is looked
# at after the verdicts: the stand-in may still be writing it when its call shows in calls.log.
station_check_two_probes_programmed() {
    station_check "both copies logged their verdicts" \
        station_wait_log "$1" 'Verify OK' $(($2 + 2)) 330
    station_check "each probe has its own flash" test -s "$1/bin/flash-682000777.bin"
}

# station_check_numbered_boards FOLDER WINDOW BOARD_CHANGE...: with [trace] and [serial] on,
# three boards, the second failing its verify: each row holds its chip's DEVICEID (none for the
# failed board, whose run stopped before the read) and its number (the failed board's voided),
# and the last chip holds its number at 0x10001080. BOARD_CHANGE is the command that puts the
# next board on the probe. config.ini is as it was afterwards.
station_check_numbered_boards() {
    local folder=$1 win=$2 record board numbered
    shift 2
    cp "$folder/config.ini" "$folder/config.ini.before"
    printf '[trace]\r\ndeviceid=yes\r\n[serial]\r\naddress=0x10001080\r\nfirst=500000\r\nlast=500009\r\n' \
        >>"$folder/config.ini"
    record=$folder/logs/$(date +%Y-%m-%d).csv
    for board in pass fail pass; do
        station_quiet "$@"
        if [[ $board == fail ]]; then
            printf 'verify=fail\r\n' >"$folder/bin/standin.ini"
        else
            rm -f "$folder/bin/standin.ini"
        fi
        # The press's last line is its number's: "SN=<n> PASS" or "SN=<n> FAIL".
        numbered=$(station_count "$folder" '\[info \]SN=')
        station_press "$win" Button_Start
        station_wait_log "$folder" '\[info \]SN=' $((numbered + 1)) 330
    done
    station_wait_idle
    rm -f "$folder/bin/standin.ini"
    station_check "the three boards' rows: their verdicts and numbers" test \
        "$(tail -n 3 "$record" | tr -d '\r' | cut -d, -f8,15 | tr '\n' ' ')" = \
        "PASS,500000 FAIL,500001 PASS,500002 "
    local ids
    ids=$(tail -n 3 "$record" | tr -d '\r' | cut -d, -f14 | tr '\n' ' ')
    station_check "each passing board's DEVICEID is recorded, and they differ ($ids)" \
        grep -qE '^[0-9A-F]{16}  [0-9A-F]{16} $' <<<"$ids"
    station_check "the two DEVICEIDs differ" test "$(cut -d' ' -f1 <<<"$ids")" != "$(cut -d' ' -f3 <<<"$ids")"
    station_check "the log names the voided number" grep -qa '\[info \]SN=500001 FAIL' \
        "$(station_today_log "$folder")"
    station_check "the last chip holds its number" test \
        "$(od -An -tu4 -j128 -N4 "$folder/bin/flash.uicr" 2>/dev/null | tr -d ' ')" = 500002
    # Written anew rather than renamed back: a file with its old time stamp would pass for the
    # version a profile reader (Wine's) has cached.
    cat "$folder/config.ini.before" >"$folder/config.ini"
    rm -f "$folder/config.ini.before"
}

# station_check_autostart FOLDER WINDOW SCREENSHOT TOOL...: with [station] autostart=yes, three
# boards placed one after another, the second failing its verify, each pressed by itself once it
# is in the fixture, and none pressed again while it stays there: their rows in order. TOOL is
# the stand-in's command line (--board-out and --board-change are added to it). SCREENSHOT, when
# not "", gets the window waiting for a board. config.ini is as it was afterwards, and the
# station no longer waits. With STATION_LABELS=yes, [trace] label=yes is on too: once the station
# has found each board it waits for the board's label, a new one at every run (the record of
# earlier runs refuses a label that passed), scanned into the field (station_scan); each row must
# carry its label.
station_check_autostart() {
    local folder=$1 win=$2 shot=$3 record board rows programs found found_line stamp n=0 labels=()
    shift 3
    # The log line of a board found, in UTF-8 (Linux) or GBK (Wine), matched byte for byte.
    found_line="自动开始：检测到新电路板|$(printf '%s' 自动开始：检测到新电路板 | iconv -f UTF-8 -t GBK)"
    station_autostart_found() { LC_ALL=C station_wait_log "$folder" "$found_line" "$1"; }
    if [[ ${STATION_LABELS:-} == yes ]]; then
        stamp=$(printf '%07d' $(($(date +%s) % 10000000)))
        labels=("PCB-${stamp}1" "PCB-${stamp}2" "PCB-${stamp}3")
    fi
    cp "$folder/config.ini" "$folder/config.ini.before"
    station_set_key "$folder" station autostart yes
    station_set_key "$folder" station autostart_settle_ms 300
    station_set_key "$folder" station autostart_absent_ms 300
    if ((${#labels[@]})); then
        station_set_key "$folder" trace label yes
        station_set_key "$folder" trace label_pattern '^PCB-[0-9]{8}$'
    fi
    record=$folder/logs/$(date +%Y-%m-%d).csv
    looks() { grep -ca -- '--deviceversion' "$folder/bin/calls.log" || true; }
    programs=$(grep -ca -- '--program' "$folder/bin/calls.log" || true)
    station_autostart_refresh "$folder" "$win"  # the check that starts the waiting
    for board in pass fail pass; do
        local seen
        seen=$(looks)
        station_quiet "$@" --board-out
        # Two looks after the board went: the station has seen the fixture empty.
        for _ in $(seq 600); do [[ $(looks) -ge $((seen + 2)) ]] && break; sleep 0.1; done
        if [[ -n $shot ]]; then
            station_screenshot "$win" "$shot"
            shot=
        fi
        if [[ $board == fail ]]; then
            printf 'verify=fail\r\n' >"$folder/bin/standin.ini"
        else
            rm -f "$folder/bin/standin.ini"
        fi
        rows=$(station_rows "$folder")
        found=$(LC_ALL=C station_count "$folder" "$found_line")
        station_quiet "$@" --board-change
        if ((${#labels[@]})); then
            station_check "board $((n + 1)) ($board) is found and its label asked for" \
                station_autostart_found $((found + 1))
            station_wait_idle
            station_scan "$win" "${labels[n]}"
        fi
        n=$((n + 1))
        station_check "board $n ($board) has its row" station_wait_rows "$folder" "$rows"
    done
    # The last board stays in the fixture: looked at again, never pressed again.
    seen=$(looks)
    for _ in $(seq 600); do [[ $(looks) -ge $((seen + 2)) ]] && break; sleep 0.1; done
    station_wait_idle
    rm -f "$folder/bin/standin.ini"
    station_check "three boards pressed by themselves: PASS, FAIL, PASS" test \
        "$(tail -n 3 "$record" | tr -d '\r' | cut -d, -f8 | tr '\n' ' ')" = "PASS FAIL PASS "
    station_check "each board was programmed once" test \
        "$(grep -ca -- '--program' "$folder/bin/calls.log")" -eq $((programs + 3))
    if ((${#labels[@]})); then
        station_check "the three rows carry their labels, in order" test \
            "$(tail -n 3 "$record" | tr -d '\r' | cut -d, -f17 | tr '\n' ' ')" = "${labels[*]} "
    fi
    cat "$folder/config.ini.before" >"$folder/config.ini"
    rm -f "$folder/config.ini.before"
    station_autostart_refresh "$folder" "$win"  # the check that ends the waiting
}

# station_scan WINDOW LABEL [SCREENSHOT]: LABEL typed into the window's focused field and Enter,
# as a scanner that types like a keyboard does; SCREENSHOT, when given, shows the label typed
# before Enter.
station_scan() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool type --delay 20 -- "$2"
    if [[ -n ${3:-} ]]; then
        sleep 0.5  # the field repaints asynchronously
        station_screenshot "$1" "$3"
    fi
    xdotool key Return
}

# station_autostart_refresh FOLDER WINDOW: presses 刷新信息 and waits until its check has run.
station_autostart_refresh() {
    local calls
    calls=$(station_calls "$1")
    station_press "$2" Button_GetJlink
    for _ in $(seq 600); do [[ $(station_calls "$1") -gt $calls ]] && break; sleep 0.1; done
    station_wait_idle
}

# station_set_key FOLDER SECTION KEY VALUE: KEY=VALUE in SECTION of FOLDER/config.ini, in the
# section's first occurrence when it has one, so that no section is written twice.
station_set_key() {
    local ini=$1/config.ini
    if grep -qa "^\[$2\]" "$ini"; then
        awk -v section="[$2]" -v line="$3=$4" '
            { print }
            !done && $0 == section "\r" || !done && $0 == section { printf "%s\r\n", line; done = 1 }
        ' "$ini" >"$ini.new"
        cat "$ini.new" >"$ini"
        rm -f "$ini.new"
    else
        printf '[%s]\r\n%s=%s\r\n' "$2" "$3" "$4" >>"$ini"
    fi
}

# The chip families, end to end.
# shellcheck source=station-families.sh
source "$(dirname "${BASH_SOURCE[0]}")/station-families.sh"
# The factory's MES, end to end.
# shellcheck source=station-mes.sh
source "$(dirname "${BASH_SOURCE[0]}")/station-mes.sh"
# A bench of fixtures in one window, end to end.
# shellcheck source=station-bench.sh
source "$(dirname "${BASH_SOURCE[0]}")/station-bench.sh"
