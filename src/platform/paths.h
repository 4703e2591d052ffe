// Paths: the platform's separators, splitting a path into its folder and name, the executable's
// own path, and quoting a path for the command interpreter. Paths are UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace os {

// The separator that folders produced by the station end in: '\\' on Windows, '/' elsewhere.
extern const char kPathSeparator;
// The suffix of an executable file: ".exe" on Windows, "" elsewhere.
extern const char* const kExecutableSuffix;
// The characters the command interpreter still acts on inside an argument quoted by
// QuoteArgument: "%" for cmd.exe, which expands %NAME% even there; none for /bin/sh.
extern const char* const kExpandedInQuotes;

// True where a path's folder part ends: '\\' or ':' on Windows, '/' elsewhere.
bool IsFolderBreak(char c);
// Everything up to and including the last folder break; "" when there is none.
std::string FolderPart(std::string_view path);
// What follows the last folder break; the whole path when there is none.
std::string NamePart(std::string_view path);

// Full path of the running executable, however long.
std::string ExecutablePath();
// True for a path that names the same file whatever the current folder: "/..." on Linux; "C:\..."
// or a UNC or device path "\\..." on Windows ("\x" and "C:x" depend on the current drive).
bool IsAbsolutePath(std::string_view path);
// The path made absolute against the current folder; an absolute path is returned as it is.
std::string AbsolutePath(std::string_view path);

// The longest path, in PathLength units, that a command run can use: as its working folder
// (counted with its trailing separator), as the program the interpreter starts, and as a file
// named on the command line for that program to open. Windows: MAX_PATH - 1 = 259 UTF-16 units,
// a path and its terminating null filling MAX_PATH (cmd.exe and the programs it starts are not
// long-path aware, and the working folder of CreateProcessW, like SetCurrentDirectoryW's, takes
// MAX_PATH - 2 characters and the trailing backslash). Linux: PATH_MAX - 1 = 4095 bytes, what
// chdir(2), execve(2) and open(2) take. A command line holding such paths stays far below
// cmd.exe's 8191 characters.
extern const std::size_t kLongestCommandPath;
// The path's length as the system counts it: UTF-16 units on Windows, bytes elsewhere.
std::size_t PathLength(std::string_view path);

// One argument for the command interpreter (cmd.exe or /bin/sh), quoted so that blanks and the
// interpreter's special characters reach the program as part of this one argument.
std::string QuoteArgument(std::string_view argument);

}  // namespace os
