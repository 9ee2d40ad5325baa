// Writes a zip archive that holds files at its top level, deflated (zlib),
// without data descriptors or extensions, so that any unzip reads it.
#pragma once

#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace content {

class ZipError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ZipEntry {
    std::string name;   // path inside the archive, '/' separated
    std::string bytes;  // contents
};

// Writes the archive to `path` (replacing a file there). `modified` is the
// entries' date and time as zip stores it, without a time zone. Throws
// ZipError; a partial file is left to the caller.
void writeZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries, const std::tm& modified);

}  // namespace content
