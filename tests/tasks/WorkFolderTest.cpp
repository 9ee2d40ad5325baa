// GUID folders: the access list they are created with, held open, and what counts as reached through a link.

#include "TaskTestSupport.h"

#include <sddl.h>

#include "framework/LinkCheck.h"
#include "framework/LocalMemory.h"
#include "framework/ScopedHandle.h"
#include "tasks/GuidFolderAccess.h"
#include "tasks/WorkFolder.h"

using namespace testing_support;

// Protected, passed on to files and folders, owned by Administrators; an owner of what is made inside: as the user.
TEST(GuidFolderAccessTest, DescriptorGivesFullControlToSystemAndAdministratorsAndTheUserReadAndExecute)
{
    HANDLE opened = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened));
    const Win32xx::CScopedHandle token(opened);
    unsigned char user[256];
    DWORD size = 0;
    wchar_t* sid = nullptr;
    ASSERT_TRUE(::GetTokenInformation(token.Get(), TokenUser, user, sizeof user, &size));
    ASSERT_TRUE(::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid));
    const Win32xx::CLocalMemory<wchar_t> sidText(sid);

    const Win32xx::CLocalMemory<void> descriptor = GuidFolderDescriptor();
    wchar_t* sddl = nullptr;
    ASSERT_TRUE(descriptor && ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
                                  descriptor.get(), SDDL_REVISION_1,
                                  OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &sddl, nullptr));
    const Win32xx::CLocalMemory<wchar_t> sddlText(sddl);
    EXPECT_EQ(std::wstring(sddl), L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;OW)(A;OICI;0x1200a9;;;" +
                                      std::wstring(sid) + L")");
}

// Wine makes no Windows link: reparse points from the attributes (real links: UnzipTaskTest, LoggingTest).
TEST(LinkCheckTest, ReparsePointsOtherNamesAndOtherFinalPathsAreLinks)
{
    const std::wstring inside = L"\\\\?\\C:\\users\\u\\Temp\\{9A0B}\\a\\b.txt";
    const DWORD file = FILE_ATTRIBUTE_ARCHIVE, reparsePoint = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;
    EXPECT_FALSE(Win32xx::ReachedThroughLink(file, L"\\\\?\\c:\\USERS\\U\\temp\\{9a0b}\\A\\B.TXT", inside));
    EXPECT_TRUE(Win32xx::ReachedThroughLink(reparsePoint, inside, inside));  // a symbolic link, opened itself
    EXPECT_TRUE(Win32xx::IsLinkedFile(reparsePoint, 1));
}

class WorkFolderTest : public TaskTest {};

// A file beside it, in a folder whose name begins with its own, is not the folder's (the rest: UnzipTaskTest).
TEST_F(WorkFolderTest, IsAHeldGuidFolderThatHoldsOnlyWhatLiesInIt)
{
    WorkFolder folder;
    ASSERT_TRUE(folder.Create());
    ASSERT_EQ(GuidFolders(Temp().Path()), std::vector<std::wstring>{folder.Path().str()});
    ExpectHeldPrivateFolder(folder.Path().str());
    const std::wstring beside = folder.Path().str() + L"x";
    ASSERT_TRUE(::CreateDirectoryW(beside.c_str(), nullptr));
    WriteFileBytes(beside + L"\\b.txt", "beside");
    const Win32xx::CScopedHandle file(::CreateFileW((beside + L"\\b.txt").c_str(), FILE_READ_ATTRIBUTES, 0, nullptr,
                                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    EXPECT_FALSE(folder.Holds(file.Get(), L"../" + beside.substr(beside.rfind(L'\\') + 1) + L"/b.txt"));
    EXPECT_FALSE(folder.HoldsFolder(L"missing"));
}
