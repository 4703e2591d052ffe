// The station's operating-system layer: everything the core needs of the OS, behind one
// header with one implementation per platform (os_posix.cpp, os_win.cpp).
//
// Text in this interface is UTF-8 in std::string, except AnsiString, which holds bytes in
// the system's ANSI code page. Paths are UTF-8 and use the platform's own separator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace os {

// ---------------------------------------------------------------------------------------------
// Text

// Bytes in the system's ANSI code page: code page 936 on the stations, UTF-8 on Linux. A type
// of its own so that ANSI bytes and UTF-8 text cannot be mixed by accident.
class AnsiString {
public:
    AnsiString() = default;
    explicit AnsiString(std::string bytes) : bytes_(std::move(bytes)) {}

    const std::string& bytes() const { return bytes_; }
    bool empty() const { return bytes_.empty(); }

    friend bool operator==(const AnsiString& a, const AnsiString& b) {
        return a.bytes_ == b.bytes_;
    }
    friend bool operator!=(const AnsiString& a, const AnsiString& b) { return !(a == b); }

private:
    std::string bytes_;
};

// UTF-8 to the ANSI code page. Characters the code page cannot hold become the code page's
// default character ('?').
AnsiString ToAnsi(std::string_view utf8);
// The ANSI code page to UTF-8. Bytes that do not decode become U+FFFD.
std::string FromAnsi(std::string_view ansi);

// ---------------------------------------------------------------------------------------------
// Paths

// The separator that folders produced by the station end in: '\\' on Windows, '/' elsewhere.
extern const char kPathSeparator;
// The suffix of an executable file: ".exe" on Windows, "" elsewhere.
extern const char* const kExecutableSuffix;
// The line break of the platform's text: "\r\n" on Windows, "\n" elsewhere.
extern const char* const kLineBreak;
// The characters the command interpreter still acts on inside an argument quoted by
// QuoteArgument: "%" for cmd.exe, which expands %NAME% even there; none for /bin/sh.
extern const char* const kExpandedInQuotes;

// True where a path's folder part ends: '\\' or ':' on Windows, '/' elsewhere.
bool IsFolderBreak(char c);
// Everything up to and including the last folder break; "" when there is none.
std::string FolderPart(std::string_view path);
// What follows the last folder break; the whole path when there is none.
std::string NamePart(std::string_view path);

// Full path of the running executable.
std::string ExecutablePath();
// The path made absolute against the current folder; an absolute path is returned as it is.
std::string AbsolutePath(std::string_view path);

// One argument for the command interpreter (cmd.exe or /bin/sh), quoted so that blanks and the
// interpreter's special characters reach the program as part of this one argument.
std::string QuoteArgument(std::string_view argument);

// ---------------------------------------------------------------------------------------------
// Files

// A file that cannot be opened, created, read or written. The message is the one the station
// shows and logs, e.g. Cannot open file "C:\Station\merge.crc". The system cannot find the file
// specified -- the path made absolute, then the system's own text for the error with trailing
// blanks, control characters and full stops removed.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool FileExists(const std::string& path);  // a file (not a folder) exists at path

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
bool FolderExists(const std::string& path);  // a folder exists at path

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
    // Throws FileError ("Cannot read file ...") on failure.
    std::size_t Read(void* buffer, std::size_t size);
    // Writes all size bytes in one call to the OS. Throws FileError ("Cannot write file ...").
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
    static constexpr std::intptr_t kInvalid = -1;
    std::intptr_t handle_ = kInvalid;
    std::string path_;
};

// Opens an existing file for reading. Throws FileError "Cannot open file ...".
File OpenForReading(const std::string& path, Share share);
// Creates the file for writing, replacing one that exists. Throws FileError "Cannot create
// file ...".
File CreateForWriting(const std::string& path, Share share);
// Opens the file for appending (others may read and write it meanwhile), creating it when it
// does not exist. Every Write lands at the file's current end, also when another process
// appends to it too. Throws FileError: "Cannot open file ..." when the file exists,
// "Cannot create file ..." when it does not.
File OpenForAppending(const std::string& path);
// Renames from over to, replacing to. Throws FileError "Cannot create file <to> ...".
void ReplaceFile(const std::string& from, const std::string& to);
// Removes the file if it exists; never throws.
void RemoveFile(const std::string& path) noexcept;
// Renames from to to unless a file is already at to, in one step: of two processes racing to
// the same name, exactly one wins. Returns false, leaving from in place, when to exists. Throws
// FileError "Cannot create file <to> ..." on any other failure.
bool MoveUnlessExists(const std::string& from, const std::string& to);

// ---------------------------------------------------------------------------------------------
// Configuration

// What GetPrivateProfileStringW returns for section, key and default from the INI file at
// iniPath (a 2048-character buffer): the value, or the default when the file, the section or
// the key is missing. On Windows it is that call; elsewhere ReadProfileString over the file.
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& iniPath);

// The reader behind GetProfileString on platforms without the profile call, given the file's
// bytes. Public so that both platforms test it against the same table.
std::string ReadProfileString(std::string_view fileBytes, const std::string& section,
                              const std::string& key, const std::string& defaultValue);

// ---------------------------------------------------------------------------------------------
// Clock

struct LocalTime {
    int year = 0;    // e.g. 2013
    int month = 0;   // 1-12
    int day = 0;     // 1-31
    int hour = 0;    // 0-23
    int minute = 0;  // 0-59
    int second = 0;  // 0-59
    int millisecond = 0;
};

LocalTime LocalNow();

// ---------------------------------------------------------------------------------------------
// Single instance

// A process-wide claim on a name: a named mutex on Windows; elsewhere an abstract-namespace
// unix socket named by the user id and the name, which no other user can hold for this one.
// The claim lasts as long as this object, and the OS drops it when the process ends in any way.
class InstanceLock {
public:
    // Claims the name. When the claim itself cannot be made (not because another copy holds
    // it), the result is as if this were the only copy, and Problem() says why; on Linux that
    // line also goes to standard error.
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another process of this user already holds the name.
    bool AlreadyRunning() const { return alreadyRunning_; }
    // Why the check could not be made; empty when it was.
    const std::string& Problem() const { return problem_; }

private:
    std::intptr_t handle_ = -1;
    bool alreadyRunning_ = false;
    std::string problem_;
};

// ---------------------------------------------------------------------------------------------
// Processes

// A command run through the system's command interpreter ("cmd.exe /C" on Windows, "/bin/sh -c"
// elsewhere) in a given working folder, with its standard output and standard error both going
// into one pipe that this object reads. The command and everything it starts form one tree that
// Terminate ends as a whole: a Job object on Windows; elsewhere the interpreter's process group
// and every other descendant, found by parent links (the station makes itself the subreaper of
// its descendants, so processes that left the group or session are found too).
//
// The destructor ends the tree if it still runs, reaps it and closes every handle, so no child
// or descriptor outlives the object on any path.
class ChildProcess {
public:
    // Starts the command. Returns nullptr when it cannot be started (e.g. the working folder
    // does not exist); nothing is left open or running then.
    static std::unique_ptr<ChildProcess> Start(const std::string& commandLine,
                                               const std::string& workingFolder);

    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    static constexpr long kEnded = -1;  // Read: every writer has closed the pipe

    // Reads up to capacity bytes of output, waiting at most waitMs milliseconds for some to
    // arrive. Returns the count read (> 0); 0 when nothing arrived in time or the interpreter
    // ended meanwhile; kEnded once every writer has closed the pipe.
    long Read(char* buffer, std::size_t capacity, int waitMs);
    // Waits at most waitMs milliseconds for the interpreter to end; true once it has. What it
    // started may still run.
    bool WaitForEnd(int waitMs) noexcept;
    // The interpreter's exit code once it has ended by itself; -1 otherwise.
    int ExitCode() const;
    // Ends the whole tree at once and reaps the interpreter; harmless when it has ended.
    void Terminate() noexcept;

    struct Impl;

private:
    explicit ChildProcess(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace os
