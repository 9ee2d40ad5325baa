#include "Mutations.h"

#include <iterator>

#include "Corpus.h"

namespace robustness {

namespace {

void MutateOnce(std::string& bytes, std::mt19937& random)
{
    static const unsigned char kEdgeBytes[] = {0x00, 0x7F, 0x80, 0xFF, '/', '\\', '.', ':'};
    const size_t at = Below(random, bytes.size());
    const size_t length = 1 + Below(random, 64);
    switch (Below(random, 7)) {
    case 0:
        if (!bytes.empty())
            bytes[at] = static_cast<char>(bytes[at] ^ (1u << Below(random, 8)));
        break;
    case 1:
        if (!bytes.empty())
            bytes[at] = static_cast<char>(kEdgeBytes[Below(random, sizeof kEdgeBytes)]);
        break;
    case 2:
        if (!bytes.empty())
            bytes[at] = static_cast<char>(Below(random, 256));
        break;
    case 3:
        bytes.erase(at, length);
        break;
    case 4:
        bytes.insert(at, bytes.substr(at, length));
        break;
    case 5:
        bytes.insert(at, RandomBytes(random, length));
        break;
    default:
        bytes.resize(at);
        break;
    }
}

}  // namespace

void MutateBytes(std::string& bytes, std::mt19937& random, int changes)
{
    for (int change = 0; change < changes; ++change)
        MutateOnce(bytes, random);
}

void MutateField(std::string& bytes, size_t offset, size_t width, std::mt19937& random)
{
    if (offset + width > bytes.size())
        return;
    static const unsigned long long kEdgeValues[] = {0, 1, 0x7F, 0x80, 0xFF, 0x7FFF, 0xFFFF, 0x7FFFFFFF,
                                                     0x80000000, 0xFFFFFFFF};
    unsigned long long value = Chance(random, 60) ? kEdgeValues[Below(random, std::size(kEdgeValues))]
                                                  : static_cast<unsigned long long>(random());
    if (Chance(random, 20))
        value = bytes.size() + Below(random, 64) - 32;  // a plausible offset or size near the end
    for (size_t i = 0; i < width; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string RandomBytes(std::mt19937& random, size_t count)
{
    std::string bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(Below(random, 256));
    return bytes;
}

}  // namespace robustness
