// A file's digest through CNG against FIPS 180-2's vectors (appendix B, and the empty message), in one read or many.

#include <gtest/gtest.h>

#include "support/Files.h"
#include "tasks/FileSha256.h"

TEST(FileSha256Test, PublishedVectorsFromFilesOfOneAndOfManyReads)
{
    const std::pair<std::string, const char*> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    const testing_support::TempFolder folder(L"sha256");
    for (const auto& [bytes, digest] : cases) {
        testing_support::WriteFileBytes(folder / L"data.bin", bytes);
        Win32xx::CFile file((folder / L"data.bin").c_str(), Win32xx::CFile::modeRead);
        EXPECT_EQ(Sha256Text(Sha256OfFile(file)), digest) << bytes.size() << " bytes";
    }
}
