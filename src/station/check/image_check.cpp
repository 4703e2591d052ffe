// The check's step for the images: each against its checksum file, and a two-core chip's image
// split by its cores.
#include <algorithm>

#include "integrity/checksum.h"
#include "platform/files.h"
#include "station/check/check_steps.h"
#include "station/check/error_codes.h"
#include "tool/chip_family.h"
#include "tool/core_split.h"
#include "tool/programmer.h"

namespace station {

namespace {

bool Failing(CheckResult& result, int code) {
    result.code = code;
    return false;
}

// Splits the checked bytes by the cores; 114 when a record belongs to no core.
bool SplitByCores(const std::string& image, const std::vector<tool::CoreFacts>& cores,
                  CheckResult& result) {
    tool::SplitImage split = tool::SplitByCores(image, cores);
    if (split.refusedAddress) {
        result.serialMessage = "ERROR:hex文件在地址" + tool::HexWord(*split.refusedAddress) +
                               "处有数据，不属于芯片的任何一个核，不能烧写。";
        return Failing(result, kSerialNumbers);
    }
    if (!split.badLine.empty()) {
        result.serialMessage =
            "ERROR:hex文件中的“" + split.badLine + "”不是Intel HEX记录，不能按核拆分，不能烧写。";
        return Failing(result, kSerialNumbers);
    }
    if (std::all_of(split.parts.begin(), split.parts.end(),
                    [](const tool::CorePart& part) { return part.Empty(); })) {
        // Nothing to program would still end in a PASS: refused like a record out of place.
        result.serialMessage = "ERROR:hex文件中没有数据，不能烧写。";
        return Failing(result, kSerialNumbers);
    }
    result.coreParts = std::move(split.parts);
    return true;
}

bool ModemMatches(const ChipSettings& chip, CheckResult& result) {
    const std::string stored = integrity::ReadChecksumFile(chip.modemChecksumPath);
    result.modemChecksum = integrity::FileChecksum(chip.modemPath);
    if (stored != result.modemChecksum) {
        result.namedFile = chip.modemPath;
        return Failing(result, kChecksumMismatch);
    }
    return true;
}

}  // namespace

bool ImagesMatch(const CheckInputs& in, CheckResult& result) {
    const std::string stored = integrity::ReadChecksumFile(in.paths.CRC_Path);
    const ChipSettings& chip = in.settings.chip;
    const std::vector<tool::CoreFacts> cores =
        chip.family ? tool::CoresOf(*chip.family) : std::vector<tool::CoreFacts>{};
    std::string image;
    if (cores.empty()) {
        result.checksum = integrity::FileChecksum(in.paths.Hex_Path);
    } else {  // the parts are made of the very bytes the checksum is taken of
        image = os::ReadWholeFile(in.paths.Hex_Path, os::Share::kReadWrite);
        result.checksum = integrity::Checksum(image);
    }
    if (stored != result.checksum) {
        return Failing(result, kChecksumMismatch);
    }
    if (!chip.modemPath.empty() && !ModemMatches(chip, result)) {
        return false;
    }
    return cores.empty() || SplitByCores(image, cores, result);
}

}  // namespace station
