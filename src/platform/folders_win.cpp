// Walking folders on Windows: FindFirstFileExW on the folder's Unicode name, long paths
// included.
#include <memory>

#include "platform/folders.h"
#include "platform/internal/win32.h"

namespace os {

std::vector<FolderEntry> FolderEntries(const std::string& folder) {
    std::vector<FolderEntry> entries;
    const bool ends = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    WIN32_FIND_DATAW found{};
    const HANDLE first = FindFirstFileExW(
        win32::FileCallPath(folder + (ends ? "*" : "\\*")).c_str(), FindExInfoBasic, &found,
        FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (first == INVALID_HANDLE_VALUE) {
        return entries;
    }
    const std::unique_ptr<void, decltype(&FindClose)> search(first, &FindClose);
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        entries.push_back({win32::Narrow(name),
                           (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileW(search.get(), &found));
    return entries;
}

}  // namespace os
