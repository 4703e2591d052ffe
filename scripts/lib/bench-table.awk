# The Markdown table of scripts/bench from its records "SAMPLE NAME VALUE": a sample is one round
# of a benchmark program or one pair of a paired run; a record NAME error marks a benchmark that
# failed. Each row sets two names side by side over every sample that has both, and gives our
# median figure, the anchor's, and the ratio anchor/ours (memory rows: ours/anchor), min and
# median. Rows of the Windows build under Wine give ratios only.

$3 == "error" { failed[$2] = failed[$2 ":cpu"] = failed[$2 ":rss"] = 1; next }
{
    if (!($1 in known)) { known[$1] = 1; samples[++sampleCount] = $1 }
    value[$2, $1] = $3
}

function median(list, n,    i, j, t) {
    for (i = 2; i <= n; ++i)
        for (j = i; j > 1 && list[j - 1] > list[j]; --j) {
            t = list[j]; list[j] = list[j - 1]; list[j - 1] = t
        }
    return n % 2 ? list[(n + 1) / 2] : (list[n / 2] + list[n / 2 + 1]) / 2
}
function smallest(list, n,    i, m) {
    m = list[1]
    for (i = 2; i <= n; ++i) if (list[i] < m) m = list[i]
    return m
}
# A value shown in unit: seconds as ms or us, seconds per size bytes as MB/s or ns/B, seconds per
# press as presses a minute, KiB as MiB, bytes as MB; "-" for a row of ratios only.
function shown(v, unit, size) {
    if (unit == "ratio") return "-"
    if (unit == "MB/s") return sprintf("%.0f MB/s", size / v / 1e6)
    if (unit == "ns/B") return sprintf("%.3f ns/B", v / size * 1e9)
    if (unit == "/min") return sprintf("%.0f /min", 60 / v)
    if (unit == "rows/s") return sprintf("%.0f rows/s", 1 / v)
    if (unit == "ms") return sprintf("%.1f ms", v * 1e3)
    if (unit == "us") return sprintf("%.0f us", v * 1e6)
    if (unit == "MiB") return sprintf("%.1f MiB", v / 1024)
    if (unit == "MB") return sprintf("%.1f MB", v / 1e6)
    return v
}
# One row. ours and anchor name records; anchor2, when given, is a second anchor of which the
# smaller counts in each sample. ratio: "time" gives anchor/ours, "memory" ours/anchor.
# ourSize and anchorSize scale the per-byte units.
function row(measure, ours, anchor, anchor2, unit, ourSize, anchorSize, ratio, target,
             s, k, n, o, a, ratios, oursList, anchorList, ratioMedian, met, t) {
    # A row without figures misses a target; one that only informs has none to miss.
    met = target ~ /^[<>]=/ ? "**no**" : "-"
    if (failed[ours] || failed[anchor]) {
        printf "| %s | failed | | | | %s | %s |\n", measure, target, met
        return
    }
    n = 0
    for (k = 1; k <= sampleCount; ++k) {
        s = samples[k]
        if (!((ours, s) in value) || !((anchor, s) in value)) continue
        o = value[ours, s]; a = value[anchor, s]
        if (anchor2 != "" && (anchor2, s) in value && value[anchor2, s] < a) a = value[anchor2, s]
        ++n
        oursList[n] = o; anchorList[n] = a
        ratios[n] = ratio == "time" ? (a / anchorSize) / (o / ourSize) : o / a
    }
    if (n == 0) {
        printf "| %s | missing | | | | %s | %s |\n", measure, target, met
        return
    }
    ratioMedian = median(ratios, n)
    split(target, t, " ")
    met = t[1] == ">=" ? (ratioMedian >= t[2] ? "yes" : "**no**") \
        : t[1] == "<=" ? (ratioMedian <= t[2] ? "yes" : "**no**") : "-"
    printf "| %s | %s | %s | %.2f | %.2f | %s | %s |\n", measure,
           shown(median(oursList, n), unit, ourSize), shown(median(anchorList, n), unit, anchorSize),
           smallest(ratios, n), ratioMedian, target, met
}
# The median of every sample's value of name.
function medianOf(name,    k, n, list) {
    n = 0
    for (k = 1; k <= sampleCount; ++k)
        if ((name, samples[k]) in value) list[++n] = value[name, samples[k]]
    return n ? median(list, n) : 0
}
# A row of seconds, ratio anchor/ours.
function timeRow(measure, ours, anchor, unit, target) {
    row(measure, ours, anchor, "", unit, 1, 1, "time", target)
}
# A row of the Windows build under Wine: its records' names start with "wine_"; ratios only.
function wineRow(measure, ours, anchor, target) {
    timeRow("Wine: " measure, "wine_" ours, "wine_" anchor, "ratio", target)
}

END {
    MiB = 1048576
    info = "(information)"
    print "| measure | ours | anchor | ratio min | ratio median | target | met |"
    print "|---|---|---|---|---|---|---|"
    row("FileChecksum, 256 MiB file vs the faster of md5sum / openssl md5", \
        "BM_FileChecksum/268435456:cpu", "BM_Md5sum/268435456/real_time:cpu", \
        "BM_OpensslMd5/268435456/real_time:cpu", "MB/s", 256 * MiB, 256 * MiB, "time", ">= 0.95")
    row("FileChecksum per byte, 256 MiB vs 16 MiB (linear in size)", \
        "BM_FileChecksum/268435456:cpu", "BM_FileChecksum/16777216:cpu", "", "ns/B", 256 * MiB, \
        16 * MiB, "time", ">= 0.90")
    row("MD5 in memory, 1 MiB vs openssl speed -evp md5", "BM_Md5/1048576:cpu", \
        "openssl_speed_md5", "", "MB/s", MiB, MiB, "time", ">= 0.90")
    timeRow("RunCommand of true vs posix_spawn of /bin/sh -c true", \
        "BM_RunCommandTrue/heap_mib:0/real_time", "BM_SpawnShellTrue/heap_mib:0/real_time", "us", \
        ">= 0.85")
    timeRow("the same, holding 100 MiB of touched heap", \
        "BM_RunCommandTrue/heap_mib:100/real_time", "BM_SpawnShellTrue/heap_mib:100/real_time", \
        "us", ">= 0.85")
    capture = "BM_RunCommandCapture/real_time"
    timeRow("capture of 100 MB of output vs the command to /dev/null", capture, \
        "BM_SpawnShellOutput/to_dev_null/real_time", "ms", ">= 0.5")
    timeRow("the same vs the command through a pipe that cat reads to /dev/null", capture, \
        "BM_SpawnShellOutput/through_pipe/real_time", "ms", info)
    row("capture: peak memory growth vs the output size", "capture_peak_growth_bytes", \
        "capture_output_bytes", "", "MB", 1, 1, "memory", "<= 1.2")
    timeRow("logger: 100,000 lines through LogInfo vs one write(2) per line, O_APPEND", \
        "BM_LogInfo/real_time:cpu", "BM_WriteAppend/real_time:cpu", "ms", ">= 0.8")
    timeRow("press of 开始(&S), full-flash image: time per press vs a shell script doing the same", \
        "press_station", "press_script", "ms", ">= 1.0")
    timeRow("the same, presses per minute over " pressCount " presses", \
        "press_station_group", "press_script_group", "/min", ">= 1.0")
    timeRow("romtool-report --csv, 1,000,000 rows in 2,920 files vs a Python script (csv module) " \
        "computing the same table", "report_ours", "report_python", "ms", ">= 5")
    row("romtool-report: peak memory vs that Python script", "report_ours:rss", \
        "report_python:rss", "", "MiB", 1, 1, "memory", "<= 0.5")
    row("romtool-report: peak memory, 1,000,000 rows vs 100,000", "report_ours:rss", \
        "report_ours_small:rss", "", "MiB", 1, 1, "memory", info)
    timeRow("database: rows per second delivered by 20 stations (processes) at once into one " \
        "PostgreSQL vs 20 processes calling add_record_row directly", "db_delivery_ours", \
        "db_delivery_anchor", "rows/s", ">= 0.5")
    timeRow("press of 开始(&S) with [database] in config.ini vs without", \
        "press_database_on", "press_database_off", "ms", ">= 0.95")
    startup = "BM_StationFirstVerdict/manual_time"
    timeRow("start-up to the first Ready vs a minimal Qt window showing the probe query's output", \
        startup, "BM_MinimalQtWindow/probe/manual_time", "ms", ">= 0.8")
    row("start-up: peak memory vs that minimal window", startup ":rss", \
        "BM_MinimalQtWindow/probe/manual_time:rss", "", "MiB", 1, 1, "memory", "<= 1.5")
    timeRow("start-up vs an empty minimal Qt window (the earlier anchor)", startup, \
        "BM_MinimalQtWindow/plain/manual_time", "ms", info)
    timeRow("start-up vs the empty window showing one line of Chinese in the verdict font", startup, \
        "BM_MinimalQtWindow/chinese/manual_time", "ms", info)
    if (!wine) exit
    wineRow("RunCommand of cmd /C exit 0 vs CreateProcessW of the same, unseen, and a wait", \
        "run_command_exit", "create_process_exit", ">= 0.85")
    wineRow("the same vs CreateProcessW giving cmd a console of its own, as RunCommand does", \
        "run_command_exit", "create_process_exit_own_console", info)
    wineRow("capture of 100 MB of output vs the command to NUL", \
        "capture_run_command", "capture_to_nul", ">= 0.5")
    wineRow("the same vs blocking reads of the pipe into memory", \
        "capture_run_command", "capture_blocking_read", info)
    wineRow("a tool's last byte to RunCommand's return vs to the end of blocking reads", \
        "pipe_delay_run_command", "pipe_delay_blocking_read", info)
    wineRow("the same vs blocking reads of the command started unseen", \
        "pipe_delay_run_command", "pipe_delay_no_console_window", info)
    wineRow("press of 开始(&S), full-flash image: time per press vs a .cmd batch file doing the same", \
        "press_station", "press_script", ">= 1.0")
    wineRow("the same, presses per minute over " winePressCount " presses", \
        "press_station_group", "press_script_group", ">= 1.0")
    wineRow("romtool.exe start-up to the first Ready vs a minimal Win32 window showing the probe " \
        "query's output", "startup_romtool", "startup_minimal_window", ">= 0.8")
    wineRow("romtool.exe start-up vs an empty minimal Win32 window", \
        "startup_romtool", "startup_empty_window", info)
    printf "\nUnder Wine a tool's last byte reached RunCommand's caller after %.1f ms (medians; " \
        "blocking reads\nof the command started alike: %.1f ms; started unseen: %.1f ms).\n", \
        medianOf("wine_pipe_delay_run_command") * 1e3, \
        medianOf("wine_pipe_delay_blocking_read") * 1e3, \
        medianOf("wine_pipe_delay_no_console_window") * 1e3
}
