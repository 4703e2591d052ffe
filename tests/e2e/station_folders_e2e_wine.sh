#!/usr/bin/env bash
# End to end on Windows, in station folders line engineers really use and in what the plain run
# never meets: the cross-built romtool.exe under Wine (zh_CN locale, ANSI code page 936) in Xvfb,
# with the stand-in nrfjprog.exe, driven by clicks.
#   - a station folder named with Chinese and Korean characters (Korean is outside code page
#     936): the daily log and the production record are written, under their Unicode names;
#   - a station folder of 300 characters is refused with its message and nothing is run; one
#     whose tool path is just under the command interpreter's limit programs;
#   - the serial label, with four probes and with one long line, stays inside its group box;
#   - three presses while another program holds the production record against writers: once
#     it lets go, all their rows follow in order.
#   station_folders_e2e_wine.sh BUILD_DIR
# Uses its own Wine prefix, BUILD_DIR/wine-e2e-folders, and ends its Wine server when done.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"
e2e_trace_failures
build=$(cd "$1" && pwd)

work=$(mktemp -d)
cleanup() {
    e2e_wine_cleanup
    rm -rf "$work"
}
trap cleanup EXIT
e2e_wine_setup "$build" wine-e2e-folders
drive=$WINEPREFIX/drive_c

gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
today() { date +%Y-%m-%d; }
record() { echo "$1/logs/$(today).csv"; }
# rows FOLDER: the production record's rows, without the byte-order mark and the header.
rows() { tail -n +2 "$(record "$1")" 2>/dev/null | tr -d '\r' || true; }
unix_path() { local p=${1#C:\\}; echo "$drive/${p//\\//}"; }

# lay_station FOLDER [SERIALS]: a station at the Windows folder FOLDER (ending in "\"): the
# program, the stand-in (answering with SERIALS), a generated image, config.ini, logs\; no
# checksum file.
lay_station() {
    local st
    st=$(unix_path "$1")
    rm -rf "$st"
    mkdir -p "$st/bin" "$st/logs"
    cp "$build/src/shell/win32/romtool.exe" "$st/"
    cp "$build/sim/nrfjprog.exe" "$st/bin/"
    # hexgen takes its arguments in the ANSI code page, so it writes where any name will do.
    station_quiet wine "$build/sim/hexgen.exe" 'C:\e2e-image.hex' --size 4096
    mv "$drive/e2e-image.hex" "$st/merge.hex"
    printf '[log4me]\r\npath=logs\r\nlevel=info\r\n' >"$st/config.ini"
    printf 'serial=%s\r\n' "${2:-682123456}" >"$st/bin/standin.ini"
}

# start_station FOLDER [NAME]: starts the station's program (NAME.exe, default romtool.exe),
# sets pid, win and st, and waits until its first refresh has ended: a press during it would be
# dropped.
start_station() {
    st=$(unix_path "$1")
    E2E_EXE=${2:-romtool}.exe
    e2e_start_wine "$st" "${1}${E2E_EXE}"
    pid=$E2E_PID
    win=$(station_find_window "NRF系列芯片ROM烧写工具") || true
    [[ -n $win ]] || station_die "the station window did not appear for $1"
    station_wine_client "$win" 704 491 || station_die "no 704 x 491 client area for $1"
    station_wait_idle
}

stop_station() {
    station_press "$win" Button_Exit
    timeout 60 tail --pid="$pid" -f /dev/null || true
    wait "$pid" || true
}

# Writes the checksum file with 写入校验 and waits for the refresh after it.
write_checksum() {
    station_press "$win" Button_CRC
    station_confirm_box romtool
    station_wait_idle
}

# press PATTERN: presses 开始(&S), checks that one more log line matches PATTERN, and waits
# until the station is idle again.
press() {
    local seen
    seen=$(station_count "$st" "$1")
    station_press "$win" Button_Start
    station_check "the press in $st logged '$1'" station_wait_log "$st" "$1" $((seen + 1)) 330
    station_wait_idle
}

# A Windows folder of exactly LENGTH characters, its final "\" included, below C:\NAME\.
deep_folder() {
    local folder="C:\\$1\\" part
    part=$(printf 'd%.0s' $(seq 60))
    while ((${#folder} + 61 < $2)); do
        folder+="$part\\"
    done
    folder+=$(printf 'e%.0s' $(seq $(($2 - ${#folder} - 1))))
    echo "$folder\\"
}

# A station folder outside the ANSI code page. The lines stay ANSI ("?" for the Korean
# characters); the files are named in Unicode. The stand-in reads its arguments in the ANSI
# code page, as many programs do, so it cannot open the image and the press fails (107): its
# row is written all the same.
folder='C:\Stations\站 한글\'
lay_station "$folder"
start_station "$folder"
write_checksum
press '\[error\]'
stop_station
log=$(station_today_log "$st")
station_check "non-ANSI folder: the daily log has the start line" \
    grep -qa '\[info \]log4me:application starting\.\.\.\.' "$log"
station_check "non-ANSI folder: the run's command is logged, in GBK with ? for Korean" grep -qaF \
    "$(gbk '[info ]Para="C:\Stations\站 ??\bin\nrfjprog.exe" -e --program "C:\Stations\站 ??\merge.hex"')" "$log"
station_check "non-ANSI folder: the record has the press's row under the Unicode folder" test \
    "$(rows "$st" | cut -d, -f3,5 | tr '\n' '|')" = 'C:\Stations\站 한글\,C:\Stations\站 한글\merge.hex|'
station_check "non-ANSI folder: nothing in log4me_err.log" test ! -e "$st/log4me_err.log"
# The error file too: with the daily files' folder gone, every line is reported there.
printf '[log4me]\r\npath=gone\r\nlevel=info\r\n' >"$st/config.ini"
start_station "$folder"
reported() { grep -caF "$(gbk 'Cannot create file "C:\Stations\站 ??\\gone\')" "$st/log4me_err.log"; }
for _ in $(seq 600); do
    [[ $(reported 2>/dev/null) -ge 3 ]] && break
    sleep 0.1
done
stop_station
station_check "non-ANSI folder: the error file has the start, self-check and verdict lines' reports" \
    test "$(reported 2>/dev/null)" -ge 3

# A station 300 characters deep: its tool's folder (304) is too long to be the interpreter's
# working folder. Refused at the first refresh and at a press; the stand-in never runs.
folder=$(deep_folder Deep300 300)
lay_station "$folder"
start_station "$folder"
press '\[error\]'
stop_station
message="ERROR:${folder}bin\\的路径过长（304个字符），命令解释器最多只能使用259个字符，不运行烧写工具。请把工作站文件夹移到较短的路径下。"
station_check "300-character folder: refused with its message, at start and at the press" \
    test "$(grep -caF "[error]$(gbk "$message")" "$(station_today_log "$st")")" -eq 2
station_check "300-character folder: the stand-in never ran" test ! -e "$st/bin/calls.log"
station_check "300-character folder: the press's row says 110" \
    test "$(rows "$st" | cut -d, -f8,9)" = "FAIL,110"

# Just under the limit: the tool's path is 258 characters (242 + "bin\nrfjprog.exe").
folder=$(deep_folder Deep242 242)
lay_station "$folder"
start_station "$folder"
write_checksum
press 'Verify OK'
stop_station
station_check "242-character folder: the tool's path is 258 characters" \
    test $((${#folder} + 16)) -eq 258
station_check "242-character folder: programs and passes" test \
    "$(rows "$st" | cut -d, -f8,9)" = "PASS,0"

# The serial label belongs to its group box: with four probes, or one long line, nothing of
# the window outside the group's inside changes (the label sits under 刷新信息, which covers
# it). Client coordinates: the group's inside ends at 702 and 71, the label starts at 86, 31.
# settled_shot CROP FILE: the window's area CROP once Wine has copied its painting to the X
# server: two grabs in a row alike (the station is idle, so nothing paints any more).
settled_shot() {
    import -window "$win" -crop "$1" +repage "$2"
    for _ in $(seq 50); do
        import -window "$win" -crop "$1" +repage "$work/again.png"
        compare -metric AE "$2" "$work/again.png" null: 2>/dev/null && return 0
        mv "$work/again.png" "$2"
    done
    echo "e2e: the window kept changing" >&2
    return 1
}
shoot_serials() {
    lay_station 'C:\Station\' "$1"
    start_station 'C:\Station\'
    read -r ox oy <<<"$STATION_CLIENT_OFFSET"
    settled_shot "704x153+$ox+$oy" "$work/$2.png"
    stop_station
}
outside() { convert "$work/$1.png" -fill black -draw 'rectangle 86,31 701,70' "$work/$1-outside.png"; }
button() { convert "$work/$1.png" -crop 75x25+608+26 +repage "$work/$1-button.png"; }
same() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>/dev/null; }
differ() { ! same "$@"; }
shoot_serials 682123456 one
shoot_serials 682000001,682000002,682000003,682000004 four
shoot_serials "ERROR:$(printf 'x%.0s' $(seq 200))" long
for shot in one four long; do
    outside "$shot"
    button "$shot"
done
station_check "four serials stay inside the group" same one-outside four-outside
station_check "one long line stays inside the group" same one-outside long-outside
station_check "one long line stays under 刷新信息" same one-button long-button
station_check "four serials show more than one" differ one four

# Another program holds the record against writers (as a spreadsheet that has it open does)
# during three presses: each passes at once, its row waits beside the record in this copy's own
# pending file. A second copy in the folder (Line2) keeps its own the same way. Once the program
# has let go, each copy's next press appends its own rows, in order, before its new one; neither
# touches the other's.
lay_station 'C:\Station\'
start_station 'C:\Station\'
write_checksum
press 'Verify OK'
wine "$build/tests/support/win_helper.exe" hold "C:\\Station\\logs\\$(today).csv" \
    </dev/null >"$work/held.txt" 2>&1 &
holder=$!
for _ in $(seq 300); do
    grep -q held "$work/held.txt" 2>/dev/null && break
    sleep 0.1
done
station_check "the record is held" grep -q held "$work/held.txt"
for _ in 1 2 3; do
    press 'Verify OK'
done
stop_station
station_check "while held, all three presses passed" \
    test "$(grep -ca 'Verify OK' "$(station_today_log "$st")")" -eq 4
station_check "while held, the record keeps its one row" test "$(rows "$st" | wc -l)" -eq 1
station_check "while held, three rows wait in romtool's pending file" \
    test "$(grep -c ',romtool,.*,PASS,' "$(record "$st").romtool.pending" 2>/dev/null)" -eq 3
cp "$st/romtool.exe" "$st/Line2.exe"
start_station 'C:\Station\' Line2
press 'Verify OK'
station_check "while held, Line2's row waits in its own pending file" \
    test "$(grep -c ',Line2,.*,PASS,' "$(record "$st").Line2.pending" 2>/dev/null)" -eq 1
kill "$holder"
wait "$holder" || true
press 'Verify OK'
stop_station
station_check "once let go, Line2 wrote its own two rows and left romtool's waiting" test \
    "$(rows "$st" | cut -d, -f2 | tr '\n' ' ')" = "romtool Line2 Line2 "
station_check "romtool's rows still wait" test -s "$(record "$st").romtool.pending"
start_station 'C:\Station\'
press 'Verify OK'
stop_station
station_check "then romtool wrote its four: every row once" test \
    "$(rows "$st" | cut -d, -f2 | sort | uniq -c | tr -s ' ' | tr '\n' '|')" = " 2 Line2| 5 romtool|"
for title in romtool Line2; do
    station_check "$title's rows are in the order of its presses" \
        sort -c <(rows "$st" | grep ",$title," | cut -d, -f1)
done
station_check "no row waits any more" test -z "$(ls "$st/logs/" | grep pending)"
station_check "nothing in log4me_err.log" test ! -e "$st/log4me_err.log"

e2e_finish "e2e folders (Wine)" || exit 1
