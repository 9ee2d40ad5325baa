// Signed archives: the build signs, `sign` replaces the signature, `verify` accepts only a trusted key's.
#include "ContentFixture.h"

#include "tasks/ArchiveSignatureLayout.h"

namespace content_test {

namespace {

class Signing : public ContentFixture {
protected:
    // Makes the P-256 key pair NAME.pem and NAME.pub.pem; the private key's path.
    std::string makeKey(const std::string& name) const
    {
        const std::string key = (root_ / (name + ".pem")).string();
        EXPECT_EQ(run({"openssl", "genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256", "-out", key})
                      .exitCode, 0);
        EXPECT_EQ(run({"openssl", "pkey", "-pubout", "-in", key, "-out", publicKey(name)}).exitCode, 0);
        return key;
    }
    std::string publicKey(const std::string& name) const { return (root_ / (name + ".pub.pem")).string(); }
    std::string archive() const { return (out() / "resources.zip").string(); }
    int verify(std::vector<std::string> keys) const
    {
        keys.insert(keys.begin(), {"verify", archive()});
        return runTool(keys).exitCode;
    }
};

// Signed in place (again: the signature replaced), the archive verifies with its own key only; any change fails.
TEST_F(Signing, OnlyItsOwnKeyVerifiesAndAnyChangeFails)
{
    const std::string key = makeKey("publisher");
    makeKey("other");
    ASSERT_EQ(build().exitCode, 0);
    EXPECT_EQ(verify({publicKey("publisher")}), 1) << "unsigned";
    ASSERT_EQ(runTool({"sign", archive(), key}).exitCode, 0);
    ASSERT_EQ(runTool({"sign", archive(), key}).exitCode, 0) << "signed again";
    EXPECT_EQ(verify({publicKey("publisher")}), 0);
    EXPECT_EQ(verify({publicKey("other")}), 1);
    EXPECT_EQ(verify({publicKey("other"), publicKey("publisher")}), 0) << "a build may trust more than one key";

    const std::string good = readFile(archive());
    const std::size_t endRecord = good.size() - kArchiveSignatureCommentSize - 22;
    const std::pair<const char*, std::size_t> changes[] = {
        {"an entry", 40}, {"the end record", endRecord + 4}, {"the signature", good.size() - 1}};
    for (const auto& [name, at] : changes) {
        std::string bytes = good;
        bytes[at] = bytes[at] == '1' ? '2' : '1';
        writeFile(archive(), bytes);
        EXPECT_EQ(verify({publicKey("publisher")}), 1) << name;
    }
}

}  // namespace

}  // namespace content_test
