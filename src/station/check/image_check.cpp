// The check's step for the images: each against its checksum file, and a two-core chip's image
// split by its cores.
#include <algorithm>

#include "integrity/checksum.h"
#include "platform/files.h"
#include "station/check/check_steps.h"
#include "station/check/error_codes.h"
#include "station/settings/press_recipe.h"
#include "tool/chip_family.h"
#include "tool/core_split.h"
#include "tool/numbered_image.h"
#include "tool/programmer.h"

namespace station {

namespace {

bool Failing(CheckResult& result, int code) {
    result.code = code;
    return false;
}

// The 115 line for a line of the image: "ERROR:hex文件第12行：结束记录之后还有数据，不能烧写。"
bool Refused(CheckResult& result, std::size_t line, const std::string& why) {
    result.imageMessage = "ERROR:hex文件第" + std::to_string(line) + "行：" + why + "，不能烧写。";
    return Failing(result, kImageRefused);
}

// Splits the checked bytes by the cores; 115 when the image is no sound Intel HEX, a record
// belongs to no core, or there is nothing to program.
bool SplitByCores(const std::string& image, const std::vector<tool::CoreFacts>& cores,
                  CheckResult& result) {
    tool::SplitImage split = tool::SplitByCores(image, cores);
    if (split.fault) {
        return Refused(result, split.fault->line, tool::HexFaultReason(*split.fault));
    }
    if (split.refusedAddress) {
        return Refused(
            result, split.refusedLine,
            "地址" + tool::HexWord(*split.refusedAddress) + "处有数据，不属于芯片的任何一个核");
    }
    if (std::all_of(split.parts.begin(), split.parts.end(),
                    [](const tool::CorePart& part) { return part.Empty(); })) {
        // Nothing to program would still end in a PASS.
        result.imageMessage = "ERROR:hex文件中没有数据，不能烧写。";
        return Failing(result, kImageRefused);
    }
    result.coreParts = std::move(split.parts);
    return true;
}

// Keeps the checked bytes for the boards' own images; 115 when the image is no sound Intel HEX
// or itself writes the number's word.
bool TakesTheNumber(std::string image, std::uint32_t address, CheckResult& result) {
    const tool::WordClash clash = tool::FindWordClash(image, address);
    if (clash.fault) {
        return Refused(result, clash.fault->line, tool::HexFaultReason(*clash.fault));
    }
    if (clash.address) {
        return Refused(result, clash.line,
                       "地址" + tool::HexWord(*clash.address) +
                           "处已有数据，与config.ini的[serial]中address=" + tool::HexWord(address) +
                           "的序列号重叠");
    }
    result.checkedImage = std::move(image);
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
    const PressRecipe recipe = RecipeOf(in.settings);
    std::string image;
    if (!recipe.ReadsImage()) {
        result.checksum = integrity::FileChecksum(in.paths.Hex_Path);
    } else {  // the parts and the numbered image are made of the very bytes checked
        image = os::ReadWholeFile(in.paths.Hex_Path, os::Share::kReadWrite);
        result.checksum = integrity::Checksum(image);
    }
    if (stored != result.checksum) {
        return Failing(result, kChecksumMismatch);
    }
    if (!chip.modemPath.empty() && !ModemMatches(chip, result)) {
        return false;
    }
    if (recipe.numberInImage) {
        return TakesTheNumber(std::move(image), chip.serial->address, result);
    }
    return recipe.cores.empty() || SplitByCores(image, recipe.cores, result);
}

}  // namespace station
