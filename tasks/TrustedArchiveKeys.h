// The public keys that this build trusts to sign its resource archive: the
// build's setting SETUP_ARCHIVE_PUBLIC_KEY, embedded when it was built.
#pragma once

#include <vector>

#include "ArchiveSignature.h"

std::vector<ArchivePublicKey> TrustedArchiveKeys();
