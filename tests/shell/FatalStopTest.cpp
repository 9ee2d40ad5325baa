// The fatal stops and the top-level exception handlers, through the shell
// probe, which runs the product's start-up with a chosen InitInstance body.

#include "ShellFixture.h"

class FatalStopTest : public ShellFixture {
protected:
    // Runs the probe in `mode`, confirms the one box it must show, and
    // returns the exit code.
    DWORD RunProbeThroughBox(const std::wstring& mode, const std::wstring& caption, const std::wstring& text)
    {
        auto probe = Start(L"shell_probe.exe", mode);
        ExpectBoxAndConfirm(*probe, caption, text);
        EXPECT_TRUE(probe->Wait(kTimeoutMs)) << "the probe did not end";
        return probe->ExitCode();
    }
};

TEST_F(FatalStopTest, DieShowsItsBoxLogsFatalAndEndsWithMinusOne)
{
    EXPECT_EQ(RunProbeThroughBox(L"die", L"Installer", kFatalText), kExitMinusOne);
    ExpectRecord(1, "FATAL", "Die", "Fatal Error occured !  exiting.");
    EXPECT_EQ(Log().back().message, "Program treminated with code:-1");
}

TEST_F(FatalStopTest, DieWithMessageShowsTheMessageAlone)
{
    EXPECT_EQ(RunProbeThroughBox(L"die-message \"Download failed\"", L"Installer", L"Download failed"),
              kExitMinusOne);
    ExpectRecord(1, "FATAL", "Die", "Download failed exiting.");
    EXPECT_EQ(Log().back().message, "Program treminated with code:-1");
}

TEST_F(FatalStopTest, FrameworkExceptionInInitInstanceIsReportedOnceAndRunEndsWithZero)
{
    EXPECT_EQ(RunProbeThroughBox(L"throw-file", L"Win32xx::CFileException", L"Failed to write to file"), 0u);
    ExpectRecord(1, "FATAL", "CSetupApp::InitInstance", "Failed to write to fileWin32xx::CFileException");
    ExpectRecord(2, "INFO", "CSetupApp::InitInstance", "Program treminated upon a fatal exception.");
    ExpectRecord(3, "INFO", "WinMain", "Program treminated with code:0");
}

TEST_F(FatalStopTest, ExceptionWithoutTextIsLoggedAsNull)
{
    EXPECT_EQ(RunProbeThroughBox(L"throw-textless", L"Win32xx::CResourceException", L""), 0u);
    ExpectRecord(1, "FATAL", "CSetupApp::InitInstance", "(null)Win32xx::CResourceException");
}

TEST_F(FatalStopTest, SecondApplicationObjectIsRefusedInWinMain)
{
    EXPECT_EQ(RunProbeThroughBox(L"duplicate-app", L"Win32xx::CNotSupportedException",
                                 L"Only one instance of CWinApp is permitted"),
              kExitMinusOne);
    // The application object fails before the log is set up.
    EXPECT_FALSE(testing_support::FileExists(LogPath()));
}
