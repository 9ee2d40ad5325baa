#include "BuildAddress.h"

#include "BuildSettings.h"
#include "Files.h"

namespace testing_support {

namespace {

const std::string kAddress = Narrow(SETUP_RESOURCE_ARCHIVE_URL_AS_CONFIGURED);
// Where the path begins, after "scheme://host[:port]".
const size_t kPathStart = kAddress.find('/', kAddress.find("//") + 2);

}  // namespace

unsigned short ArchivePort()
{
    const size_t colon = kAddress.find(':', kAddress.find("//"));
    return static_cast<unsigned short>(colon > kPathStart ? 80 : std::stoi(kAddress.substr(colon + 1)));
}

std::string ArchivePath()
{
    return kAddress.substr(kPathStart);
}

std::string ArchiveServerUrl(const std::string& path)
{
    return kAddress.substr(0, kPathStart) + path;
}

}  // namespace testing_support
