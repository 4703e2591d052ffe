#include "report/error_meanings.h"

namespace report {

namespace {

struct Meaning {
    int code;
    std::string_view text;
};

constexpr Meaning kMeanings[] = {
    {kNoCode, "no code: an error box ended the press"},
    {0, "no error"},
    {101, "programmer tool missing"},
    {102, "no probe answered (J-Link software or probe)"},
    {103, "image missing"},
    {104, "image has no checksum file"},
    {105, "image does not match its checksum (wrong version)"},
    {106, "erase failed (reserved)"},
    {107, "programming or verify failed"},
    {108, "config.ini missing"},
    {109, "logs folder missing"},
    {110, "path refused (% or too long)"},
    {111, "the station's probe is not connected"},
    {112, "several probes, none named"},
    {113, "log folder cannot take a line"},
    {114, "serial number configuration or range"},
    {115, "image content refused (a line of the image)"},
};

}  // namespace

std::string_view ErrorMeaning(int code) {
    for (const Meaning& meaning : kMeanings) {
        if (meaning.code == code) {
            return meaning.text;
        }
    }
    return "";
}

}  // namespace report
