// The offer page of one language of a content folder, built as the program
// builds it (wizard/pages/OfferPage.h), to be looked at without Windows.
// Only in the content tool built for the build machine (OpenSSL's Base64).
#pragma once

#include "Content.h"

#include <string>

namespace content {

// Throws std::runtime_error when the page passes its size limit.
std::string BuildOfferPreview(const Content& content, const std::string& code);

}  // namespace content
