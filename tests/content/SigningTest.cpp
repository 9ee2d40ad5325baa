// Signed resource archives: the build signs with the key it is given, `sign`
// signs an archive in Place (a second time replaces the signature), and
// `verify` accepts only a signature that one of its keys made over the
// archive as it is. Keys are made with the openssl command.
#include "ContentFixture.h"

#include "tasks/ArchiveSignatureLayout.h"

#include <unzip.h>

namespace content_test {

namespace {

class Signing : public ContentFixture {
protected:
    // Makes the key pair NAME.pem and NAME.pub.pem on `curve`; the private key's path.
    fs::path makeKey(const std::string& name, const std::string& curve = "P-256") const
    {
        const std::string key = shellQuote((root() / (name + ".pem")).string());
        const ToolRun run = runCommand("openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:" + curve + " -out " +
                                       key + " && openssl pkey -in " + key + " -pubout -out " +
                                       shellQuote(publicKey(name).string()));
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return root() / (name + ".pem");
    }
    fs::path publicKey(const std::string& name) const { return root() / (name + ".pub.pem"); }
    fs::path archive() const { return out() / "resources.zip"; }
    int verify(const std::vector<std::string>& keyNames) const
    {
        std::vector<std::string> arguments{"verify", archive().string()};
        for (const std::string& name : keyNames) {
            arguments.push_back(publicKey(name).string());
        }
        return runTool(arguments).exitCode;
    }
};

TEST_F(Signing, BuiltArchiveVerifiesWithItsOwnKeyOnlyAndStaysAZipArchive)
{
    const fs::path key = makeKey("publisher");
    makeKey("other");
    const ToolRun run = runTool({"build", content().string(), out().string(), key.string()});
    ASSERT_EQ(run.exitCode, 0) << run.output;

    EXPECT_EQ(verify({"publisher"}), 0);
    EXPECT_EQ(verify({"other"}), 1);
    EXPECT_EQ(verify({"other", "publisher"}), 0) << "a build may trust more than one key";

    unzFile zip = unzOpen64(archive().c_str());
    ASSERT_NE(zip, nullptr);
    char comment[200] = {};
    EXPECT_EQ(unzGetGlobalComment(zip, comment, sizeof comment), static_cast<int>(kArchiveSignatureCommentSize));
    EXPECT_EQ(std::string(comment).rfind("ECDSA-P256-SHA256:", 0), 0u);
    EXPECT_EQ(unzGoToFirstFile(zip), UNZ_OK);
    unzClose(zip);
}

TEST_F(Signing, SignedInPlaceAndAnyChangeFailsVerification)
{
    const fs::path key = makeKey("publisher");
    ASSERT_EQ(build().exitCode, 0);
    EXPECT_EQ(verify({"publisher"}), 1) << "unsigned";
    ASSERT_EQ(runTool({"sign", archive().string(), key.string()}).exitCode, 0);
    ASSERT_EQ(runTool({"sign", archive().string(), key.string()}).exitCode, 0) << "signed again";
    EXPECT_EQ(verify({"publisher"}), 0);

    const std::string good = readFile(archive());
    const std::size_t endRecord = good.size() - kArchiveSignatureCommentSize - 22;
    const std::pair<const char*, std::size_t> changes[] = {
        {"an entry", 40}, {"the end record", endRecord + 4}, {"the signature", good.size() - 1}};
    for (const auto& [name, at] : changes) {
        std::string bytes = good;
        bytes[at] = bytes[at] == '1' ? '2' : '1';
        writeFile(archive(), bytes);
        EXPECT_EQ(verify({"publisher"}), 1) << name;
    }
    writeFile(archive(), good.substr(0, good.size() - 1));
    EXPECT_EQ(verify({"publisher"}), 1) << "signature cut short";
}

TEST_F(Signing, SignRefusesWhatItCannotSignAndLeavesTheArchive)
{
    ASSERT_EQ(build().exitCode, 0);
    const std::string unsigned_ = readFile(archive());
    const std::string commented = unsigned_.substr(0, unsigned_.size() - 2) + std::string("\x05\x00", 2) + "hello";
    const fs::path p384 = makeKey("p384", "P-384");
    makeKey("publisher");
    const std::tuple<const char*, std::string, fs::path, std::string> cases[] = {
        {"a P-384 key", unsigned_, p384, "is not an ECDSA P-256 private key"},
        {"a public key", unsigned_, publicKey("publisher"), "is not an ECDSA P-256 private key"},
        {"an archive with a comment", commented, root() / "publisher.pem", "not a zip archive, or one with a comment"},
        {"not an archive", "plain text", root() / "publisher.pem", "not a zip archive, or one with a comment"},
    };
    for (const auto& [name, bytes, key, message] : cases) {
        writeFile(archive(), bytes);
        const ToolRun run = runTool({"sign", archive().string(), key.string()});
        EXPECT_EQ(run.exitCode, 1) << name;
        EXPECT_NE(run.output.find(message), std::string::npos) << name << ": " << run.output;
        EXPECT_EQ(readFile(archive()), bytes) << name;
    }
}

}  // namespace

}  // namespace content_test
