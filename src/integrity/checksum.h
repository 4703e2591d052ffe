// The image's salted checksum and its checksum file.
//
// The checksum is MD5 of "jq" + MD5(image bytes) + "qevo", both digests written as 32 upper-case
// hexadecimal digits. The checksum file holds exactly those 32 bytes: no byte-order mark, no line
// end.
#pragma once

#include <string>

namespace integrity {

// The checksum of the file at path, read as raw bytes (shared with other readers and writers).
// Throws os::FileError when the file cannot be opened or read.
std::string FileChecksum(const std::string& path);

// The checksum of bytes already read: what FileChecksum gives for a file holding them.
std::string Checksum(const std::string& bytes);

// The whole content of the checksum file, decoded from the ANSI code page to UTF-8, whatever its
// length. Opened for reading while refusing other writers, so a file another program holds open
// for writing cannot be read. Throws os::FileError.
std::string ReadChecksumFile(const std::string& path);

// Writes the checksum's bytes as the checksum file at path, replacing one that exists. Written to
// a temporary file beside it (opened exclusively) and renamed over it, so a crash never leaves a
// half-written checksum file. Throws os::FileError "Cannot create file ..." naming path.
void WriteChecksumFile(const std::string& path, const std::string& checksum);

}  // namespace integrity
