// The twelve keys that the offer page fills ("i2": the picture), and its HTML as the page builds it.
#pragma once

#include <string>

#include "resources/ResourceContract.h"
#include "wizard/pages/OfferTutorial.h"

namespace testing_support {

using Resource::kOfferKeys;

// The description 38 in the template 40, the picture `imageId` (0: none); placeholders first, then the resources.
inline std::string BuildOfferHtml(ResourceManager* resources, const std::string& offerTag, int imageId = 241)
{
    OfferTutorial tutorial(resources);
    tutorial.LoadPlaceholders();
    tutorial.offerTag = offerTag, tutorial.imageId = imageId, tutorial.jsonTextId = 38, tutorial.templateId = 40;
    tutorial.BuildHtml();
    return tutorial.html;
}

}  // namespace testing_support
