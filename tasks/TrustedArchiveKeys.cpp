#include "TrustedArchiveKeys.h"

#include <algorithm>
#include <iterator>

#include "ArchiveKeys.h"

std::vector<ArchivePublicKey> TrustedArchiveKeys()
{
    std::vector<ArchivePublicKey> keys;
    for (const auto& embedded : kTrustedArchiveKeys) {
        ArchivePublicKey key{};
        std::copy(std::begin(embedded), std::end(embedded), key.begin());
        keys.push_back(key);
    }
    return keys;
}
