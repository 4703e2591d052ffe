// A file per day in a folder: <folder>yyyy-mm-dd<extension>, appended to in whole pieces, with a
// header written once at its start. The logger's daily file and the station's production record
// are both written through one.
//
// Nothing is lost while another program holds a day's file against writers (a spreadsheet that
// has the record open): what cannot be appended waits in a pending file beside it,
// "<file>.pending", and goes to the file, in order and ahead of anything newer, at the next
// append that can open it. The pending file is on disk, so a crash loses nothing either; pending
// files left by an earlier run are found when the folder is first written to. A crash between
// writing the pending pieces to their file and removing the pending file writes them twice at
// the next append: a row is repeated, never lost.
#pragma once

#include <chrono>
#include <set>
#include <string>
#include <string_view>

#include "clock.h"
#include "files.h"

namespace log4me {

class DatedFileAppender {
public:
    // extension: e.g. ".log". header: bytes every new file starts with ("" for none). keepOpen:
    // the file stays open between appends (the daily log); otherwise each append opens and
    // closes it, so that other programs may open it meanwhile.
    DatedFileAppender(std::string extension, std::string header, bool keepOpen);

    // "yyyy-mm-dd" + extension for the day of date.
    static std::string FileName(const os::LocalTime& date, std::string_view extension);

    // Appends bytes, handed to the OS in one write, to the file of day in folder (ending in the
    // separator). A new file gets its header first, in one step with its creation, so that of
    // several processes starting the day's file exactly one header is written and no byte lands
    // before it. A file kept open is checked at most once per millisecond of now for still
    // having its name, and opened again when it was deleted or replaced. Bytes for a file that
    // another program holds go to its pending file; then pending files of other days are tried.
    // Throws os::FileError when the bytes could be neither appended nor kept; the file is closed
    // then, so the next append tries again.
    void Append(const std::string& folder, const os::LocalTime& day, std::string_view bytes,
                std::chrono::steady_clock::time_point now);
    void Close() noexcept { file_.Close(); }

private:
    const std::string& PathOf(const std::string& folder, const os::LocalTime& day);
    void CreateWithHeader(const std::string& path) const;
    void OpenFile(const std::string& path, std::chrono::steady_clock::time_point now);
    // The file's pending bytes, then bytes, in one write to the open file.
    void WriteAfterPending(const std::string& path, std::string_view bytes);
    void FindPendingFiles(const std::string& folder);
    void AppendPendingOfOtherFiles(const std::string& path) noexcept;

    const std::string extension_;
    const std::string header_;
    const bool keepOpen_;
    // The path of the last day and folder asked for, so that a line need not build it.
    std::string folder_;
    os::LocalTime day_{};
    std::string path_;
    os::File file_;
    std::chrono::steady_clock::time_point nameChecked_{};
    std::set<std::string> pending_;  // the files, by path, that have a pending file
};

}  // namespace log4me
