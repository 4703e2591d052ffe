// Walking folders: what a folder holds, files and folders alike, for the programs that search a
// tree of station folders (romtool-report).
#pragma once

#include <string>
#include <vector>

namespace os {

struct FolderEntry {
    std::string name;       // the entry's name, UTF-8
    bool isFolder = false;  // a folder (for a link: its target is one)
    // A symbolic link (Linux) or a reparse point (Windows: a junction or a symbolic link). A walk
    // that does not follow them cannot loop.
    bool isLink = false;
};

// The entries of folder (with or without its final separator), without "." and "..", in the
// order the system lists them. None when the folder cannot be read. Windows: the folder is named
// in Unicode and may be longer than MAX_PATH.
std::vector<FolderEntry> FolderEntries(const std::string& folder);

}  // namespace os
