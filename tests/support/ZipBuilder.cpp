#include "ZipBuilder.h"

#include <zlib.h>

#include <cstdint>
#include <ctime>

#include "ZipWriter.h"

namespace testing_support {

std::string BuildZip(const std::vector<ZipItem>& items)
{
    std::vector<content::ZipEntry> entries;
    for (const ZipItem& item : items) {
        content::ZipEntry entry{item.name, item.content, item.method == ZipItem::Stored, {}, {}, item.encrypted};
        if (item.wrongCrc) {
            const auto crc = crc32(0, reinterpret_cast<const Bytef*>(item.content.data()),
                                   static_cast<uInt>(item.content.size()));
            entry.crcOverride = static_cast<std::uint32_t>(crc ^ 0x5A5A5A5A);
        }
        if (item.brokenDeflate || item.truncated) {
            const std::string kept = item.truncated ? item.content.substr(0, item.content.size() / 2) : item.content;
            std::string data = entry.stored ? kept : content::DeflateBytes(kept);
            if (item.brokenDeflate && !data.empty())
                data[0] = static_cast<char>(0xFF);  // deflated: a final block of the reserved type 3
            entry.dataOverride = std::move(data);
        }
        entries.push_back(std::move(entry));
    }
    return content::ZipBytes(entries, std::tm{});  // before zip's first day: stored as 1980-01-01
}

std::string PatternBytes(size_t size, unsigned seed)
{
    static const char kWords[][8] = {"alpha ", "beta ", "gamma\n", "delta ", "eps ", "zeta\t", "eta ", "theta "};
    std::string out;
    out.reserve(size + 16);
    unsigned state = seed * 2654435761u + 1;
    while (out.size() < size) {
        state = state * 1103515245u + 12345u;
        out += kWords[(state >> 16) & 7];
        out += static_cast<char>('0' + (state >> 24) % 10);
    }
    out.resize(size);
    return out;
}

}  // namespace testing_support
