#!/usr/bin/env bash
# The report's page in headless Chromium: every chart drew (its canvas is not blank: the page
# notes it in #chart-check after drawing), and the tables hold the numbers of the records (the
# hand-made station's row exactly, every other row as romtool-report --csv counts it; the yield per
# fixture as --fixture-csv counts it). Saves a screenshot of the page.
#   tests/browser/report_browser_test.sh ROMTOOL_REPORT [SCREENSHOT.png]
set -euo pipefail
report=$1
screenshot=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
browser=$(command -v chromium-headless-shell || command -v chromium || true)
[[ -n $browser ]] || { echo "FAILED: no chromium-headless-shell or chromium (scripts/setup)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

"$here/make_records.sh" "$work/share"
"$report" -o "$work/report.html" "$work/share" 2>"$work/report.err" || fail "romtool-report: exit $?"
"$report" --csv "$work/share" >"$work/table.csv" 2>/dev/null
"$report" --fixture-csv "$work/share" >"$work/fixtures.csv" 2>/dev/null

# A fresh profile, nothing from the network, no GPU; --virtual-time-budget lets the scripts run
# to their end before the DOM is taken.
chrome() {
    timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$work/profile-$1" --virtual-time-budget=10000 "${@:2}" \
        "file://$work/report.html" 2>>"$work/chrome.log"
}
chrome dom --dump-dom >"$work/dom.html" || fail "chromium could not dump the page"

check=$(grep -o '<p id="chart-check"[^>]*>[^<]*' "$work/dom.html" || true)
echo "page: ${check#*>}"
[[ $check == *'data-drawn="5"'* ]] || fail "not every chart drew: $check"
[[ $check != *data-error* ]] || fail "the page's script failed: $check"
for id in chart-hours chart-failures chart-cycle chart-yield chart-fixtures; do
    grep -q "<canvas id=\"$id\"[^>]*data-drawn=\"yes\"" "$work/dom.html" || fail "$id is blank"
done

# The hand-made station: 4 presses, 3 boards (chip A, chip B twice, one press without a chip),
# first-pass yield 1 of 3, final 2 of 3, median 4.00 s and 95th percentile 5.00 s of the two
# passing runs, 3 boards in 2 clock hours.
row='<tr><td>2024-03-05</td><td class="n">4</td><td class="n">3</td><td class="n">2</td><td class="n">2</td><td class="n">33.3</td><td class="n">66.7</td><td class="n">4.00 s</td><td class="n">5.00 s</td><td class="n">1.5</td></tr>'
grep -qF "$row" "$work/dom.html" || fail "Line1's day is not in the table as expected"
# Every row of the CSV table is in the page's tables, up to the final yield.
rows=0
while IFS=, read -r day presses boards pass fail first final; do
    rows=$((rows + 1))
    cells="<tr><td>$day</td><td class=\"n\">$presses</td><td class=\"n\">$boards</td><td class=\"n\">$pass</td><td class=\"n\">$fail</td><td class=\"n\">$first</td><td class=\"n\">$final</td>"
    grep -qF "$cells" "$work/dom.html" || fail "the page lacks the row $day $presses $boards $pass $fail $first $final"
done < <(tail -n +2 "$work/table.csv" | tr -d '\r' | awk -F, '{ print $(NF-9) "," $(NF-8) "," $(NF-7) "," $(NF-6) "," $(NF-5) "," $(NF-4) "," $(NF-3) }')
[[ $rows == 6 ]] || fail "the CSV table has $rows rows, not 6"
# The yield per fixture: a one-fixture station is one row with its station's numbers (Line1: 3
# boards, 1 passed at its first press); every row of --fixture-csv is in the page's table; Line4's
# fixture 3, the worn probe, has the lowest yield.
grep -qF '<tr><td>Line1 — C:\Line1\</td><td></td><td class="n">4</td><td class="n">3</td><td class="n">33.3</td></tr>' \
    "$work/dom.html" || fail "Line1's row of the yield per fixture is not as expected"
fixtures=0
while IFS=, read -r fixture presses boards first; do
    fixtures=$((fixtures + 1))
    grep -qF "<td>$fixture</td><td class=\"n\">$presses</td><td class=\"n\">$boards</td><td class=\"n\">$first</td></tr>" \
        "$work/dom.html" || fail "the page lacks the fixture row $fixture $presses $boards $first"
done < <(tail -n +2 "$work/fixtures.csv" | tr -d '\r' | awk -F, '{ print $(NF-3) "," $(NF-2) "," $(NF-1) "," $NF }')
[[ $fixtures == 7 ]] || fail "the yield per fixture has $fixtures rows, not 7"
lowest=$(awk -F, '$1 == "Line4" { print $NF, $3 }' "$work/fixtures.csv" | tr -d '\r' | sort -n | head -n 1)
[[ $lowest == *' 3' ]] || fail "Line4's lowest yield is not fixture 3's: $lowest"
# The hostile title is text, and the row it could not read is named.
grep -qF '<h3>Line&lt;3&gt;&amp;"q"&lt;/script&gt; <span class="folder">E:\Line 3\</span></h3>' \
    "$work/dom.html" || fail "the hostile title is not shown as text"
grep -qF 'line1/logs/2024-03-05.csv</td><td class="n">6</td><td>it has 3 fields, its file'"'"'s header 13</td>' \
    "$work/dom.html" || fail "the unreadable row is not named"
grep -q 'id="repeated-boards"' "$work/dom.html" || fail "no list of boards programmed more than once"
grep -q 'id="voided-serials"' "$work/dom.html" || fail "no list of voided serial numbers"

if [[ -n $screenshot ]]; then
    mkdir -p "$(dirname "$screenshot")"
    (cd "$work" && chrome shot --window-size=1280,1400 --hide-scrollbars --screenshot="$work/shot.png") ||
        fail "chromium took no screenshot"
    [[ -s $work/shot.png ]] && cp "$work/shot.png" "$screenshot"
fi

if [[ $failures -gt 0 ]]; then
    echo "report browser test: $failures failures; chromium's log:"
    tail -n 20 "$work/chrome.log"
    exit 1
fi
echo "report browser test: 5 of 5 charts drew, $rows table rows and $fixtures fixture rows as counted${screenshot:+; screenshot $screenshot}"
