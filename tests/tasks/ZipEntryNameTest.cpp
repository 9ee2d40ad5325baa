// The entry name rules: what is stripped, and what is refused afterwards.

#include <gtest/gtest.h>

#include "support/Files.h"
#include "tasks/ZipEntryName.h"

using testing_support::Narrow;

TEST(ZipEntryName, StripsDrivesLeadingSeparatorsAndClimbs)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\x\\..\\y.txt", L"y.txt"},
        {L"/a/../b/", L"b/"},
        {L"x\\..\\..\\y.txt", L"..\\y.txt"},
        {L"../../evil.txt", L"evil.txt"},
        {L"\\\\server\\share\\f.txt", L"server\\share\\f.txt"},
        {L"C:/D:/f.txt", L"f.txt"},
        {L"a/..\\b.txt", L"b.txt"},
        {L"a\\../b.txt", L"b.txt"},
        {L"plain/name.txt", L"plain/name.txt"},
        {L"a/", L"a/"},
        {L"", L""},
    };
    for (const auto& [stored, safe] : cases)
        EXPECT_EQ(MakeEntryNameSafe(stored), safe) << Narrow(stored);
}

TEST(ZipEntryName, RefusesWhatStillLeavesTheFolder)
{
    const wchar_t* const unsafe[] = {
        L"", L"..", L"../x", L"..\\x", L"a/..", L"a\\..", L"...", L".. /x", L"a/.../b",
        L"a:b", L"dir/file.txt:stream", L"\\x", L"/x",
    };
    for (const wchar_t* name : unsafe)
        EXPECT_TRUE(IsUnsafeEntryName(name)) << Narrow(name);

    const wchar_t* const safe[] = {L"a", L"a/", L"a/b.txt", L"a\\b.txt", L"..a", L"a..", L"a/.hidden", L"./a",
                                   L"x..y/z"};
    for (const wchar_t* name : safe)
        EXPECT_FALSE(IsUnsafeEntryName(name)) << Narrow(name);
}

TEST(ZipEntryName, EveryClimbingNameIsRefusedAfterTheRules)
{
    const wchar_t* const climbing[] = {
        L"x\\..\\..\\y.txt", L"../", L"a/../../b", L"/..", L"C:..\\f", L"a/../..",
    };
    for (const wchar_t* stored : climbing)
        EXPECT_TRUE(IsUnsafeEntryName(MakeEntryNameSafe(stored))) << Narrow(stored);
}

// An entry named like a device was "extracted" into the device: the task
// succeeded and no file was made.
TEST(ZipEntryName, RefusesDeviceNamesInAnyComponent)
{
    const wchar_t* const devices[] = {
        L"CON", L"con", L"Nul", L"aux.txt", L"prn.tar.gz", L"COM1", L"com9.log", L"LPT1", L"lpt0",
        L"CONIN$", L"conout$", L"nul .txt", L"Aux .", L"NUL ", L"data/nul", L"nul/x.txt", L"a/Com\u00B9",
    };
    for (const wchar_t* name : devices)
        EXPECT_TRUE(IsUnsafeEntryName(name)) << Narrow(name);

    const wchar_t* const files[] = {L"console", L"null.txt", L"auxiliary/x", L"COM10", L"LPT", L"com", L"xnul",
                                    L"a.nul", L"CONIN", L"data/con-1.txt"};
    for (const wchar_t* name : files)
        EXPECT_FALSE(IsUnsafeEntryName(name)) << Narrow(name);
}
