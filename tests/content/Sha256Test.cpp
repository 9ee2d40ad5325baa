// The content tool's own SHA-256: the published vectors, and every message
// length up to three blocks against the system's sha256sum.
#include "ContentFixture.h"

#include "Sha256.h"

namespace content_test {

namespace {

std::string digestOf(const std::string& bytes)
{
    return Sha256Text(content::sha256(bytes));
}

TEST(Sha256, PublishedVectors)
{
    // FIPS 180-2, appendix B, and the digest of the empty message.
    EXPECT_EQ(digestOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(digestOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(digestOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(digestOf(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

class Sha256Lengths : public ContentFixture {};

TEST_F(Sha256Lengths, AgreeWithSha256sumAroundTheBlockBoundaries)
{
    // Up to three blocks: the padding fits in the last block or needs another.
    std::string message;
    for (std::size_t length = 0; length <= 3 * 64; ++length) {
        const fs::path file = root() / ("message-" + std::to_string(length));
        writeFile(file, message);
        // sha256sum prints the file's 64 hexadecimal digits first.
        EXPECT_EQ(digestOf(message), runCommand("sha256sum " + shellQuote(file.string())).output.substr(0, 64))
            << length << " bytes";
        message += static_cast<char>(length * 37);
    }
}

}  // namespace

}  // namespace content_test
