#include "OfferPage.h"

#include <rapidjson/document.h>

#include <algorithm>

#include "framework/ReplaceAll.h"
#include "resources/ResourceContract.h"

std::string OfferPlaceholder(const std::string& pattern, const std::string& key)
{
    std::string placeholder = pattern;
    Win32xx::ReplaceAll<std::string>(placeholder, "$1", key);
    return placeholder;
}

std::optional<std::string> BuildOfferPage(const OfferPageParts& parts,
                                          const std::vector<std::pair<std::string, std::string>>& placeholders,
                                          std::string& html)
{
    html = parts.templateHtml;

    // The iterative parser keeps its nesting on the heap: the recursive one
    // runs out of stack on a description nested a few hundred thousand deep.
    rapidjson::Document json;
    json.Parse<rapidjson::kParseIterativeFlag>(parts.description.c_str(), parts.description.size());
    if (json.HasParseError() || !json.IsObject())
        return std::nullopt;

    for (const auto& [key, placeholder] : placeholders) {
        const auto member = json.FindMember(key.c_str());
        if (member == json.MemberEnd())
            continue;
        std::string value;
        if (key == Resource::kOfferPictureKey && parts.pictureBase64)
            value = "<img src=\"data:image/jpeg;base64," + *parts.pictureBase64 + "\" />";
        else if (member->value.IsString())
            value.assign(member->value.GetString(), member->value.GetStringLength());
        // A search text longer than the page cannot occur in it.
        std::string search = placeholder;
        if (!Win32xx::ReplaceAllWithin(search, parts.tagToken, parts.tag, std::max(html.size(), kMaxOfferPageSize)))
            continue;
        if (!Win32xx::ReplaceAllWithin(html, search, value, kMaxOfferPageSize))
            return key;
    }
    return std::nullopt;
}
