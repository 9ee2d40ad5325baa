#include "BuildAddress.h"

#include "BuildSettings.h"
#include "Files.h"

namespace testing_support {

namespace {

std::string Address()
{
    return Narrow(SETUP_RESOURCE_ARCHIVE_URL_AS_CONFIGURED);
}

// Where the path begins, after "scheme://host[:port]".
size_t PathStart(const std::string& address)
{
    return address.find('/', address.find("//") + 2);
}

}  // namespace

unsigned short ArchivePort()
{
    const std::string address = Address();
    const size_t colon = address.find(':', address.find("//"));
    return static_cast<unsigned short>(colon == std::string::npos || colon > PathStart(address)
                                           ? 80
                                           : std::stoi(address.substr(colon + 1)));
}

std::string ArchivePath()
{
    const std::string address = Address();
    return address.substr(PathStart(address));
}

std::string ArchiveServerUrl(const std::string& path)
{
    const std::string address = Address();
    return address.substr(0, PathStart(address)) + path;
}

}  // namespace testing_support
