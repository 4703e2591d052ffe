// A file per day in a folder: <folder>yyyy-mm-dd<extension>, appended to in whole pieces, with a
// header written once at its start. The logger's daily file and the station's production record
// are both written through one.
//
// Nothing is lost while the file cannot take a piece. A piece the file cannot take (another
// program holds it, the disk is full, the folder went away) waits in this owner's pending file
// beside it, "<file>.<owner>.pending", and where that cannot be written either, in memory (up
// to a bound). Whatever waits goes to the file first, in order, at the next append or Flush that
// can open it. Each owner (the application title) reads and removes only its own pending files,
// so two programs writing one folder never lose or double each other's pieces; the pending files
// an owner left in an earlier run are found when it first writes to the folder. A crash between
// writing the pending pieces to their file and removing the pending file writes them twice at
// the next append: a piece is repeated, never lost.
//
// A file whose last line was torn (a power cut in the middle of a write) gets its line end
// before anything is appended, so the next piece starts on a line of its own.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/files.h"

namespace log4me {

// Where the bytes of one append are now.
enum class Placement {
    kInFile,           // in the day's file
    kWaitingOnDisk,    // in the pending file beside it
    kWaitingInMemory,  // nowhere on disk: in memory, until the file or the pending file takes them
    kLost,             // nowhere: the memory for waiting pieces was used up
};

struct AppendResult {
    Placement placement = Placement::kInFile;
    std::string problem;  // why the file did not take them (the failure's message); "" if it did
};

class DatedFileAppender {
public:
    // extension: e.g. ".log". header: bytes every new file starts with ("" for none). keepOpen:
    // the file stays open between appends (the daily log); otherwise each append opens and
    // closes it, so that other programs may open it meanwhile. owner: names this program's
    // pending files. memoryLimit: how many bytes may wait in memory at most.
    DatedFileAppender(std::string extension, std::string header, bool keepOpen, std::string owner,
                      std::size_t memoryLimit);

    // "yyyy-mm-dd" + extension for the day of date.
    static std::string FileName(const os::LocalTime& date, std::string_view extension);

    // Appends bytes, handed to the OS in one write after whatever waits for the same file, to the
    // file of day in folder (ending in the separator). A new file gets its header first, in one
    // step with its creation, so that of several processes starting the day's file exactly one
    // header is written and no byte lands before it. A file kept open is checked at most once
    // per millisecond of now for still having its name, and opened again when it was deleted or
    // replaced. Never throws.
    AppendResult Append(const std::string& folder, const os::LocalTime& day, std::string_view bytes,
                        std::chrono::steady_clock::time_point now) noexcept;
    // Tries to write everything that waits to its file. Returns how many appends still wait in
    // memory. Never throws.
    std::size_t Flush() noexcept;
    // How many appends wait in memory.
    std::size_t PiecesInMemory() const;
    void Close() noexcept { file_.Close(); }

private:
    // What waits for one day's file.
    struct Waiting {
        bool onDisk = false;     // the pending file may hold pieces
        std::string inMemory;    // pieces no disk took, oldest first
        std::size_t pieces = 0;  // how many appends inMemory holds
    };

    const std::string& PathOf(const std::string& folder, const os::LocalTime& day);
    void CreateWithHeader(const std::string& path) const;
    void OpenFile(const std::string& path, std::chrono::steady_clock::time_point now);
    // What waits for path, then bytes, in one write to file (open on path); nothing waits then.
    // Throws os::FileError, leaving everything waiting as it was.
    void WriteAfterWaiting(os::File& file, const std::string& path, std::string_view bytes);
    // bytes, which path's file did not take for problem, wait on disk or in memory.
    AppendResult KeepWaiting(const std::string& path, std::string_view bytes,
                             const std::string& problem);
    void FindPendingFiles(const std::string& folder);
    // Writes what waits for other files than except, each to its own file.
    void FlushOthers(const std::string& except) noexcept;
    std::string PendingPath(const std::string& path) const;

    const std::string extension_;
    const std::string header_;
    const bool keepOpen_;
    const std::string owner_;
    const std::size_t memoryLimit_;
    // The path of the last day and folder asked for, so that a line need not build it.
    std::string folder_;
    os::LocalTime day_{};
    std::string path_;
    os::File file_;
    std::chrono::steady_clock::time_point nameChecked_{};
    std::set<std::string> searched_;          // folders whose pending files were looked for
    std::map<std::string, Waiting> waiting_;  // by the path of the day's file
    std::size_t bytesInMemory_ = 0;
    std::chrono::steady_clock::time_point othersTried_{};
};

}  // namespace log4me
