// A file per day in a folder: <folder>yyyy-mm-dd<extension>, appended to in whole pieces, with a
// header written once at its start. The logger's daily file and the station's production record
// are both written through one.
#pragma once

#include <chrono>
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
    // having its name, and opened again when it was deleted or replaced. Throws os::FileError;
    // the file is closed then, so the next append tries again.
    void Append(const std::string& folder, const os::LocalTime& day, std::string_view bytes,
                std::chrono::steady_clock::time_point now);
    void Close() noexcept { file_.Close(); }

private:
    const std::string& PathOf(const std::string& folder, const os::LocalTime& day);
    void CreateWithHeader(const std::string& path) const;

    const std::string extension_;
    const std::string header_;
    const bool keepOpen_;
    // The path of the last day and folder asked for, so that a line need not build it.
    std::string folder_;
    os::LocalTime day_{};
    std::string path_;
    os::File file_;
    std::chrono::steady_clock::time_point nameChecked_{};
};

}  // namespace log4me
