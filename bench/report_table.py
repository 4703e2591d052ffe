#!/usr/bin/env python3
"""The anchor of the report's benchmark: the per-station, per-day table of romtool-report --csv,
computed by a short script with Python's csv module, as a line engineer would write it.

    report_table.py FOLDER...

Same definitions as romtool-report (src/report/tally.h): a board is a chip ID, or a press
without one; first-pass and final yield per station's day; median and 95th percentile of the
passing presses' run_ms by nearest rank; boards per clock hour with a press. Prints the same CSV.
"""
import csv
import os
import re
import sys

COLUMNS = ["time", "title", "station_folder", "probe", "image", "checksum", "erase", "verdict",
           "error_code", "run_ms", "timed_out", "exit_code", "probe_serial", "device_id",
           "serial_number"]
NAME = re.compile(r"^\d{4}-\d{2}-\d{2}\.csv$")
TIME = re.compile(r"^(\d{4}-\d{2}-\d{2})T(\d{2}):\d{2}:\d{2}(\.\d{1,9})?$")


def record_files(paths):
    found = []
    for path in paths:
        for folder, folders, files in os.walk(path):
            folders.sort()
            found += [os.path.join(folder, f) for f in sorted(files) if NAME.match(f)]
    return sorted(set(found), key=lambda f: os.path.basename(f))


def tenths(part, whole):
    if whole == 0:
        return ""
    t = (part * 20 + whole) // (2 * whole)
    return "%d.%d" % (t // 10, t % 10)


def rank(values, percent):
    return values[(len(values) * percent + 99) // 100 - 1] if values else None


days = {}
for path in record_files(sys.argv[1:]):
    day_of_file = os.path.basename(path)[:10]
    with open(path, encoding="utf-8-sig", newline="") as f:
        rows = csv.reader(f)
        header = next(rows, None)
        if header is None:
            continue
        at = {name: header.index(name) for name in COLUMNS if name in header}
        for row in rows:
            if len(row) < len(header) or row == [""]:
                continue
            field = lambda name: (row[at[name]] if name in at else
                                  row[COLUMNS.index(name)] if COLUMNS.index(name) < len(row)
                                  and COLUMNS.index(name) >= len(header) else "")
            time = TIME.match(field("time"))
            verdict = field("verdict")
            if not time or time.group(1) != day_of_file or verdict not in ("PASS", "FAIL"):
                continue
            key = (field("title"), field("station_folder"), day_of_file)
            d = days.setdefault(key, {"presses": 0, "pass": 0, "boards": {}, "loose": 0,
                                      "loose_pass": 0, "runs": [], "hours": set()})
            passed = verdict == "PASS"
            d["presses"] += 1
            d["pass"] += passed
            d["hours"].add(time.group(2))
            if passed and field("run_ms"):
                d["runs"].append(int(field("run_ms")))
            chip = field("device_id").upper()
            if chip:
                first_last = d["boards"].setdefault(chip, [passed, passed])
                first_last[1] = passed
            else:
                d["loose"] += 1
                d["loose_pass"] += passed

out = csv.writer(sys.stdout, lineterminator="\r\n")
out.writerow(["title", "station_folder", "day", "presses", "boards", "pass", "fail",
              "first_pass_yield_pct", "final_yield_pct", "cycle_median_ms", "cycle_p95_ms",
              "boards_per_hour"])
for (title, folder, day), d in sorted(days.items()):
    boards = len(d["boards"]) + d["loose"]
    first = sum(b[0] for b in d["boards"].values()) + d["loose_pass"]
    final = sum(b[1] for b in d["boards"].values()) + d["loose_pass"]
    runs = sorted(d["runs"])
    median, p95 = rank(runs, 50), rank(runs, 95)
    out.writerow([title, folder, day, d["presses"], boards, d["pass"], d["presses"] - d["pass"],
                  tenths(first * 100, boards), tenths(final * 100, boards),
                  "" if median is None else median, "" if p95 is None else p95,
                  tenths(boards, len(d["hours"]))])
