// The folder functions: the temporary folder, GUID names, sub folders and
// the file name of a URL.

#include <regex>
#include <set>

#include "TaskTestSupport.h"
#include "tasks/TempFolders.h"

using namespace testing_support;
using Win32xx::CString;

namespace {
class TempFoldersTest : public TaskTest {};
}  // namespace

// The unique folders fail with it: the tasks' tests of a missing temporary
// folder show that.
TEST_F(TempFoldersTest, TempFolderLongerThanTheBufferFailsAndLeavesThePath)
{
    SetTempVariables(TempPath() + std::wstring(270, L'x'));
    CString path(L"untouched");
    EXPECT_FALSE(GetTempFolderPath(path));
    EXPECT_EQ(path, CString(L"untouched"));
}

// The folder's path is given back even when it cannot be made.
TEST_F(TempFoldersTest, SubFolderPathJoinsBaseAndNameWithOneBackslash)
{
    const std::wstring base = Temp().Path();
    struct Case {
        std::wstring base, name, expected;
        bool made, exists;
    };
    const Case cases[] = {
        {base, L"one", base + L"\\one", true, true},
        {base + L"\\", L"two", base + L"\\two", true, true},
        {base, L"one/sub", base + L"\\one\\sub", true, true},
        {L"", base + L"/three", base + L"\\three", true, true},
        {base, L"two", base + L"\\two", false, true},  // made already
        {base, L"missing/child", base + L"\\missing\\child", false, false},
    };
    for (const Case& c : cases) {
        CString folder;
        EXPECT_EQ(CreateSubFolder(c.base, c.name, folder), c.made ? TRUE : FALSE) << Narrow(c.name);
        EXPECT_EQ(folder.str(), c.expected);
        EXPECT_EQ(FolderExists(c.expected), c.exists);
    }
}

// Their names are the only use of NewGuidString: braced, upper case, fresh.
TEST_F(TempFoldersTest, UniqueTempFoldersAreNewGuidFoldersInTheTempFolder)
{
    const std::wregex guid(L"\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
    std::set<std::wstring> seen;
    for (int round = 0; round < 20; ++round) {
        CString folder;
        ASSERT_TRUE(CreateUniqueTempFolder(folder));
        EXPECT_EQ(folder.Left(static_cast<int>(TempPath().size())).str(), TempPath());
        const std::wstring name = folder.str().substr(TempPath().size());
        EXPECT_TRUE(std::regex_match(name, guid)) << Narrow(name);
        EXPECT_TRUE(FolderExists(folder.str()));
        seen.insert(name);
    }
    EXPECT_EQ(seen.size(), 20u);
}

TEST(FileNameFromUrl, TakesTheTextAfterTheLastSlash)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"http://127.0.0.1:8080/files/setup.exe", L"setup.exe"},
        {L"http://host/get?file=a.zip", L"get?file=a.zip"},
        {L"http://host/dir/", L""},
        {L"no-slash-at-all", L""},
        {L"", L""},
    };
    for (const auto& [url, name] : cases)
        EXPECT_EQ(FileNameFromUrl(url), CString(name)) << Narrow(url);
}
