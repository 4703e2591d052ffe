// The station's checksum of some bytes, worked out independently of integrity::FileChecksum, so
// tests can write checksum files without image files and check FileChecksum against it.
#pragma once

#include <string>

#include "integrity/md5.h"

namespace test_support {

// MD5 of "jq" + MD5(bytes) + "qevo", both as 32 upper-case hexadecimal digits.
inline std::string ChecksumOf(const std::string& bytes) {
    return integrity::Md5Hex("jq" + integrity::Md5Hex(bytes) + "qevo");
}

}  // namespace test_support
