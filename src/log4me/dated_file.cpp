#include "dated_file.h"

#include <cstdio>
#include <random>
#include <utility>

namespace log4me {

namespace {

// A name no other process picks at the same moment, for the file that becomes the day's file.
std::string NewFileName(const std::string& path) {
    std::random_device device;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.new", static_cast<unsigned>(device()));
    return path + suffix;
}

}  // namespace

DatedFileAppender::DatedFileAppender(std::string extension, std::string header, bool keepOpen)
    : extension_(std::move(extension)), header_(std::move(header)), keepOpen_(keepOpen) {}

std::string DatedFileAppender::FileName(const os::LocalTime& date, std::string_view extension) {
    return os::DateText(date).append(extension);
}

const std::string& DatedFileAppender::PathOf(const std::string& folder, const os::LocalTime& day) {
    if (day.day != day_.day || day.month != day_.month || day.year != day_.year ||
        folder != folder_) {
        folder_ = folder;
        day_ = day;
        path_ = folder + FileName(day, extension_);
    }
    return path_;
}

// The header goes to a file of this process's own first, which then takes the day's name only if
// no other process's file took it meanwhile.
void DatedFileAppender::CreateWithHeader(const std::string& path) const {
    if (header_.empty() || os::FileExists(path)) {
        return;
    }
    const std::string newFile = NewFileName(path);
    try {
        os::CreateForWriting(newFile, os::Share::kNone).Write(header_);
        if (!os::MoveUnlessExists(newFile, path)) {
            os::RemoveFile(newFile);  // another process created the day's file first
        }
    } catch (...) {
        os::RemoveFile(newFile);
        throw;
    }
}

void DatedFileAppender::Append(const std::string& folder, const os::LocalTime& day,
                               std::string_view bytes, std::chrono::steady_clock::time_point now) {
    using std::chrono::floor;
    using std::chrono::milliseconds;
    try {
        const std::string& path = PathOf(folder, day);
        if (file_.IsOpen() && file_.Path() != path) {
            file_.Close();
        }
        // A deleted or replaced file would swallow every line without a trace. Asking costs two
        // system calls, as much as the write itself, so appends of one millisecond share it.
        if (file_.IsOpen() && floor<milliseconds>(now) != floor<milliseconds>(nameChecked_)) {
            nameChecked_ = now;
            if (!file_.IsStillNamed()) {
                file_.Close();
            }
        }
        if (!file_.IsOpen()) {
            CreateWithHeader(path);
            file_ = os::OpenForAppending(path);
            nameChecked_ = now;
        }
        file_.Write(bytes);
        if (!keepOpen_) {
            file_.Close();
        }
    } catch (...) {
        file_.Close();
        throw;
    }
}

}  // namespace log4me
