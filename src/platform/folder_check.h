// Whether a folder can take what the station writes into it: the daily log and the production
// record must have a place before a board is programmed.
#pragma once

#include <cstdint>
#include <string>

namespace os {

// Why a folder cannot take a line, in the words a line engineer acts on.
enum class FolderProblem {
    kNone,
    kMissing,       // no such folder (or a file in its place)
    kNoPermission,  // it exists, but this user may not create files in it (or it is read-only)
    kFull,          // its disk (or this user's quota) has less room than asked for
    kUnreachable,   // anything else: a network share that is away, a failing disk
};

struct FolderCondition {
    FolderProblem problem = FolderProblem::kNone;
    std::uint64_t freeBytes = 0;   // free for this user, when the folder could be asked
    std::uint32_t systemCode = 0;  // the system's error code behind the problem; 0 for none
};

// Checks that folder (ending in the separator) exists, that a file can be created and written
// in it (a probe file, removed again), and that at least neededBytes are free there for this
// user. Never throws.
FolderCondition CheckFolderTakes(const std::string& folder, std::uint64_t neededBytes);

}  // namespace os
