#!/usr/bin/env bash
# Lays out the records of three stations over two days under FOLDER, as the browser test and the
# Windows check read them:
#   Line1   four presses by hand (numbers the test knows) and one row it cannot read
#   Line2   the 15-column record (chip IDs and serial numbers), retries of failed boards
#   Line<3>&"q"</script>   the 13-column record under a hostile title
#   Line4   a station of four fixtures (the record's every column), fixture 3 with a worn probe
#   tests/browser/make_records.sh FOLDER
set -euo pipefail
root=$1
header13='time,title,station_folder,probe,image,checksum,erase,verdict,error_code,run_ms,timed_out,exit_code,probe_serial'
bom=$'\xef\xbb\xbf'
mkdir -p "$root/line1/logs" "$root/line2/logs" "$root/line3/logs" "$root/line4/logs"

{
    printf '%s%s\r\n' "$bom" "$header13"
    printf '%s\r\n' \
        '2024-03-05T08:00:00.000,Line1,C:\Line1\,682000001,C:\Line1\merge.hex,9F1C,yes,PASS,0,4000,no,0,682000001,000000000000000A,1' \
        '2024-03-05T08:10:00.000,Line1,C:\Line1\,682000001,C:\Line1\merge.hex,9F1C,yes,FAIL,107,2000,no,1,682000001,000000000000000B,2' \
        '2024-03-05T08:20:00.000,Line1,C:\Line1\,682000001,C:\Line1\merge.hex,9F1C,yes,PASS,0,5000,no,0,682000001,000000000000000B,3' \
        '2024-03-05T09:00:00.000,Line1,C:\Line1\,682000001,C:\Line1\merge.hex,,yes,FAIL,104,,,,682000001' \
        '2024-03-05T09:30:00.000,Line1,cut short'
} >"$root/line1/logs/2024-03-05.csv"

# station_days TITLE FOLDER COLUMNS SEED: two days of presses, 08:00 to 16:59.
station_days() {
    local title=$1 folder=$2 columns=$3 seed=$4 day
    for day in 2024-03-05 2024-03-06; do
        awk -v title="$title" -v folder="$folder" -v columns="$columns" -v seed="$seed" \
            -v day="$day" -v bom="$bom" -v header="$header13" 'BEGIN {
            printf "%s%s%s\r\n", bom, header, columns == 15 ? ",device_id,serial_number" : ""
            srand(seed + (day == "2024-03-06"))
            quoted = title; gsub(/"/, "\"\"", quoted); quoted = "\"" quoted "\""
            chip = (day == "2024-03-06") * 100000 + seed * 1000000; serial = chip
            for (hour = 8; hour < 17; ++hour) {
                presses = 6 + int(rand() * 8)
                for (p = 0; p < presses; ++p) {
                    minute = int(p * 60 / presses)
                    time = sprintf("%sT%02d:%02d:%02d.%03d", day, hour, minute, int(rand() * 60), int(rand() * 1000))
                    ++chip; ++serial
                    r = rand()
                    if (r < 0.04) { verdict = "FAIL"; code = 105; run = "" }
                    else if (r < 0.10) { verdict = "FAIL"; code = 102; run = "" }
                    else if (r < 0.22) { verdict = "FAIL"; code = 107; run = 1500 + int(rand() * 3000) }
                    else { verdict = "PASS"; code = 0; run = 3800 + int(rand() * rand() * 2500) }
                    row = sprintf("%s,%s,%s,682000%03d,%smerge.hex,9F1C,yes,%s,%s,%s,%s,%s,682000%03d", \
                                  time, quoted, folder, seed, folder, verdict, code, run, \
                                  run == "" ? "" : "no", run == "" ? "" : 0, seed)
                    if (columns == 15)
                        row = row sprintf(",%016X,%d", code == 102 ? 0 : chip, serial)
                    if (columns == 15 && code == 102) sub(/,0000000000000000,/, ",,", row)
                    printf "%s\r\n", row
                    # A board that failed programming is tried again at once.
                    if (code == 107 && columns == 15) {
                        ++serial
                        printf "%s,%s,%s,682000%03d,%smerge.hex,9F1C,yes,PASS,0,%d,no,0,682000%03d,%016X,%d\r\n", \
                               time, quoted, folder, seed, folder, 4000 + int(rand() * 900), seed, chip, serial
                    }
                }
            }
        }' >"$root/$5/logs/$day.csv"
    done
}
station_days Line2 'D:\Line2\' 15 2 line2
station_days 'Line<3>&"q"</script>' 'E:\Line 3\' 13 3 line3

# Four fixtures side by side, 08:00 to 11:59: a board that fails is pressed again at its fixture.
# Fixture 3's first presses fail far more often than the others'.
awk -v bom="$bom" -v header="$header13" 'BEGIN {
    printf "%s%s,device_id,serial_number,same_chip_as,board_label,family,sessions,fixture\r\n", bom, header
    srand(4)
    chip = 4000000
    for (minute = 8 * 60; minute < 12 * 60; minute += 2) {
        for (f = 1; f <= 4; ++f) {
            ++chip
            worn = f == 3 ? 0.30 : 0.04
            pass = rand() >= worn
            for (tries = 0; ; ++tries) {
                time = sprintf("2024-03-06T%02d:%02d:%02d.%03d", minute / 60, minute % 60, f * 10 + tries * 5, f)
                printf "%s,Line4,F:\\Line4\\,68200041%d,F:\\Line4\\merge.hex,9F1C,yes,%s,%s,%d,no,%d,68200041%d,%016X,,,,,1,%d\r\n", \
                       time, f, pass ? "PASS" : "FAIL", pass ? 0 : 107, 4000 + int(rand() * 600), !pass, f, chip, f
                if (pass) break
                pass = 1
            }
        }
    }
}' >"$root/line4/logs/2024-03-06.csv"
