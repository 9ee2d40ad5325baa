// The offer page's document made from its parts: the template with each
// key's placeholder replaced by the description's string member, or, for
// the picture key, by the picture inline. Plain C++: the content tool builds
// the same page on the build machine for its preview.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct OfferPageParts {
    std::string templateHtml;
    std::string description;  // the JSON object of the offer's texts
    std::string tagToken;     // stands for `tag` inside each placeholder
    std::string tag;
    std::optional<std::string> pictureBase64;  // the JPEG in Base64, when there is a picture
};

// The largest page, in bytes: the build stops before it. A value may hold the
// placeholders of the keys after it, so each key can multiply the page: a
// description of some 50 KB reached gigabytes.
inline constexpr std::size_t kMaxOfferPageSize = 16 << 20;

// The placeholder of `key`: `pattern` with "$1" replaced by the key.
std::string OfferPlaceholder(const std::string& pattern, const std::string& key);

// Builds the page into `html`, visiting the placeholders (key, placeholder)
// in their order. A description that is no JSON object leaves the template
// as it is. Returns the key at which the page would have passed
// kMaxOfferPageSize, where it stopped; nothing when the page is whole.
std::optional<std::string> BuildOfferPage(const OfferPageParts& parts,
                                          const std::vector<std::pair<std::string, std::string>>& placeholders,
                                          std::string& html);
