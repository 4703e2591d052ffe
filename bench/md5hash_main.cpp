// md5hash FILE: prints the file's MD5 as a line of 32 lower-case hexadecimal digits, as
// "certutil -hashfile FILE MD5" prints it on its second line. Wine's certutil does not hash, so
// the press benchmark's batch file calls this instead. Exits 1 when the file cannot be read.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "integrity/md5.h"
#include "platform/files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: md5hash FILE\n");
        return 1;
    }
    try {
        os::File file = os::OpenForReading(argv[1], os::Share::kReadWrite);
        std::vector<char> block(1 << 20);
        integrity::Md5 md5;
        while (const std::size_t count = file.Read(block.data(), block.size())) {
            md5.Update(block.data(), count);
        }
        std::string digest = integrity::ToUpperHex(md5.Final());
        std::transform(digest.begin(), digest.end(), digest.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::printf("%s\n", digest.c_str());  // CR LF in a Windows text stream
    } catch (const std::exception& error) {
        std::fprintf(stderr, "md5hash: %s\n", error.what());
        return 1;
    }
    return 0;
}
