// The single-instance guard and an unusable temporary folder.

#include "ShellFixture.h"

using StartupTest = ShellFixture;

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
