#include "error_meanings.h"

namespace report {

std::string_view ErrorMeaning(int code) {
    switch (code) {
        case kNoCode: return "no code: an error box ended the press";
        case 0: return "no error";
        case 101: return "programmer tool missing";
        case 102: return "no probe answered (J-Link software or probe)";
        case 103: return "image missing";
        case 104: return "image has no checksum file";
        case 105: return "image does not match its checksum (wrong version)";
        case 106: return "erase failed (reserved)";
        case 107: return "programming or verify failed";
        case 108: return "config.ini missing";
        case 109: return "logs folder missing";
        case 110: return "path refused (% or too long)";
        case 111: return "the station's probe is not connected";
        case 112: return "several probes, none named";
        case 113: return "log folder cannot take a line";
        case 114: return "serial number configuration or range";
        default: return "";
    }
}

}  // namespace report
