#include "OfferTutorial.h"

#include <vector>

#include "OfferPage.h"
#include "framework/logging/Logger.h"
#include "resources/ResourceManager.h"

OfferTutorial::OfferTutorial(ResourceManager* resources)
    : m_resources(resources ? *resources : GenericSingleton<ResourceManager>::instance())
{
}

void OfferTutorial::BuildOfferHtml()
{
    offerTag = m_resources.getRawText(Resource::OFFER_TAG).value_or(std::string());
    imageId = Resource::PICTURE_OFFER;
    jsonTextId = Resource::OFFER_DESCRIPTION;
    templateId = Resource::OFFER_TEMPLATE;
    BuildHtml();
}

void OfferTutorial::LoadPlaceholders()
{
    offerTagToken = m_resources.getRawText(Resource::OFFER_TAG_TOKEN).value_or(std::string());
    placeholderPattern = m_resources.getRawText(Resource::OFFER_PLACEHOLDER_PATTERN).value_or(std::string());
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
    parts.description = m_resources.getRawText(jsonTextId).value_or(std::string());
    parts.templateHtml = m_resources.getRawText(templateId).value_or(std::string());
    parts.tagToken = offerTagToken;
    parts.tag = offerTag;
    const std::vector<std::pair<std::string, std::string>> inOrder(placeholders.begin(), placeholders.end());
    if (const auto stoppedAt = BuildOfferPage(parts, inOrder, html)) {
        LOG_ERROR << "Offer page of description " << static_cast<int>(jsonTextId) << " stopped at key "
                  << *stoppedAt << ": it would exceed " << kMaxHtmlSize << " bytes";
    }
}
