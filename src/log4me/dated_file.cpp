#include "dated_file.h"

#include <cstdio>
#include <iterator>
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

// Where the pieces wait that a day's file could not take.
std::string PendingPath(const std::string& path) {
    return path + ".pending";
}

}  // namespace

DatedFileAppender::DatedFileAppender(std::string extension, std::string header, bool keepOpen)
    : extension_(std::move(extension)), header_(std::move(header)), keepOpen_(keepOpen) {}

std::string DatedFileAppender::FileName(const os::LocalTime& date, std::string_view extension) {
    return os::DateText(date).append(extension);
}

const std::string& DatedFileAppender::PathOf(const std::string& folder, const os::LocalTime& day) {
    if (folder != folder_) {
        FindPendingFiles(folder);
    }
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

void DatedFileAppender::OpenFile(const std::string& path,
                                 std::chrono::steady_clock::time_point now) {
    using std::chrono::floor;
    using std::chrono::milliseconds;
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
}

void DatedFileAppender::WriteAfterPending(const std::string& path, std::string_view bytes) {
    if (pending_.count(path) == 0) {
        file_.Write(bytes);
        return;
    }
    const std::string pendingPath = PendingPath(path);
    std::string all =
        os::FileExists(pendingPath) ? os::ReadWholeFile(pendingPath, os::Share::kRead) : "";
    all.append(bytes);
    file_.Write(all);
    os::RemoveFile(pendingPath);
    pending_.erase(path);
}

void DatedFileAppender::FindPendingFiles(const std::string& folder) {
    const std::string suffix = PendingPath(extension_);
    for (const std::string& name : os::FileNamesIn(folder)) {
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            pending_.insert(folder +
                            name.substr(0, name.size() - suffix.size() + extension_.size()));
        }
    }
}

// Another day's file that was held may be free now. One that still is waits for the next
// append; one that fails otherwise keeps its pending file on disk for the next run.
void DatedFileAppender::AppendPendingOfOtherFiles(const std::string& path) noexcept {
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (*it == path) {
            ++it;
            continue;
        }
        try {
            CreateWithHeader(*it);
            const std::string pendingPath = PendingPath(*it);
            os::File file = os::OpenForAppending(*it);
            if (os::FileExists(pendingPath)) {
                file.Write(os::ReadWholeFile(pendingPath, os::Share::kRead));
            }
            file.Close();
            os::RemoveFile(pendingPath);
            it = pending_.erase(it);
        } catch (const os::FileError& error) {
            it = error.HeldByAnotherProgram() ? std::next(it) : pending_.erase(it);
        } catch (...) {
            ++it;
        }
    }
}

void DatedFileAppender::Append(const std::string& folder, const os::LocalTime& day,
                               std::string_view bytes, std::chrono::steady_clock::time_point now) {
    const std::string& path = PathOf(folder, day);
    try {
        OpenFile(path, now);
        WriteAfterPending(path, bytes);
        if (!keepOpen_) {
            file_.Close();
        }
    } catch (const os::FileError& error) {
        file_.Close();
        if (!error.HeldByAnotherProgram()) {
            throw;
        }
        try {
            os::OpenForAppending(PendingPath(path)).Write(bytes);
            pending_.insert(path);
        } catch (const os::FileError&) {
            throw error;  // the bytes are lost: say why the file itself took none
        }
    } catch (...) {
        file_.Close();
        throw;
    }
    if (pending_.size() > pending_.count(path)) {
        AppendPendingOfOtherFiles(path);
    }
}

}  // namespace log4me
