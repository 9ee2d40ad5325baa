// The public keys that this build trusts to sign its resource archive: the
// build's setting SETUP_ARCHIVE_PUBLIC_KEY, embedded when it was built.
#pragma once

#include <cstddef>
#include <vector>

#include "ArchiveSignature.h"

std::vector<ArchivePublicKey> TrustedArchiveKeys();

// The keys of a table in the embedded form (X || Y each), every one of them:
// while a key is replaced the build embeds more than one.
std::vector<ArchivePublicKey> ArchiveKeysOf(const unsigned char (*embedded)[64], std::size_t count);
