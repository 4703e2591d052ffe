#include "station/check/check.h"

#include <utility>

#include "platform/files.h"
#include "station/check/check_steps.h"
#include "station/check/error_codes.h"
#include "station/settings/press_recipe.h"

namespace station {

namespace {

CheckResult Failing(CheckResult result, int code) {
    result.code = code;
    return result;
}

// The run's other files on the command line: the modem's firmware, and every file a press
// writes for the tool (a two-core chip's parts, the numbered copy, the batch and its copy).
std::optional<tool::RefusedPath> RefusedFileOfTheRun(const CheckInputs& in) {
    const ChipSettings& chip = in.settings.chip;
    if (!chip.modemPath.empty()) {
        return tool::FindRefusedPath(in.paths.Bin_Path, in.settings.Prog_Path, chip.modemPath);
    }
    for (const std::string& path :
         PressFilePaths(RecipeOf(in.settings), in.paths.App_Path, in.title)) {
        std::optional<tool::RefusedPath> refused =
            tool::FindRefusedPath(in.paths.Bin_Path, in.settings.Prog_Path, path);
        if (refused) {
            refused->use = tool::PathUse::kTool;  // the station folder is what to move
            return refused;
        }
    }
    return std::nullopt;
}

// The steps up to the checksum comparison; the files are tested in this order.
CheckResult CheckUpToTheChecksum(const CheckInputs& in) {
    CheckResult result;
    if (!os::FileExists(in.settings.Prog_Path)) {
        return Failing(std::move(result), kToolMissing);
    }
    // Nothing is run with a path the command interpreter would change or cannot use.
    result.refusedPath =
        tool::FindRefusedPath(in.paths.Bin_Path, in.settings.Prog_Path, in.paths.Hex_Path);
    if (!result.refusedPath) {
        result.refusedPath = RefusedFileOfTheRun(in);
    }
    if (result.refusedPath) {
        return Failing(std::move(result), kPathRefused);
    }
    // The probe query runs on every check, before any other file is looked at.
    if (!QueryAndBindProbe(in, result)) {
        return result;
    }
    const std::pair<const std::string&, int> files[] = {{in.paths.Hex_Path, kImageMissing},
                                                        {in.paths.CRC_Path, kChecksumFileMissing},
                                                        {in.paths.Config_Path, kConfigMissing}};
    for (const auto& [path, code] : files) {
        if (!os::FileExists(path)) {
            return Failing(std::move(result), code);
        }
    }
    const ChipSettings& chip = in.settings.chip;
    if (!chip.modemPath.empty()) {  // refused as the image is, with the modem's name
        result.namedFile = chip.modemPath;
        if (!os::FileExists(chip.modemPath)) {
            return Failing(std::move(result), kImageMissing);
        }
        if (!os::FileExists(chip.modemChecksumPath)) {
            return Failing(std::move(result), kChecksumFileMissing);
        }
        result.namedFile.clear();
    }
    if (LogFolderTakesLines(in, result)) {
        ChipSettingsUsable(in, result);
    }
    return result;
}

}  // namespace

CheckResult CheckStation(const CheckInputs& inputs) {
    CheckResult result = CheckUpToTheChecksum(inputs);
    if (result.code != 0) {
        return result;
    }
    try {
        ImagesMatch(inputs, result);
    } catch (const os::FileError& error) {
        result.failure = error.what();
    }
    return result;
}

}  // namespace station
