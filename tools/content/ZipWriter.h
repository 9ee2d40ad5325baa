// Writes zip archives: entries deflated (zlib) or stored, without data
// descriptors or extensions, so that any unzip reads them. The content tool
// writes resources.zip with it; the tests build their archives with it,
// damaged ones included (a stored CRC or data of their choosing).
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace content {

class ZipError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ZipEntry {
    std::string name;     // path inside the archive, '/' separated; a folder ends with '/'
    std::string bytes;    // contents
    bool stored = false;  // kept as they are instead of deflated
    // What the archive holds in place of the real data and CRC, and flag bits
    // added to the general-purpose flags: for archives damaged on purpose.
    std::optional<std::string> dataOverride;
    std::optional<std::uint32_t> crcOverride;
    std::uint16_t extraFlags = 0;
};

// The archive's bytes. `modified` is the entries' date and time as zip
// stores it, without a time zone (before 1980: 1980-01-01). Throws ZipError.
std::string ZipBytes(const std::vector<ZipEntry>& entries, const std::tm& modified);

// Writes ZipBytes to `path` (replacing a file there). Throws ZipError; a
// partial file is left to the caller.
void WriteZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries, const std::tm& modified);

// `input` as the raw deflate data that zip's method 8 stores.
std::string DeflateBytes(const std::string& input);

}  // namespace content
