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

// A pass phrase from the environment or a file; a missing or wrong one said as such; verify tells an unsigned archive
// from one signed with another key; sign, build and verify name the key by its digest, as OpenSSL computes it.
TEST_F(Signing, PassPhrasesAndWhatSignBuildAndVerifySay)
{
    const std::string key = (root_ / "locked.pem").string(), pub = publicKey("locked");
    ASSERT_EQ(run({"openssl", "genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256", "-aes256", "-pass",
                   "pass:s3cret", "-out", key}).exitCode, 0);
    ASSERT_EQ(run({"openssl", "pkey", "-passin", "pass:s3cret", "-in", key, "-pubout", "-out", pub}).exitCode, 0);
    const std::string digest = run({"sh", "-c", "openssl pkey -pubin -outform DER <" + pub + " | sha256sum"}).output;
    const std::string named = "(public key SHA-256 " + digest.substr(0, 64) + ")\n";
    makeKey("other");
    writeFile(root_ / "pass.txt", "s3cret\n");
    ::setenv("ARCHIVE_PASS", "s3cret", 1);
    const std::tuple<std::vector<std::string>, std::string, int> runs[] = {
        {{"build", content().string(), out().string()}, "\nthe archive is not signed (no signing key given)\n", 0},
        {{"verify", archive(), pub}, ": no signature\n", 1},
        {{"sign", archive(), key}, "locked.pem is encrypted and no pass phrase was given", 1},
        {{"sign", "--passin", "env:UNSET_VARIABLE", archive(), key}, "environment variable UNSET_VARIABLE is not", 1},
        {{"sign", "--passin", "pass:secret", archive(), key}, "wrong pass phrase for " + key + "\n", 1},
        {{"sign", archive(), key, "--passin", "env:ARCHIVE_PASS"}, " with " + key + " " + named, 0},
        {{"verify", archive(), publicKey("other")}, ": signed with another key", 1},
        {{"build", "--passin", "file:" + (root_ / "pass.txt").string(), content().string(), out().string(), key},
         "\nsigned the archive with " + key + " " + named, 0},
        {{"verify", archive(), publicKey("other"), pub}, " signed with " + pub + " " + named, 0}};
    for (const auto& [arguments, said, exitCode] : runs) {
        std::string command = "</dev/null '" CONTENT_TOOL_PATH "'";  // no terminal to ask
        for (const std::string& argument : arguments)
            command += " '" + argument + "'";
        const ToolRun ran = run({"sh", "-c", command});
        EXPECT_NE(ran.output.find(said), std::string::npos) << command << ":\n" << ran.output;
        EXPECT_EQ(ran.exitCode, exitCode) << command;
    }
}

}  // namespace

}  // namespace content_test
