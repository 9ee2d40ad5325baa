#include <gtest/gtest.h>

#include "BuildSettings.h"
#include "resources/ArchiveAddress.h"

// The build stores the address scrambled; the program restores the configured one.
TEST(ArchiveAddressTest, UnscramblingDropsAsterisksAndLowersTheRest)
{
    EXPECT_EQ(UnscrambleAddress(L"H*T*T*P*S*:*/*/*E*X*A*M*P*L*E*.*C*O*M*/*R*.*Z*I*P*").str(),
              L"https://example.com/r.zip");
    EXPECT_EQ(ResourceArchiveAddress().str(), SETUP_RESOURCE_ARCHIVE_URL_AS_CONFIGURED);
}
