// The digest of a file through the platform's CNG, against the published
// test vectors, for files smaller and larger than one read.

#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "support/Files.h"
#include "tasks/FileSha256.h"

using testing_support::TempFolder;

namespace {

std::string DigestOfFileWith(const std::string& bytes)
{
    const TempFolder folder(L"sha256");
    const std::wstring path = folder / L"data.bin";
    testing_support::WriteFileBytes(path, bytes);
    Win32xx::CFile file(path.c_str(), Win32xx::CFile::modeRead);
    return Sha256Text(Sha256OfFile(file));
}

}  // namespace

TEST(FileSha256Test, PublishedVectors)
{
    // FIPS 180-2, appendix B, and the digest of the empty message.
    EXPECT_EQ(DigestOfFileWith(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(DigestOfFileWith("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(DigestOfFileWith("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(FileSha256Test, FileOfManyReads)
{
    // One million 'a' (FIPS 180-2, B.3): several reads of the file.
    EXPECT_EQ(DigestOfFileWith(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(FileSha256Test, HashesFromTheCurrentPosition)
{
    const TempFolder folder(L"sha256");
    const std::wstring path = folder / L"data.bin";
    testing_support::WriteFileBytes(path, "xyzabc");
    Win32xx::CFile file(path.c_str(), Win32xx::CFile::modeRead);
    char skipped[3];
    ASSERT_EQ(file.Read(skipped, sizeof(skipped)), 3u);
    EXPECT_EQ(Sha256Text(Sha256OfFile(file)), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(FileSha256Test, ClosedFileRaisesTheFileException)
{
    Win32xx::CFile closed;
    EXPECT_THROW(Sha256OfFile(closed), Win32xx::CFileException);
}
