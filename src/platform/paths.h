// Paths: the platform's separators, splitting a path into its folder and name, the executable's
// own path, and quoting a path for the command interpreter. Paths are UTF-8.
#pragma once

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
// The path made absolute against the current folder; an absolute path is returned as it is.
std::string AbsolutePath(std::string_view path);

// One argument for the command interpreter (cmd.exe or /bin/sh), quoted so that blanks and the
// interpreter's special characters reach the program as part of this one argument.
std::string QuoteArgument(std::string_view argument);

}  // namespace os
