#include "TrustedArchiveKeys.h"

#include <algorithm>
#include <iterator>

#include "ArchiveKeys.h"

std::vector<ArchivePublicKey> TrustedArchiveKeys()
{
    return ArchiveKeysOf(kTrustedArchiveKeys, std::size(kTrustedArchiveKeys));
}

std::vector<ArchivePublicKey> ArchiveKeysOf(const unsigned char (*embedded)[64], std::size_t count)
{
    std::vector<ArchivePublicKey> keys;
    for (std::size_t index = 0; index < count; ++index) {
        ArchivePublicKey key{};
        std::copy(std::begin(embedded[index]), std::end(embedded[index]), key.begin());
        keys.push_back(key);
    }
    return keys;
}
