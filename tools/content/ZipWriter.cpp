#include "ZipWriter.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <limits>

namespace content {

namespace {

void Put16(std::string& out, std::uint32_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

struct DosTime {
    std::uint16_t time;
    std::uint16_t date;
};

DosTime ToDosTime(const std::tm& local)
{
    if (local.tm_year < 80) {  // zip time starts in 1980
        return {0, (1 << 5) | 1};
    }
    return {static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2)),
            static_cast<std::uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday)};
}

}  // namespace

std::string DeflateBytes(const std::string& input)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw ZipError("cannot start compressing");
    }
    std::string output(deflateBound(&stream, static_cast<uLong>(input.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = reinterpret_cast<Bytef*>(output.data());
    stream.avail_out = static_cast<uInt>(output.size());
    const int result = deflate(&stream, Z_FINISH);
    output.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        throw ZipError("cannot compress");
    }
    return output;
}

std::string ZipBytes(const std::vector<ZipEntry>& entries, const std::tm& modified)
{
    constexpr std::uint32_t kVersion = 20;  // 2.0: deflate
    constexpr std::uint32_t kStore = 0;
    constexpr std::uint32_t kDeflate = 8;
    constexpr std::uint32_t kUtf8Names = 1 << 11;
    constexpr std::size_t kLimit = std::numeric_limits<std::uint32_t>::max();
    const DosTime stamp = ToDosTime(modified);

    std::string archive;
    std::string directory;
    for (const ZipEntry& entry : entries) {
        if (entry.bytes.size() >= kLimit || archive.size() >= kLimit || entry.name.size() > 0xFFFF) {
            throw ZipError(entry.name + " is too large for a zip archive without extensions");
        }
        const std::string packed = entry.dataOverride ? *entry.dataOverride
                                   : entry.stored     ? entry.bytes
                                                      : DeflateBytes(entry.bytes);
        const auto crc = entry.crcOverride.value_or(static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(entry.bytes.data()), static_cast<uInt>(entry.bytes.size()))));
        const auto offset = static_cast<std::uint32_t>(archive.size());

        // Fields shared by the local header and the central directory entry.
        std::string common;
        Put16(common, kVersion);
        Put16(common, kUtf8Names | entry.extraFlags);
        Put16(common, entry.stored ? kStore : kDeflate);
        Put16(common, stamp.time);
        Put16(common, stamp.date);
        Put32(common, crc);
        Put32(common, static_cast<std::uint32_t>(packed.size()));
        Put32(common, static_cast<std::uint32_t>(entry.bytes.size()));
        Put16(common, static_cast<std::uint32_t>(entry.name.size()));
        Put16(common, 0);  // extra field length

        Put32(archive, 0x04034B50);
        archive += common;
        archive += entry.name;
        archive += packed;

        Put32(directory, 0x02014B50);
        Put16(directory, kVersion);  // made by: MS-DOS attributes
        directory += common;
        Put16(directory, 0);  // comment length
        Put16(directory, 0);  // disk number
        Put16(directory, 0);  // internal attributes
        const bool folder = !entry.name.empty() && entry.name.back() == '/';
        Put32(directory, folder ? 0x10 : 0);  // external attributes: MS-DOS's folder bit
        Put32(directory, offset);
        directory += entry.name;
    }
    if (archive.size() + directory.size() >= kLimit || entries.size() > 0xFFFF) {
        throw ZipError("the archive is too large for a zip archive without extensions");
    }
    const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
    archive += directory;
    Put32(archive, 0x06054B50);
    Put16(archive, 0);  // this disk
    Put16(archive, 0);  // disk of the central directory
    Put16(archive, static_cast<std::uint32_t>(entries.size()));
    Put16(archive, static_cast<std::uint32_t>(entries.size()));
    Put32(archive, static_cast<std::uint32_t>(directory.size()));
    Put32(archive, directoryOffset);
    Put16(archive, 0);  // comment length
    return archive;
}

void WriteZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries, const std::tm& modified)
{
    const std::string archive = ZipBytes(entries, modified);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(archive.data(), static_cast<std::streamsize>(archive.size()));
    file.close();
    if (!file) {
        throw ZipError("cannot write " + path.u8string());
    }
}

}  // namespace content
