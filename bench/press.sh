#!/bin/sh
# One press of the start button as a line engineer would script it instead of the station, for
# the press benchmark: the probe query, the image's salted double MD5 against merge.crc, the
# programming run with erase, the verdict from the tool's markers, two lines in the daily log and
# one in the day's record. Lives in the station folder; exits 0 on PASS.
cd "${0%/*}" || exit 1
day=$(date +%Y-%m-%d)
log=logs/$day.log

serial=$(cd bin && ./nrfjprog -i 2>&1)
if [ -z "$serial" ]; then
    echo "$(date +%T.%3N) [error]no probe" >>"$log"
    exit 1
fi

upper_md5() { md5sum | cut -c1-32 | tr a-f A-F; }
image_md5=$(upper_md5 <merge.hex)
crc=$(printf 'jq%sqevo' "$image_md5" | upper_md5)
if [ "$crc" != "$(cat merge.crc)" ]; then
    echo "$(date +%T.%3N) [error]checksum mismatch" >>"$log"
    exit 1
fi
echo "$(date +%T.%3N) [info ]CRC=$crc" >>"$log"

output=$(cd bin && ./nrfjprog -e --program ../merge.hex --verify --rbp ALL --pinreset 2>&1)
case $output in
*ERROR:*) verdict=FAIL ;;
*"Verify OK"*) verdict=PASS ;;
*) verdict=FAIL ;;
esac
echo "$(date +%T.%3N) [info ]$verdict $output" >>"$log"
echo "$(date +%Y-%m-%dT%T.%3N),$serial,merge.hex,$crc,yes,$verdict" >>"logs/$day.csv"
[ "$verdict" = PASS ]
