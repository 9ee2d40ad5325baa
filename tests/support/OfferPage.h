// The twelve keys that the offer page fills ("i2": the picture), and its HTML as the page builds it.
#pragma once

#include <string>

#include "resources/ResourceContract.h"
#include "wizard/pages/OfferTutorial.h"

namespace testing_support {

using Resource::kOfferKeys;

// The offer's description in its template, the picture `imageId` (0: none); placeholders first, then the resources.
inline std::string BuildOfferHtml(ResourceManager* resources, const std::string& offerTag,
                                  int imageId = Resource::PICTURE_OFFER)
{
    OfferTutorial tutorial(resources);
    tutorial.LoadPlaceholders();
    tutorial.offerTag = offerTag, tutorial.imageId = static_cast<Resource::Id>(imageId);
    tutorial.jsonTextId = Resource::OFFER_DESCRIPTION, tutorial.templateId = Resource::OFFER_TEMPLATE;
    tutorial.BuildHtml();
    return tutorial.html;
}

}  // namespace testing_support
