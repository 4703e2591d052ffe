// The probe a station is bound to. Several probes on one PC are told apart by their serial
// numbers: config.ini names the one of each copy of the program.
//
//     [station]
//     probe=682123456          ; the probe of every copy in this folder
//     probe.Line2=682000777    ; the copy whose application title is Line2 (overrides probe)
#pragma once

#include <optional>
#include <string>

struct ProbePin {
    std::string written;                // the value as it stands in config.ini
    std::optional<std::string> serial;  // the value as a serial; none when it is not digits
};

// The pin of the copy titled title, read now from the file at configPath: the key
// "probe.<title>", else "probe", in section "station"; an empty value counts as none. Nothing
// when neither is set (or the file is missing).
std::optional<ProbePin> ReadProbePin(const std::string& configPath, const std::string& title);
