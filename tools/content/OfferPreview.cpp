#include "OfferPreview.h"

#include "wizard/pages/OfferPage.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace content {

namespace {

// A value as the program reads it for the language, else nothing.
std::string ValueOf(const Content& content, const std::string& code, std::int32_t id)
{
    const Value* value = content.Resolve(code, id);
    return value ? value->bytes : std::string();
}

// Base64 without line breaks, as the program encodes the picture.
std::string Base64(const std::string& bytes)
{
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int size = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                     reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    text.resize(static_cast<std::size_t>(size));
    return text;
}

}  // namespace

std::string BuildOfferPreview(const Content& content, const std::string& code)
{
    OfferPageParts parts{ValueOf(content, code, Resource::OFFER_TEMPLATE),
                         ValueOf(content, code, Resource::OFFER_DESCRIPTION),
                         ValueOf(content, code, Resource::OFFER_TAG_TOKEN), ValueOf(content, code, Resource::OFFER_TAG),
                         std::nullopt};
    const ResourceDef* picture = content.FindResource(Resource::PICTURE_OFFER);
    if (picture && picture->type == RESOURCE_PICTURE && content.Resolve(code, Resource::PICTURE_OFFER)) {
        parts.pictureBase64 = Base64(ValueOf(content, code, Resource::PICTURE_OFFER));
    }
    // The keys in byte order, which is the program's order for them.
    std::vector<std::pair<std::string, std::string>> placeholders;
    for (const char* key : Resource::kOfferKeys) {
        placeholders.emplace_back(key, OfferPlaceholder(ValueOf(content, code, Resource::OFFER_PLACEHOLDER_PATTERN), key));
    }
    std::string html;
    if (const auto stoppedAt = BuildOfferPage(parts, placeholders, html)) {
        throw std::runtime_error("the offer page stopped at the key \"" + *stoppedAt + "\": it would exceed " +
                                 std::to_string(kMaxOfferPageSize) + " bytes");
    }
    return html;
}

}  // namespace content
