// The product's start and end, its log, and the single-instance guard.

#include "Automation.h"
#include "ProductFixture.h"

using testing_support::Narrow;

namespace {
constexpr DWORD kExitMinusOne = 0xFFFFFFFF;
const char kByteOrderMark[] = "\xEF\xBB\xBF";

size_t CountOccurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}
}  // namespace

class StartupTest : public ProductFixture {
protected:
    // Runs the product up to its language dialog, cancels there, and returns
    // the exit code.
    DWORD RunToLanguageDialog()
    {
        auto product = Start(L"KestrafinSetup.exe");
        const HWND dialog = winauto::WaitForWindow(kLanguageDialog, kTimeoutMs, product->Id());
        EXPECT_NE(dialog, nullptr);
        winauto::Click(dialog, IDCANCEL);
        EXPECT_TRUE(product->Wait(kTimeoutMs));
        return product->ExitCode();
    }
};

TEST_F(StartupTest, NormalRunLogsStartAndEndAndExitsWithZero)
{
    ServeArchive();
    EXPECT_EQ(RunToLanguageDialog(), 0u);

    const auto log = Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.front().severity, "INFO");
    EXPECT_EQ(log.front().function, "WinMain");
    EXPECT_EQ(log.front().message, "Setup Started");
    EXPECT_EQ(log.back().severity, "INFO");
    EXPECT_EQ(log.back().function, "WinMain");
    EXPECT_EQ(log.back().message, "Program treminated with code:0");
}

TEST_F(StartupTest, LogBeginsWithOneByteOrderMarkAndGrowsRunAfterRun)
{
    ServeArchive();
    EXPECT_EQ(RunToLanguageDialog(), 0u);
    const size_t firstRunRecords = Log().size();
    EXPECT_EQ(RunToLanguageDialog(), 0u);

    const std::string bytes = testing_support::ReadFileBytes(LogPath());
    EXPECT_EQ(bytes.rfind(kByteOrderMark, 0), 0u);
    EXPECT_EQ(CountOccurrences(bytes, kByteOrderMark), 1u);
    const auto log = Log();
    EXPECT_EQ(log.size(), 2 * firstRunRecords);
    EXPECT_EQ(log[firstRunRecords].message, "Setup Started");
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
    ExpectBoxAndConfirm(*process, L"Installer", L"Fatal Error occured !  exiting.");
    ASSERT_TRUE(process->Wait(kTimeoutMs));
    EXPECT_EQ(process->ExitCode(), kExitMinusOne);
    EXPECT_TRUE(testing_support::ListFolder(m_temp.Path()).empty());
}
