#include <gtest/gtest.h>

#include "BuildSettings.h"
#include "tasks/ArchiveAddress.h"

TEST(ArchiveAddressTest, UnscramblingDropsAsterisksAndLowersTheRest)
{
    EXPECT_EQ(UnscrambleAddress(L"H*T*T*P*S*:*/*/*E*X*A*M*P*L*E*.*C*O*M*/*R*.*Z*I*P*").str(),
              L"https://example.com/r.zip");
    EXPECT_EQ(UnscrambleAddress(L"").str(), L"");
    EXPECT_EQ(UnscrambleAddress(L"***").str(), L"");
}

TEST(ArchiveAddressTest, TheBuildStoresTheAddressScrambledAndRestoresIt)
{
    const std::wstring scrambled(SETUP_SCRAMBLED_ARCHIVE_URL);
    EXPECT_EQ(scrambled.find(L"http://"), std::wstring::npos) << "the plain address must not be stored";
    EXPECT_EQ(scrambled.substr(0, 4), L"H*T*");
    EXPECT_EQ(ResourceArchiveAddress().str(), SETUP_RESOURCE_ARCHIVE_URL_AS_CONFIGURED);
}

TEST(ArchiveAddressTest, TheConnectivityCheckDefaultsToTheArchiveAddress)
{
    const std::wstring configured(SETUP_CONNECTIVITY_CHECK_URL);
    EXPECT_EQ(ConnectivityCheckAddress().str(), configured.empty() ? ResourceArchiveAddress().str() : configured);
}
