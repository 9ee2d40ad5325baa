// The digest of a file through the platform's CNG, against the published
// test vectors, for files smaller and larger than one read.

#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "support/Files.h"
#include "tasks/FileSha256.h"

using testing_support::TempFolder;

namespace {

// The digest of a file holding `bytes`, hashed after reading `skip` bytes.
std::string DigestOfFileWith(const std::string& bytes, size_t skip = 0)
{
    const TempFolder folder(L"sha256");
    const std::wstring path = folder / L"data.bin";
    testing_support::WriteFileBytes(path, bytes);
    Win32xx::CFile file(path.c_str(), Win32xx::CFile::modeRead);
    std::string skipped(skip, '\0');
    EXPECT_EQ(file.Read(skipped.data(), static_cast<DWORD>(skip)), skip);
    return Sha256Text(Sha256OfFile(file));
}

}  // namespace

TEST(FileSha256Test, PublishedVectorsFromFilesOfOneAndOfManyReads)
{
    // FIPS 180-2, appendix B (one million 'a', B.3, takes several reads), and
    // the digest of the empty message.
    const std::pair<std::string, const char*> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& [bytes, digest] : cases)
        EXPECT_EQ(DigestOfFileWith(bytes), digest) << bytes.size() << " bytes";
}

TEST(FileSha256Test, HashesFromTheCurrentPosition)
{
    EXPECT_EQ(DigestOfFileWith("xyzabc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(FileSha256Test, ClosedFileRaisesTheFileException)
{
    Win32xx::CFile closed;
    EXPECT_THROW(Sha256OfFile(closed), Win32xx::CFileException);
}
