// Standard Base64 (RFC 4648 alphabet, padded, no line breaks), written out
// here so that the corpus checks the program's encoding against its own.
#pragma once

#include <string>

namespace robustness {

std::string Base64(const std::string& bytes);

}  // namespace robustness
