#include "log4me/dated_file.h"

#include <cstdio>
#include <exception>
#include <optional>
#include <random>
#include <utility>
#include <vector>

namespace log4me {

namespace {

// A name no other process picks at the same moment, for the file that becomes the day's file.
std::string NewFileName(const std::string& path) {
    std::random_device device;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.new", static_cast<unsigned>(device()));
    return path + suffix;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Opens path for appending. A file whose last line was torn gets its line end first, so that
// what comes next starts on a line of its own.
os::File OpenOnNewLine(const std::string& path) {
    os::File file = os::OpenForAppending(path);
    const std::optional<char> last = os::LastByteOf(path);
    if (last && *last != '\n') {
        file.Write("\r\n");
    }
    return file;
}

// Tries of other days' files are spaced, so that a file that stays unwritable does not cost
// every line an open.
constexpr std::chrono::seconds kOthersRetry{1};

}  // namespace

DatedFileAppender::DatedFileAppender(std::string extension, std::string header, bool keepOpen,
                                     std::string owner, std::size_t memoryLimit)
    : extension_(std::move(extension)),
      header_(std::move(header)),
      keepOpen_(keepOpen),
      owner_(std::move(owner)),
      memoryLimit_(memoryLimit) {}

std::string DatedFileAppender::FileName(const os::LocalTime& date, std::string_view extension) {
    return os::DateText(date).append(extension);
}

std::string DatedFileAppender::PendingPath(const std::string& path) const {
    return path + "." + owner_ + ".pending";
}

std::size_t DatedFileAppender::PiecesInMemory() const {
    std::size_t pieces = 0;
    for (const auto& entry : waiting_) {
        pieces += entry.second.pieces;
    }
    return pieces;
}

const std::string& DatedFileAppender::PathOf(const std::string& folder, const os::LocalTime& day) {
    if (day.day != day_.day || day.month != day_.month || day.year != day_.year ||
        folder != folder_) {
        if (searched_.insert(folder).second) {
            FindPendingFiles(folder);
        }
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
        file_ = OpenOnNewLine(path);
        nameChecked_ = now;
    }
}

void DatedFileAppender::WriteAfterWaiting(os::File& file, const std::string& path,
                                          std::string_view bytes) {
    const auto found = waiting_.find(path);
    if (found == waiting_.end()) {
        file.Write(bytes);
        return;
    }
    Waiting& waiting = found->second;
    const std::string pendingPath = PendingPath(path);
    std::string all;
    if (waiting.onDisk && os::FileExists(pendingPath)) {
        all = os::ReadWholeFile(pendingPath, os::Share::kRead);
        if (!all.empty() && all.back() != '\n') {
            all += "\r\n";  // a piece torn in the pending file
        }
    }
    all += waiting.inMemory;
    all.append(bytes);
    file.Write(all);
    os::RemoveFile(pendingPath);
    bytesInMemory_ -= waiting.inMemory.size();
    waiting_.erase(found);
}

AppendResult DatedFileAppender::KeepWaiting(const std::string& path, std::string_view bytes,
                                            const std::string& problem) {
    Waiting& waiting = waiting_[path];
    // What waits in memory goes to the pending file ahead of bytes, so the order holds.
    try {
        std::string all = waiting.inMemory;
        all.append(bytes);
        OpenOnNewLine(PendingPath(path)).Write(all);
        bytesInMemory_ -= waiting.inMemory.size();
        waiting.inMemory.clear();
        waiting.pieces = 0;
        waiting.onDisk = true;
        return {Placement::kWaitingOnDisk, problem};
    } catch (const std::exception&) {
    }
    if (bytesInMemory_ + bytes.size() > memoryLimit_) {
        if (!waiting.onDisk && waiting.pieces == 0) {
            waiting_.erase(path);
        }
        return {Placement::kLost, problem};
    }
    waiting.inMemory.append(bytes);
    ++waiting.pieces;
    bytesInMemory_ += bytes.size();
    return {Placement::kWaitingInMemory, problem};
}

void DatedFileAppender::FindPendingFiles(const std::string& folder) {
    const std::string ownSuffix = "." + owner_ + ".pending";
    const std::string earlierSuffix = ".pending";  // of a version that did not name its owner
    for (const std::string& name : os::FileNamesIn(folder)) {
        if (EndsWith(name, ownSuffix)) {
            const std::string file = name.substr(0, name.size() - ownSuffix.size());
            if (EndsWith(file, extension_)) {
                waiting_[folder + file].onDisk = true;
            }
            continue;
        }
        const std::string file = name.substr(0, name.size() - earlierSuffix.size());
        if (EndsWith(name, earlierSuffix) && EndsWith(file, extension_)) {
            // Taken over by one rename, which only one program can win.
            try {
                if (os::MoveUnlessExists(folder + name, PendingPath(folder + file))) {
                    waiting_[folder + file].onDisk = true;
                }
            } catch (const std::exception&) {
            }
        }
    }
}

void DatedFileAppender::FlushOthers(const std::string& except) noexcept {
    std::vector<std::string> paths;
    for (const auto& entry : waiting_) {
        if (entry.first != except) {
            paths.push_back(entry.first);
        }
    }
    for (const std::string& path : paths) {
        try {
            CreateWithHeader(path);
            os::File file = OpenOnNewLine(path);
            WriteAfterWaiting(file, path, {});
        } catch (const std::exception&) {
            // Still waiting: on disk for the next run, or in memory for the next try.
        }
    }
}

AppendResult DatedFileAppender::Append(const std::string& folder, const os::LocalTime& day,
                                       std::string_view bytes,
                                       std::chrono::steady_clock::time_point now) noexcept {
    // A line in the file, the usual case, costs no allocation: the path is the cached one.
    AppendResult result;
    try {
        const std::string& path = PathOf(folder, day);
        try {
            OpenFile(path, now);
            WriteAfterWaiting(file_, path, bytes);
            if (!keepOpen_) {
                file_.Close();
            }
        } catch (const std::exception& error) {
            file_.Close();
            result = KeepWaiting(path, bytes, error.what());
        }
        if (waiting_.size() > waiting_.count(path) && now - othersTried_ >= kOthersRetry) {
            othersTried_ = now;
            FlushOthers(path);
        }
    } catch (const std::exception& error) {
        return {Placement::kLost, error.what()};  // out of memory
    }
    return result;
}

std::size_t DatedFileAppender::Flush() noexcept {
    file_.Close();  // the file kept open is written through a handle of its own like the others
    FlushOthers({});
    return PiecesInMemory();
}

}  // namespace log4me
