# shellcheck shell=bash
# The chip families a line programs, end to end: a two-core nRF5340 and a factory-protected
# nRF52840, with nrfjprog and with nrfutil. Sourced by station.sh; uses its helpers.

# station_fresh_chip FOLDER DEVICEID [SETTING...]: the next board in the fixture is a new chip
# with DEVICEID, the stand-ins' other SETTINGs (family=nrf53, protection=factory) applied.
station_fresh_chip() {
    local folder=$1 id=$2
    shift 2
    rm -f "$folder/bin/"flash*  # its memory, protection and board files
    { printf 'deviceid=%s\r\n' "$id"; printf '%s\r\n' "$@"; } >"$folder/bin/standin.ini"
}

# station_press_board FOLDER WINDOW: presses 开始 and waits for the board's row.
station_press_board() {
    local rows
    rows=$(station_rows "$1")
    station_press "$2" Button_Start
    station_wait_rows "$1" "$rows" || true  # the row's checks say what is missing
    station_wait_idle
}

# station_last_row FOLDER COLUMNS: the given columns (cut -f) of the day's last row.
station_last_row() {
    tail -n 1 "$1/logs/$(date +%Y-%m-%d).csv" | tr -d '\r' | cut -d, -f"$2"
}

# station_rewrite_checksum FOLDER WINDOW: 写入校验 for the image now in the folder, as a line
# engineer does it for a new image: the old checksum file removed, a refresh (which enables the
# button), the button, and the refresh after it.
station_rewrite_checksum() {
    local infos
    rm -f "$1/merge.crc"
    station_autostart_refresh "$1" "$2"
    infos=$(station_count "$1" '\[info \]')
    station_press "$2" Button_CRC
    station_box romtool >/dev/null || station_die "no checksum box after 写入校验"
    station_confirm_box romtool
    station_wait_log "$1" '\[info \]' $((infos + 2))
    station_wait_idle
}

# station_two_core_image FOLDER: merge.hex becomes an nRF5340 image: the application core's part
# (the image as it was) and, at 0x01000000, the network core's (its first 64 data records).
station_two_core_image() {
    local hex=$1/merge.hex
    {
        tr -d '\r' <"$hex" | grep -v '^:00000001FF'
        printf ':020000040100F9\n'  # the network core's flash: 0x01000000
        tr -d '\r' <"$hex" | awk '/^:......00/ && n++ < 64'
        printf ':00000001FF\n'
    } >"$hex.two"
    mv "$hex.two" "$hex"
}

# station_set_keys FOLDER SECTION KEY VALUE...: station_set_key for each triple. A key set so is
# read before any setting of it further down its section.
station_set_keys() {
    local folder=$1
    shift
    while (($# >= 3)); do
        station_set_key "$folder" "$1" "$2" "$3"
        shift 3
    done
}

# station_check_families FOLDER WINDOW SCREENSHOT PROGRAMMER...: for each PROGRAMMER (nrfjprog, nrfutil;
# its stand-in is in FOLDER/bin), a traced and numbered nRF5340 programmed core by core,
# network core first, each core's flash holding its part and the number in the application
# core's UICR; then a factory-protected nRF52840 refused without
# [chip] recover and programmed with it. config.ini, the image and its checksum are as they were
# afterwards. SCREENSHOT, when not "", gets the window after the first nRF5340's PASS.
station_check_families() {
    local folder=$1 win=$2 shot=$3 programmer number board=0
    # A range of numbers of this run's own: a station folder kept from an earlier run (the
    # demo's) remembers the numbers it gave.
    number=$((600000 + 10#$(date +%M%S) * 20))
    shift 3
    cp "$folder/config.ini" "$folder/config.ini.before"
    cp "$folder/merge.hex" "$folder/merge.hex.before"
    cp "$folder/merge.crc" "$folder/merge.crc.before"
    for programmer in "$@"; do
        cat "$folder/config.ini.before" >"$folder/config.ini"
        station_set_key "$folder" station programmer "$programmer"
        station_set_keys "$folder" chip family nrf53 trace deviceid yes \
            serial address 0x00FF8100 serial first "$number" serial last $((number + 9))
        station_two_core_image "$folder"
        board=$((board + 1))
        station_fresh_chip "$folder" "A1B2C3D4$(printf %08X "$board")" family=nrf53
        station_rewrite_checksum "$folder" "$win"
        station_press_board "$folder" "$win"
        if [[ -n $shot ]]; then
            sleep 0.5  # the repaint
            station_screenshot "$win" "$shot"
            shot=
        fi
        station_check "$programmer: the nRF5340's row: PASS, its number, nrf53" test \
            "$(station_last_row "$folder" 8,15,18)" = "PASS,$number,nrf53"
        station_check "$programmer: the network core was programmed before the application core" \
            grep -qaE 'CP_NETWORK.*--program|program.*--core.Network' \
            <(tail -n 12 "$folder/bin/calls.log" | grep -a program |
                grep -aE -m 1 'CP_NETWORK|CP_APPLICATION|--core.(Network|Application)')
        station_check "$programmer: the network core's flash holds its part" \
            cmp -n 1024 "$folder/bin/flash.bin" "$folder/bin/flash.net.bin"
        station_check "$programmer: the application core's UICR holds the number" test \
            "$(od -An -tu4 -j256 -N4 "$folder/bin/flash.uicr" 2>/dev/null | tr -d ' ')" = "$number"
        cat "$folder/merge.hex.before" >"$folder/merge.hex"
        cp "$folder/merge.crc.before" "$folder/merge.crc"

        # A factory-protected nRF52840: without recover the operator is told; with it, PASS.
        cat "$folder/config.ini.before" >"$folder/config.ini"
        station_set_key "$folder" station programmer "$programmer"
        station_set_key "$folder" chip family nrf52
        board=$((board + 1))
        station_fresh_chip "$folder" "A1B2C3D4$(printf %08X "$board")" protection=factory
        station_autostart_refresh "$folder" "$win"
        station_press_board "$folder" "$win"
        station_check "$programmer: a protected chip without recover fails" test \
            "$(station_last_row "$folder" 8,9,18)" = "FAIL,107,nrf52"
        station_set_key "$folder" chip recover yes
        station_autostart_refresh "$folder" "$win"
        station_press_board "$folder" "$win"
        station_check "$programmer: with recover and the erase box it is programmed" test \
            "$(station_last_row "$folder" 8,18)" = "PASS,nrf52"
        station_check "$programmer: the chip was recovered" \
            grep -qaE -- '--recover|device.recover' <(tail -n 8 "$folder/bin/calls.log")
        number=$((number + 10))
    done
    rm -f "$folder/bin/standin.ini" "$folder/merge.hex.before" "$folder/merge.crc.before"
    cat "$folder/config.ini.before" >"$folder/config.ini"
    rm -f "$folder/config.ini.before"
    station_autostart_refresh "$folder" "$win"
}
