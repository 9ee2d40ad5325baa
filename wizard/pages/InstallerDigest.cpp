#include "InstallerDigest.h"

#include <vector>

#include "resources/ResourceManager.h"

std::optional<std::string> InstallerDigest(ResourceManager& resources, int id)
{
    std::vector<unsigned char> data;
    if (!resources.fetchBlob(resources.currentLanguage().code, id, RESOURCE_TEXT, data))
        return std::nullopt;
    return std::string(data.begin(), data.end());
}
