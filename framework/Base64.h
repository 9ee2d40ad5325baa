// Base64 (RFC 4648, standard alphabet, with padding, no line breaks).
// Written here rather than taken from crypt32: under Wine that DLL brings in
// GnuTLS and its libraries, some 3 MB of working set, for one conversion.
#pragma once

#include <cstddef>
#include <string>

namespace Win32xx {

std::string Base64Encode(const unsigned char* bytes, std::size_t count);

}  // namespace Win32xx
