#include "station/settings/press_recipe.h"

#include "platform/text.h"

namespace station {

PressRecipe RecipeOf(const StationSettings& settings) {
    const ChipSettings& chip = settings.chip;
    PressRecipe recipe;
    recipe.programmer = settings.station.programmer;
    recipe.cores = chip.family ? tool::CoresOf(*chip.family) : std::vector<tool::CoreFacts>{};
    recipe.fewestCalls =
        chip.fewestSessions && recipe.programmer == Programmer::kNrfjprog && recipe.cores.empty();
    recipe.numberInImage = recipe.fewestCalls && chip.serial.has_value();
    recipe.oneBatch = chip.fewestSessions && recipe.programmer == Programmer::kNrfutil;
    return recipe;
}

std::string CorePartPath(const std::string& folder, const std::string& title,
                         const tool::CoreFacts& core) {
    return folder + title + "." + os::AsciiLower(core.nrfutilName) + ".hex";
}

std::string NumberedImagePath(const std::string& folder, const std::string& title) {
    return folder + title + ".numbered.hex";
}

std::string BatchFilePath(const std::string& folder, const std::string& title) {
    return folder + title + ".batch.json";
}

std::string BatchCopyPath(const std::string& folder, const std::string& title) {
    return folder + title + ".press.batch.json";
}

std::vector<std::string> PressFilePaths(const PressRecipe& recipe, const std::string& folder,
                                        const std::string& title) {
    std::vector<std::string> paths;
    for (const tool::CoreFacts& core : recipe.cores) {
        paths.push_back(CorePartPath(folder, title, core));
    }
    if (recipe.numberInImage) {
        paths.push_back(NumberedImagePath(folder, title));
    }
    if (recipe.oneBatch) {
        paths.push_back(BatchFilePath(folder, title));
        paths.push_back(BatchCopyPath(folder, title));
    }
    return paths;
}

}  // namespace station
