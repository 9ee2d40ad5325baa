#include "OfferTutorial.h"

#include <vector>

#include "OfferPage.h"
#include "framework/logging/Logger.h"
#include "resources/ResourceManager.h"

OfferTutorial::OfferTutorial(ResourceManager* resources)
    : m_resources(resources ? *resources : GenericSingleton<ResourceManager>::instance())
{
}

std::string OfferTutorial::RawText(int id)
{
    std::vector<unsigned char> data;
    if (!m_resources.fetchBlob(m_resources.currentLanguage().code, id, RESOURCE_TEXT, data))
        return std::string();
    return std::string(data.begin(), data.end());
}

void OfferTutorial::LoadPlaceholders()
{
    offerTagToken = RawText(Resource::OFFER_TAG_TOKEN);
    placeholderPattern = RawText(Resource::OFFER_PLACEHOLDER_PATTERN);
    for (const char* key : Resource::kOfferKeys)
        placeholders[key] = OfferPlaceholder(placeholderPattern, key);
}

void OfferTutorial::BuildHtml()
{
    OfferPageParts parts;
    Win32xx::CString pictureBase64;
    if (m_resources.getPictureBase64(imageId, pictureBase64)) {
        // Base64 is plain ASCII: the wide text narrows losslessly.
        const std::wstring& encoded = pictureBase64.str();
        parts.pictureBase64.emplace(encoded.begin(), encoded.end());
    }
    parts.description = RawText(jsonTextId);
    parts.templateHtml = RawText(templateId);
    parts.tagToken = offerTagToken;
    parts.tag = offerTag;
    const std::vector<std::pair<std::string, std::string>> inOrder(placeholders.begin(), placeholders.end());
    if (const auto stoppedAt = BuildOfferPage(parts, inOrder, html)) {
        LOG_ERROR << "Offer page of description " << jsonTextId << " stopped at key " << *stoppedAt
                  << ": it would exceed " << kMaxHtmlSize << " bytes";
    }
}
