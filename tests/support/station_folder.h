// A complete station folder in a temporary folder, laid out as on a line:
//   bin/nrfjprog[.exe]   a copy of the stand-in programmer
//   bin/nrfutil[.exe]    a copy of the stand-in of its successor
//   merge.hex            a generated image
//   merge.crc            its checksum file
//   config.ini           [log4me] path=logs, level=info
//   logs/
// Each piece can be left out to rehearse an incomplete station.
#pragma once

#include <initializer_list>
#include <string>

#include "temp_folder.h"

namespace test_support {

enum class Part { kTool, kImage, kChecksum, kConfig, kLogs };

// Which pieces a station folder gets: all of them unless named otherwise,
// e.g. Station(StationParts::Without({Part::kTool})).
struct StationParts {
    bool tool = true;
    bool image = true;
    bool checksum = true;
    bool config = true;
    bool logs = true;

    // Every piece but the ones named.
    static StationParts Without(std::initializer_list<Part> missing);
};

class StationFolder : public TempFolder {
public:
    explicit StationFolder(StationParts parts = {});

    std::string BinFolder() const;     // ends in the separator
    std::string ToolPath() const;      // bin/ + the programmer's file name
    std::string NrfutilPath() const;   // bin/ + nrfutil's file name
    std::string ImagePath() const;     // merge.hex
    std::string ChecksumPath() const;  // merge.crc

    // Writes an Intel HEX image of size bytes (a pattern chosen by seed) at path.
    static void WriteImage(const std::string& path, std::size_t size = 4096, unsigned seed = 1);

    // Binds the station to a probe: appends "[station]" and key=serial to config.ini.
    void PinProbe(const std::string& serial, const std::string& key = "probe") const;

    // Rehearsal faults of the stand-in: the content of bin/standin.ini ("key=value" lines).
    void SetStandIn(const std::string& settings) const;
    // Every call the stand-in took, one line each (bin/calls.log); "" when it never ran.
    std::string StandInCalls() const;
    // How many times the stand-in ran.
    int StandInCallCount() const;

    // Today's daily log file, or "" when there is none.
    std::string TodaysLog() const;
};

}  // namespace test_support
