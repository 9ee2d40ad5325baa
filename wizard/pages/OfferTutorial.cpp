#include "OfferTutorial.h"

#include <rapidjson/document.h>

#include <algorithm>

#include "framework/ReplaceAll.h"
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
    for (const char* key : Resource::kOfferKeys) {
        std::string placeholder = placeholderPattern;
        Win32xx::ReplaceAll<std::string>(placeholder, "$1", key);
        placeholders[key] = placeholder;
    }
}

void OfferTutorial::BuildHtml()
{
    Win32xx::CString pictureBase64;
    const bool pictureOk = m_resources.getPictureBase64(imageId, pictureBase64);
    const std::string jsonText = RawText(jsonTextId);
    html = RawText(templateId);

    // The iterative parser keeps its nesting on the heap: the recursive one
    // runs out of stack on a description nested a few hundred thousand deep.
    rapidjson::Document json;
    json.Parse<rapidjson::kParseIterativeFlag>(jsonText.c_str(), jsonText.size());
    if (json.HasParseError() || !json.IsObject())
        return;

    for (const auto& [key, placeholder] : placeholders) {
        const auto member = json.FindMember(key.c_str());
        if (member == json.MemberEnd())
            continue;
        std::string value;
        if (key == Resource::kOfferPictureKey && pictureOk) {
            // Base64 is plain ASCII: the wide text narrows losslessly.
            const std::wstring& encoded = pictureBase64.str();
            value = "<img src=\"data:image/jpeg;base64," + std::string(encoded.begin(), encoded.end()) + "\" />";
        } else if (member->value.IsString()) {
            value.assign(member->value.GetString(), member->value.GetStringLength());
        }
        // A search text longer than the page cannot occur in it.
        std::string search = placeholder;
        if (!Win32xx::ReplaceAllWithin(search, offerTagToken, offerTag, std::max(html.size(), kMaxHtmlSize)))
            continue;
        if (!Win32xx::ReplaceAllWithin(html, search, value, kMaxHtmlSize)) {
            LOG_ERROR << "Offer page of description " << jsonTextId << " stopped at key " << key
                      << ": it would exceed " << kMaxHtmlSize << " bytes";
            return;
        }
    }
}
