#include "OfferTutorial.h"

#include <rapidjson/document.h>

#include "resources/ResourceManager.h"

namespace {

// The resources that shape every offer page.
constexpr int kOfferTagTokenId = 166;
constexpr int kPlaceholderPatternId = 168;

const char* const kKeys[] = {"h", "i", "t1", "d1", "t2", "b1", "b2", "b3", "b4", "f", "i2", "dir"};
const char kPictureKey[] = "i2";

}  // namespace

int ReplaceAll(std::string& text, const std::string& search, const std::string& value)
{
    if (search.empty())
        return 0;
    // One pass into a new string: replacing in place moves the rest of the
    // document at every occurrence, which takes minutes on a long template.
    std::string replaced;
    int count = 0;
    size_t copied = 0;
    for (size_t at = text.find(search); at != std::string::npos; at = text.find(search, copied)) {
        replaced.append(text, copied, at - copied);
        replaced += value;
        copied = at + search.size();
        ++count;
    }
    if (count == 0)
        return 0;
    replaced.append(text, copied, std::string::npos);
    text = std::move(replaced);
    return count;
}

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
    offerTagToken = RawText(kOfferTagTokenId);
    placeholderPattern = RawText(kPlaceholderPatternId);
    for (const char* key : kKeys) {
        std::string placeholder = placeholderPattern;
        ReplaceAll(placeholder, "$1", key);
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
        if (key == kPictureKey && pictureOk) {
            // Base64 is plain ASCII: the wide text narrows losslessly.
            const std::wstring& encoded = pictureBase64.str();
            value = "<img src=\"data:image/jpeg;base64," + std::string(encoded.begin(), encoded.end()) + "\" />";
        } else if (member->value.IsString()) {
            value.assign(member->value.GetString(), member->value.GetStringLength());
        }
        std::string search = placeholder;
        ReplaceAll(search, offerTagToken, offerTag);
        ReplaceAll(html, search, value);
    }
}
