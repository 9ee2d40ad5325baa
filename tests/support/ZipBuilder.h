// Zip archives for tests by the content tool's writer, damaged ones too (wrong CRC, broken deflate, encrypted).
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct ZipItem {
    enum Method { Stored = 0, Deflated = 8 };

    std::string name;      // stored as given (UTF-8); folders end with '/'
    std::string content;
    Method method = Deflated;
    bool wrongCrc = false;      // the stored CRC does not match the content
    bool brokenDeflate = false;  // the deflate data starts with an invalid block
    bool encrypted = false;     // flag bit 0 set; the data stays plain
    bool truncated = false;     // the data holds the content's first half only; sizes and CRC are the whole's

    static ZipItem File(std::string name, std::string content) { return {std::move(name), std::move(content)}; }
    static ZipItem Folder(std::string name) { return {std::move(name), std::string(), Stored}; }
};

std::string BuildZip(const std::vector<ZipItem>& items);

// `size` bytes of text-like data that deflate compresses moderately, varying so that misplaced chunks show.
std::string PatternBytes(size_t size, unsigned seed = 1);

}  // namespace testing_support
