// The entry name rules: what is stripped, and what is refused afterwards.

#include <gtest/gtest.h>

#include "support/EntryNames.h"
#include "support/Files.h"
#include "tasks/ZipEntryName.h"

using namespace testing_support;

TEST(ZipEntryName, StripsDrivesLeadingSeparatorsAndClimbs)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\x\\..\\y.txt", L"y.txt"}, {L"/a/../b/", L"b/"}, {L"x\\..\\..\\y.txt", L"..\\y.txt"},
        {L"../../evil.txt", L"evil.txt"}, {L"\\\\server\\share\\f.txt", L"server\\share\\f.txt"},
        {L"C:/D:/f.txt", L"f.txt"}, {L"a/..\\b.txt", L"b.txt"}, {L"a\\../b.txt", L"b.txt"},
        {L"plain/name.txt", L"plain/name.txt"}, {L"a/", L"a/"}, {L"", L""},
    };
    for (const auto& [stored, safe] : cases)
        EXPECT_EQ(MakeEntryNameSafe(stored), safe) << Narrow(stored);
}

// An entry named like a device was "extracted" into the device: the task succeeded and no file was made.
TEST(ZipEntryName, RefusesWhatStillLeavesTheFolderOrOpensADevice)
{
    for (const auto& [stored, verdict] : kEntryNames) {
        const std::wstring name = Widen(stored);
        EXPECT_EQ(IsUnsafeEntryName(name), verdict != kSafe) << stored;
        if (verdict != kRefusedUntilStripped) {
            EXPECT_EQ(IsUnsafeEntryName(MakeEntryNameSafe(name)), verdict == kRefused) << "stored " << stored;
        }
    }
}
