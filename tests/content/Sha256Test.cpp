// The tool's SHA-256 against OpenSSL's up to three blocks, where the padding fits or needs one more.
#include "Sha256.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

TEST(Sha256, AgreesWithOpenSslAroundTheBlockBoundaries)
{
    std::string message;
    for (std::size_t length = 0; length <= 3 * 64; ++length) {
        Sha256Digest expected{};
        ASSERT_EQ(EVP_Digest(message.data(), message.size(), expected.data(), nullptr, EVP_sha256(), nullptr), 1);
        EXPECT_EQ(content::sha256(message), expected) << length << " bytes";
        message += static_cast<char>(length * 37);
    }
}
