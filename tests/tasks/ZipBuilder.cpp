#include "ZipBuilder.h"

#include <zlib.h>

#include <stdexcept>

namespace testing_support {

namespace {

void Put16(std::string& out, unsigned value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, unsigned long value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, (value >> 16) & 0xFFFF);
}

// `windowBits` as deflateInit2 takes it: negative for raw deflate data, 16
// added for a gzip wrapper.
std::string Deflate(const std::string& content, int windowBits)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    return out;
}

// The fields that the local header and the central directory share.
void PutCommonFields(std::string& out, const ZipItem& item, unsigned long crc, size_t compressedSize)
{
    const unsigned utf8Names = 1u << 11;
    Put16(out, 20);                                      // version needed
    Put16(out, utf8Names | (item.encrypted ? 1u : 0u));  // flags
    Put16(out, item.method);
    Put16(out, 0);       // time
    Put16(out, 0x21);    // date: 1980-01-01
    Put32(out, crc);
    Put32(out, static_cast<unsigned long>(compressedSize));
    Put32(out, static_cast<unsigned long>(item.content.size()));
    Put16(out, static_cast<unsigned>(item.name.size()));
    Put16(out, 0);  // extra field length
}

}  // namespace

std::string BuildZip(const std::vector<ZipItem>& items)
{
    std::string archive;
    std::string directory;
    for (const ZipItem& item : items) {
        std::string data = item.method == ZipItem::Deflated ? Deflate(item.content, -MAX_WBITS) : item.content;
        if (item.brokenDeflate && !data.empty())
            data[0] = static_cast<char>(0xFF);  // final block of the reserved type 3
        unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(item.content.data()),
                                  static_cast<uInt>(item.content.size()));
        if (item.wrongCrc)
            crc ^= 0x5A5A5A5A;
        const size_t offset = archive.size();

        Put32(archive, 0x04034B50);
        PutCommonFields(archive, item, crc, data.size());
        archive += item.name;
        archive += data;

        Put32(directory, 0x02014B50);
        Put16(directory, 20);  // version made by
        PutCommonFields(directory, item, crc, data.size());
        Put16(directory, 0);  // comment length
        Put16(directory, 0);  // disk number
        Put16(directory, 0);  // internal attributes
        Put32(directory, item.name.empty() || item.name.back() != '/' ? 0x20 : 0x10);  // external attributes
        Put32(directory, static_cast<unsigned long>(offset));
        directory += item.name;
    }
    const size_t directoryOffset = archive.size();
    archive += directory;
    Put32(archive, 0x06054B50);
    Put16(archive, 0);  // this disk
    Put16(archive, 0);  // disk with the directory
    Put16(archive, static_cast<unsigned>(items.size()));
    Put16(archive, static_cast<unsigned>(items.size()));
    Put32(archive, static_cast<unsigned long>(directory.size()));
    Put32(archive, static_cast<unsigned long>(directoryOffset));
    Put16(archive, 0);  // comment length
    return archive;
}

std::string Gzip(const std::string& content)
{
    return Deflate(content, 16 + MAX_WBITS);
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
