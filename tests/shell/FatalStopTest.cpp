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

// Exceptions that are not the framework's, and exceptions raised inside a
// running dialog: the probe runs its dialogs behind a frame that, as x64
// Windows does, ends the process when an exception reaches it, so the report
// below comes only when the exception ended its dialogs and went on from
// DoModal to the top-level handlers.
struct ExceptionCase {
    const wchar_t* mode;
    const wchar_t* caption;
    const wchar_t* text;
    const char* logged;  // the fatal record; null when the log is not set up yet
    DWORD exitCode;
};

class ExceptionStopTest : public FatalStopTest, public ::testing::WithParamInterface<ExceptionCase> {};

TEST_P(ExceptionStopTest, EndsWithOneReportTheClosingRecordsAndItsExitCode)
{
    const ExceptionCase& stop = GetParam();
    EXPECT_EQ(RunProbeThroughBox(stop.mode, stop.caption, stop.text), stop.exitCode);
    if (!stop.logged) {
        EXPECT_FALSE(testing_support::FileExists(LogPath()));
        return;
    }
    ExpectRecord(1, "FATAL", "CSetupApp::InitInstance", stop.logged);
    ExpectRecord(2, "INFO", "CSetupApp::InitInstance", "Program treminated upon a fatal exception.");
    ExpectRecord(3, "INFO", "WinMain", "Program treminated with code:" + std::to_string(static_cast<int>(stop.exitCode)));
}

constexpr DWORD kMinusOne = 0xFFFFFFFF;
constexpr wchar_t kFileException[] = L"Win32xx::CFileException";
constexpr wchar_t kFileText[] = L"Failed to write to file";
constexpr char kFileLogged[] = "Failed to write to fileWin32xx::CFileException";

INSTANTIATE_TEST_SUITE_P(
    Exceptions, ExceptionStopTest,
    ::testing::Values(
        ExceptionCase{L"throw-bad-alloc", L"std::bad_alloc", L"std::bad_alloc", "std::bad_allocstd::bad_alloc",
                      kMinusOne},
        ExceptionCase{L"app-bad-alloc", L"std::bad_alloc", L"std::bad_alloc", nullptr, kMinusOne},
        ExceptionCase{L"worker-throws-cast", L"std::bad_cast", L"std::bad_cast", "std::bad_caststd::bad_cast",
                      kMinusOne},
        ExceptionCase{L"worker-throws-file", kFileException, kFileText, kFileLogged, 0},
        ExceptionCase{L"nested-init-throws", kFileException, kFileText, kFileLogged, 0},
        ExceptionCase{L"page-throws", kFileException, kFileText, kFileLogged, 0},
        ExceptionCase{L"window-throws", kFileException, kFileText, kFileLogged, 0}),
    [](const ::testing::TestParamInfo<ExceptionCase>& info) {
        std::string name;
        for (const wchar_t* ch = info.param.mode; *ch; ++ch)
            if (*ch != L'-')
                name += static_cast<char>(*ch);
        return name;
    });
