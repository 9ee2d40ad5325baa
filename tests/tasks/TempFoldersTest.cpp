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

TEST_F(TempFoldersTest, GuidStringsAreBracedUpperCaseAndFresh)
{
    const std::wregex format(L"\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
    std::set<std::wstring> seen;
    for (int round = 0; round < 20; ++round) {
        const CString guid = NewGuidString();
        EXPECT_TRUE(std::regex_match(guid.str(), format)) << Narrow(guid.str());
        seen.insert(guid.str());
    }
    EXPECT_EQ(seen.size(), 20u);
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

TEST_F(TempFoldersTest, UniqueTempFoldersAreNewGuidFoldersInTheTempFolder)
{
    CString first;
    CString second;
    ASSERT_TRUE(CreateUniqueTempFolder(first));
    ASSERT_TRUE(CreateUniqueTempFolder(second));
    EXPECT_NE(first, second);
    for (const CString& folder : {first, second}) {
        EXPECT_EQ(folder.Left(static_cast<int>(TempPath().size())).str(), TempPath());
        EXPECT_EQ(folder.GetLength(), static_cast<int>(TempPath().size()) + 38);
        EXPECT_TRUE(FolderExists(folder.str()));
    }
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
