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

TEST_F(TempFoldersTest, TempFolderLongerThanTheBufferFailsAndLeavesThePath)
{
    SetTempVariables(TempPath() + std::wstring(270, L'x'));
    CString path(L"untouched");
    EXPECT_FALSE(GetTempFolderPath(path));
    EXPECT_EQ(path, CString(L"untouched"));
    CString folder;
    EXPECT_FALSE(CreateUniqueTempFolder(folder));
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

TEST_F(TempFoldersTest, SubFolderPathJoinsBaseAndNameWithOneBackslash)
{
    const std::wstring base = Temp().Path();
    struct Case {
        std::wstring base, name, expected;
    };
    const Case cases[] = {
        {base, L"one", base + L"\\one"},
        {base + L"\\", L"two", base + L"\\two"},
        {base, L"one/sub", base + L"\\one\\sub"},
        {L"", base + L"/three", base + L"\\three"},
    };
    for (const Case& c : cases) {
        CString folder;
        EXPECT_TRUE(CreateSubFolder(c.base, c.name, folder)) << Narrow(c.name);
        EXPECT_EQ(folder.str(), c.expected);
        EXPECT_TRUE(FolderExists(c.expected));
    }
}

TEST_F(TempFoldersTest, SubFolderThatExistsOrLacksItsParentFailsButNamesThePath)
{
    CString folder;
    ASSERT_TRUE(CreateSubFolder(Temp().Path(), L"twice", folder));
    EXPECT_FALSE(CreateSubFolder(Temp().Path(), L"twice", folder));
    EXPECT_EQ(folder.str(), Temp() / L"twice");
    EXPECT_FALSE(CreateSubFolder(Temp().Path(), L"missing/child", folder));
    EXPECT_EQ(folder.str(), Temp() / L"missing\\child");
    EXPECT_FALSE(FolderExists(folder.str()));
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
