// Builds the HTML document of a product offer from resources: a template
// whose placeholders are filled with the string members of a JSON object; the
// placeholder of "i2" may instead receive a picture as an inline JPEG.
// Plain text processing: no window is involved.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "OfferPage.h"
#include "resources/ResourceContract.h"

class ResourceManager;

class OfferTutorial {
public:
    // Reads its resources from `resources` (the process's resource database
    // when none is given).
    explicit OfferTutorial(ResourceManager* resources = nullptr);
    virtual ~OfferTutorial() = default;

    // Builds `html` from the template `templateId` and the JSON `jsonTextId`.
    virtual void BuildHtml();
    // Builds the offer page of the current language: its tag, picture,
    // description and template.
    void BuildOfferHtml();
    // Reads the offer tag token and the placeholder pattern, and makes the
    // placeholder of every key.
    virtual void LoadPlaceholders();

    // The largest page, in bytes: BuildHtml stops before it (OfferPage.h).
    static constexpr size_t kMaxHtmlSize = kMaxOfferPageSize;

    // Established names without the m_ prefix (also those of the private part below).
    Resource::Id imageId{};
    Resource::Id jsonTextId{};
    Resource::Id templateId{};
    std::string offerTag;
    std::string html;

    // Keys in the platform's string order, as the placeholders are visited.
    struct PlatformOrder {
        bool operator()(const std::string& a, const std::string& b) const { return ::lstrcmpA(a.c_str(), b.c_str()) < 0; }
    };
    const std::map<std::string, std::string, PlatformOrder>& Placeholders() const noexcept { return placeholders; }

private:
    ResourceManager& m_resources;
    std::map<std::string, std::string, PlatformOrder> placeholders;
    std::string offerTagToken;
    std::string placeholderPattern;
};
