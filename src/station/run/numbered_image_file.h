// A board's own image for one press: the checked image with its serial number's word added
// (tool/numbered_image.h), beside the station's other working files (NumberedImagePath), for the
// length of one run: the file is gone when the object is, on every way out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace station {

class NumberedImageFile {
public:
    // Writes checkedImage with number's word at address into folder, named after title; writes
    // nothing when there is no number or no checked image (Path() is then ""). Throws
    // os::FileError when the file cannot be written.
    NumberedImageFile(const std::string& folder, const std::string& title,
                      const std::string& checkedImage, std::uint32_t address,
                      std::optional<std::uint32_t> number);
    ~NumberedImageFile();
    NumberedImageFile(const NumberedImageFile&) = delete;
    NumberedImageFile& operator=(const NumberedImageFile&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace station
