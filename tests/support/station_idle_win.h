// What an end-to-end test waits for before each click on romtool.exe's window: the station idle.
#pragma once

#include <string>

namespace station_idle {

// Waits, looking every 20 ms for up to seconds, until every visible station window (class
// TRomForm) of the programs named exeName (a file name, "Line2.exe"; any case) is idle: at
// least one exists, none runs an operation (no "RomtoolBusy" property), its 开始 button is
// enabled, and none of its controls waits to be painted. Returns "" then, or else what was
// last seen ("no window", "busy", "开始 disabled", "not painted").
std::string WaitUntilIdle(const std::string& exeName, int seconds);

// Where the client area of the first visible station window of exeName starts inside the
// window, its frame included, in physical pixels: "X Y"; "" when there is no such window. A
// window whose size the test cannot know (the bench's grows with its tiles) is clicked by this.
std::string ClientOffset(const std::string& exeName);

}  // namespace station_idle
