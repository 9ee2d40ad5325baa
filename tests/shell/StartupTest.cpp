// The product's start and end, its log, and the single-instance guard.

#include "ShellFixture.h"

using StartupTest = ShellFixture;

TEST_F(StartupTest, EachRunLogsStartAndEndBehindOneByteOrderMark)
{
    // Each run ends at its language dialog.
    EXPECT_EQ(CancelLanguageDialog(OpenLanguageDialog()), 0u);
    const size_t firstRunRecords = Log().size();
    EXPECT_EQ(CancelLanguageDialog(OpenLanguageDialog()), 0u);

    const std::string bytes = testing_support::ReadFileBytes(LogPath());
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF", 1), std::string::npos) << "a second byte order mark";
    ASSERT_EQ(Log().size(), 2 * firstRunRecords);
    for (const size_t start : {size_t{0}, firstRunRecords}) {
        ExpectRecord(start, "INFO", "WinMain", "Setup Started");
        ExpectRecord(start + firstRunRecords - 1, "INFO", "WinMain", "Program treminated with code:0");
    }
}

TEST_F(StartupTest, SecondInstanceIsRefusedAndFirstGoesOn)
{
    auto first = Start(L"shell_probe.exe", L"wait");
    const HWND firstBox = winauto::WaitForWindow(L"Shell probe", kTimeoutMs, first->Id());
    ASSERT_NE(firstBox, nullptr);
    const size_t recordsBefore = Log().size();

    auto second = Start(L"KestrafinSetup.exe");
    ExpectBoxAndConfirm(*second, L"Error", L"Program already running!\nExiting.");
    ASSERT_TRUE(second->Wait(kTimeoutMs));
    EXPECT_EQ(second->ExitCode(), kExitMinusOne);
    EXPECT_EQ(Log().size(), recordsBefore) << "the refused instance must not log";

    EXPECT_TRUE(first->IsRunning());
    winauto::Click(firstBox, IDOK);
    ASSERT_TRUE(first->Wait(kTimeoutMs));
    EXPECT_EQ(first->ExitCode(), 0u);
    EXPECT_EQ(Log().back().message, "Program treminated with code:0");
}

TEST_F(StartupTest, UnusableTemporaryFolderGivesNoLogAndTheDownloadFails)
{
    ServeArchive();
    const std::wstring tooLong = L"C:\\" + std::wstring(300, L'x') + L"\\";
    auto process = Start(L"KestrafinSetup.exe", L"", {{L"TMP", tooLong}, {L"TEMP", tooLong}});
    // Nothing about the log is shown; the download finds no folder.
    ExpectBoxAndConfirm(*process, L"", L"Could not create a temporary folder for the download.");
    ExpectFatalEnd(*process);
    EXPECT_TRUE(testing_support::ListFolder(m_temp.Path()).empty());
}
