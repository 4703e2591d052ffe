// The fixtures of a bench: config.ini's [fixture1] ... [fixture8], each a press of its own bound
// to its own probe, everything else shared by all of them:
//
//     [fixture1]
//     probe=682000001   ; the fixture's J-Link serial (required)
//     name=A            ; shown on its tile, in its rows and log lines (its number when not set)
//     probe.Line2=...   ; per application title, as [station] probe. is
//
// Without any such section the station has one fixture, as it always had. A section counts when
// it has a probe= or a name=.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace station {

inline constexpr int kMostFixtures = 8;
inline constexpr std::size_t kLongestFixtureName = 8;  // bytes: a tile has room for that much

struct FixtureSettings {
    int number = 0;                     // N of [fixtureN]
    std::string name;                   // name=, or the number
    std::string probe;                  // probe= as written; "" when not set
    std::optional<std::string> serial;  // the probe as a serial; none when not digits
    // Why this fixture cannot press (its check fails with 114 naming it); "" when it can: no
    // probe=, one that is no serial, one or a name another fixture has too, a name too long.
    std::string problem;
};

// The fixtures config.ini at configPath names for the copy titled title, in number order; none
// for a one-fixture station.
std::vector<FixtureSettings> ReadFixtures(const std::string& configPath, const std::string& title);

}  // namespace station
