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

# station_start_xvfb: starts a private X server and exports DISPLAY.
station_start_xvfb() {
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
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

# station_find_window NAME_PATTERN: prints the id of the first window whose name matches.
station_find_window() {
    timeout 30 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n1
}

# station_find_window_of PID: prints the id of the visible window of process PID.
station_find_window_of() {
    timeout 30 xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -n1
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
        w=$(station_box "$1" 1) || return 0
        xdotool key --window "$w" Return 2>/dev/null || true
        sleep 0.2
    done
    station_die "the box '$1' did not close"
}

# station_click WINDOW CONTROL. STATION_CLIENT_OFFSET ("X Y") is where the client area starts
# in the window, for windows that draw their own frame (Wine's, without a window manager);
# STATION_DPI (default 96) the DPI the window is laid out at, which scales the layout's places.
station_click() {
    local xy offset dpi=${STATION_DPI:-96}
    read -r -a xy <<<"${STATION_CONTROL[$2]:?unknown control $2}"
    read -r -a offset <<<"${STATION_CLIENT_OFFSET:-0 0}"
    xdotool mousemove --window "$1" $((xy[0] * dpi / 96 + offset[0])) \
        $((xy[1] * dpi / 96 + offset[1])) click 1
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

# station_count FOLDER PATTERN: how many lines of today's log match the extended regular
# expression PATTERN.
station_count() {
    local n
    n=$(grep -caE "$2" "$(station_today_log "$1")" 2>/dev/null || true)
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

# station_screenshot WINDOW FILE: the screen where the window is, message boxes over it included.
station_screenshot() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}
