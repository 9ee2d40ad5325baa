// SHA-256 (FIPS 180-4) of bytes in memory, in portable C++: the content tool
// runs on the build machine as well as on Windows, so it cannot use the
// platform's hashing as the setup program does.
#pragma once

#include "tasks/Sha256Text.h"

#include <string>

namespace content {

Sha256Digest sha256(const std::string& bytes);

}  // namespace content
