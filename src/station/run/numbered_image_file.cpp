#include "station/run/numbered_image_file.h"

#include <stdexcept>

#include "platform/files.h"
#include "station/settings/press_recipe.h"
#include "tool/numbered_image.h"

namespace station {

NumberedImageFile::NumberedImageFile(const std::string& folder, const std::string& title,
                                     const std::string& checkedImage, std::uint32_t address,
                                     std::optional<std::uint32_t> number) {
    if (!number || checkedImage.empty()) {
        return;
    }
    const std::string path = NumberedImagePath(folder, title);
    try {
        const std::optional<std::string> numbered = tool::WithWord(checkedImage, address, *number);
        if (!numbered) {  // the check refuses such an image (115) before any number is taken
            throw std::logic_error("hex文件不能加入序列号");
        }
        os::ReplaceFileContent(path, *numbered);
    } catch (...) {
        os::RemoveFile(path);  // a part written before the failure
        throw;
    }
    path_ = path;
}

NumberedImageFile::~NumberedImageFile() {
    if (!path_.empty()) {
        os::RemoveFile(path_);
    }
}

}  // namespace station
