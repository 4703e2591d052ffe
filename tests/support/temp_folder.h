// A folder of its own for one test, removed with everything in it when the test ends.
#pragma once

#include <string>

namespace test_support {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending in the platform's separator.
    const std::string& Path() const { return path_; }
    // Path() + relative name.
    std::string operator/(const std::string& name) const { return path_ + name; }

    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;
    void MakeFolder(const std::string& name) const;

private:
    std::string path_;
};

// The whole content of a file, or "" when it cannot be read.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// The folder of the checked-in test data files, ending in the separator.
std::string DataFolder();

}  // namespace test_support
