// Fatal stops and top-level handlers; an exception in a dialog must end its dialogs and leave DoModal.

#include "ShellFixture.h"

namespace {

struct StopCase {
    const wchar_t *mode, *caption, *text;  // of the one box shown
    const char *function, *logged;         // the fatal record; null when the log is not set up yet
    DWORD exitCode;
};

constexpr DWORD kMinusOne = 0xFFFFFFFF;
constexpr char kInit[] = "CSetupApp::InitInstance";
constexpr wchar_t kFileException[] = L"Win32xx::CFileException";
constexpr wchar_t kFileText[] = L"Failed to write to file";
constexpr char kFileLogged[] = "Failed to write to fileWin32xx::CFileException";

class FatalStopTest : public ShellFixture, public ::testing::WithParamInterface<StopCase> {};

}  // namespace

TEST_P(FatalStopTest, ShowsOneBoxLogsFatalAndEndsWithItsExitCode)
{
    const StopCase& stop = GetParam();
    auto probe = Start(L"shell_probe.exe", stop.mode);
    ExpectBoxAndConfirm(*probe, stop.caption, stop.text);
    ASSERT_TRUE(probe->Wait(kTimeoutMs)) << "the probe did not end";
    EXPECT_EQ(probe->ExitCode(), stop.exitCode);
    if (!stop.function) {
        EXPECT_FALSE(testing_support::FileExists(LogPath()));
        return;
    }
    ExpectRecord(1, "FATAL", stop.function, stop.logged);
    if (stop.function == std::string(kInit))
        ExpectRecord(2, "INFO", kInit, "Program treminated upon a fatal exception.");
    EXPECT_EQ(Log().back().message, "Program treminated with code:" + std::to_string(static_cast<int>(stop.exitCode)));
}

INSTANTIATE_TEST_SUITE_P(
    Stops, FatalStopTest,
    ::testing::Values(
        StopCase{L"die", L"Installer", L"Fatal Error occured !  exiting.", "Die", "Fatal Error occured !  exiting.", kMinusOne},
        StopCase{L"die-message \"Download failed\"", L"Installer", L"Download failed", "Die", "Download failed exiting.",
                 kMinusOne},
        StopCase{L"throw-file", kFileException, kFileText, kInit, kFileLogged, 0},
        StopCase{L"throw-textless", L"Win32xx::CResourceException", L"", kInit, "(null)Win32xx::CResourceException", 0},
        // A second application object fails before the log is set up.
        StopCase{L"duplicate-app", L"Win32xx::CNotSupportedException", L"Only one instance of CWinApp is permitted",
                 nullptr, nullptr, kMinusOne},
        StopCase{L"throw-bad-alloc", L"std::bad_alloc", L"std::bad_alloc", kInit, "std::bad_allocstd::bad_alloc", kMinusOne},
        StopCase{L"app-bad-alloc", L"std::bad_alloc", L"std::bad_alloc", nullptr, nullptr, kMinusOne},
        StopCase{L"worker-throws-cast", L"std::bad_cast", L"std::bad_cast", kInit, "std::bad_caststd::bad_cast", kMinusOne},
        StopCase{L"worker-throws-number", L"unknown exception", L"", kInit, "(null)unknown exception", kMinusOne},
        StopCase{L"nested-init-throws", kFileException, kFileText, kInit, kFileLogged, 0},
        StopCase{L"page-throws", kFileException, kFileText, kInit, kFileLogged, 0},
        StopCase{L"window-throws", kFileException, kFileText, kInit, kFileLogged, 0}),
    [](const ::testing::TestParamInfo<StopCase>& info) {
        std::string name;
        for (const wchar_t* ch = info.param.mode; *ch && *ch != L' '; ++ch)
            name += *ch == L'-' ? "" : std::string(1, static_cast<char>(*ch));
        return name;
    });
