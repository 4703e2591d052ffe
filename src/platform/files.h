// Files and folders: existence, version stamps, open files with the share modes the station asks
// for, and the failures the station shows and logs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace os {

// What could not be done with a file; the first words of the failure's message.
enum class FileVerb { kOpen, kCreate, kRead, kWrite };

// A file that cannot be opened, created, read or written: the verb, the file's path made
// absolute, and the system's error code. Its message is the one the station shows and logs, e.g.
// Cannot open file "C:\Station\merge.crc". The system cannot find the file specified -- the
// system's own text for the code without trailing blanks, control characters and full stops.
class FileError : public std::runtime_error {
public:
    FileError(FileVerb verb, const std::string& path, std::uint32_t systemCode);

    FileVerb Verb() const { return verb_; }
    const std::string& Path() const { return path_; }
    std::uint32_t SystemCode() const { return systemCode_; }
    // True when another program holds the file against this use (on Windows a sharing or lock
    // violation: a spreadsheet that has the file open, say), so the same use may succeed once
    // it lets go. Always false on Linux, which has no mandatory share modes.
    bool HeldByAnotherProgram() const;

private:
    FileVerb verb_;
    std::string path_;
    std::uint32_t systemCode_;
};

bool FileExists(const std::string& path);    // a file (not a folder) exists at path
bool FolderExists(const std::string& path);  // a folder exists at path
// The names of the files (not folders) in folder (ending in the separator); none when it cannot
// be read.
std::vector<std::string> FileNamesIn(const std::string& folder);

// What tells one version of a file from another without reading it. settled is true once the
// last change is more than two seconds old: a later change cannot share its time stamp then,
// so an unchanged stamp means unchanged content.
struct FileStamp {
    std::uint64_t size = 0;
    // The file itself: its inode on Linux, its creation time on Windows.
    std::uint64_t identity = 0;
    std::int64_t changed = 0;  // the last change of content or name, in the system's units
    bool settled = false;

    bool SameVersion(const FileStamp& other) const {
        return size == other.size && identity == other.identity && changed == other.changed;
    }
};
// The stamp of the file (not a folder) at path; nothing when there is none.
std::optional<FileStamp> StampOf(const std::string& path);

// What other handles may do with a file while this handle has it open. Honoured on Windows;
// Linux has no mandatory share modes and opens the file regardless.
enum class Share {
    kNone,       // nobody else may open it
    kRead,       // others may read it, nobody may write it
    kReadWrite,  // others may read and write it
};

// An open file. Move-only; closes its handle when destroyed.
class File {
public:
    File() = default;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool IsOpen() const { return handle_ != kInvalid; }
    const std::string& Path() const { return path_; }

    // Reads up to size bytes; returns how many were read, 0 at the end of the file.
    // Throws FileError (kRead) on failure.
    std::size_t Read(void* buffer, std::size_t size);
    // Writes all size bytes in one call to the OS. Throws FileError (kWrite); on Linux a write
    // that stopped part way is undone first when nothing was written after it, so a full disk
    // leaves no torn line (on Windows it is not undone).
    void Write(const void* data, std::size_t size);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    // Closes the handle now; harmless when already closed.
    void Close() noexcept;
    // False once the file was deleted or another file took its name (Path()), so that a
    // long-lived handle notices it writes into a file nobody will find. Always true on Windows,
    // where a file open with sharing cannot be replaced and its deletion waits for the close.
    bool IsStillNamed() const noexcept;

    // For the platform implementations only.
    File(std::intptr_t handle, std::string path) : handle_(handle), path_(std::move(path)) {}

private:
    friend std::optional<char> LastByteOf(const std::string& path);

    static constexpr std::intptr_t kInvalid = -1;
    std::intptr_t handle_ = kInvalid;
    std::string path_;
};

// Opens an existing file for reading. Throws FileError (kOpen).
File OpenForReading(const std::string& path, Share share);
// Creates the file for writing, replacing one that exists. Throws FileError (kCreate).
File CreateForWriting(const std::string& path, Share share);
// Opens the file for appending (others may read and write it meanwhile), creating it when it
// does not exist. Every Write lands at the file's current end, also when another process
// appends to it too. Throws FileError: kOpen when the file exists, kCreate when it does not.
File OpenForAppending(const std::string& path);
// Renames from over to, replacing to; from's content and the rename have reached the disk when
// the call returns, so a power cut afterwards keeps the new file. Throws FileError (kCreate)
// naming to.
void ReplaceFile(const std::string& from, const std::string& to);
// Removes the file if it exists; never throws.
void RemoveFile(const std::string& path) noexcept;
// Renames from to to unless a file is already at to, in one step: of two processes racing to
// the same name, exactly one wins. Returns false, leaving from in place, when to exists. Throws
// FileError (kCreate) naming to on any other failure.
bool MoveUnlessExists(const std::string& from, const std::string& to);

// The file's last byte; none when it is empty. Other programs may read and write it meanwhile.
// Throws FileError (kOpen, kRead).
std::optional<char> LastByteOf(const std::string& path);
// The whole content of the file, opened for reading with share. Throws FileError.
std::string ReadWholeFile(const std::string& path, Share share);
// Replaces the file's content with bytes. They go to a temporary file beside it first (path +
// ".tmp", opened exclusively), which is then renamed over it, so a crash never leaves a
// half-written file. Throws FileError (kCreate) naming path; the temporary file is gone then.
void ReplaceFileContent(const std::string& path, std::string_view bytes);

}  // namespace os
