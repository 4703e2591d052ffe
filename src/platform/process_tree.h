// The processes of a command run on Linux, found by their parent links even when they left the
// interpreter's process group or session. Used by ChildProcess.
//
// The station makes itself the subreaper of its descendants, so an orphan of a run comes to the
// station instead of to init. Orphans of a run are told from the station's other children (a
// child it started for another purpose, or another run's interpreter) by the run's process
// group, or by the run's marker: an environment variable every process of the run inherits.
#pragma once

#include <sys/types.h>

#include <string>

namespace os::process_tree {

// Makes the station the reaper of every orphan among its descendants; once per process.
void BecomeSubreaper();

// A new marker for one run, "ROMTOOL_RUN=<station pid>.<n>", to go into its environment.
std::string NewRunMarker();

// Ends every process of the run of interpreter (which has ended but is not reaped yet, so that
// its process group id cannot be reused) and reaps those that came to the station; gives up
// after a few seconds.
void EndRun(pid_t interpreter, const std::string& marker);

// Reaps pid now if it has ended; otherwise keeps it to be reaped by a later call of
// ReapLeftovers, so that a process the kernel cannot end yet (one stuck in a driver call) never
// blocks the station.
void ReapNowOrLater(pid_t pid);
// Reaps the kept processes that have ended meanwhile.
void ReapLeftovers();

}  // namespace os::process_tree
