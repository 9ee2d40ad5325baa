// The real bootstrap: the archive downloaded and extracted behind the two-phase bar, or a fatal stop.

#include "ShellFixture.h"
#include "res/Messages.h"
#include "support/BuildAddress.h"

using testing_support::ZipItem;

using BootstrapTest = ShellFixture;

TEST_F(BootstrapTest, BarShowsDownloadThenExtractionAndTheDatabaseIsFound)
{
    // A slow download and an archive of many entries make both phases visible.
    std::vector<ZipItem> extra{ZipItem::Folder("extra/")};
    for (int i = 0; i < 400; ++i)
        extra.push_back(ZipItem::File("extra/file" + std::to_string(i) + ".txt", std::string(100, 'x')));
    ServeArchive(extra, "resources.db", 4000, 25);

    m_product = Start(L"KestrafinSetup.exe");
    const HWND loader = winauto::WaitForWindow(kLoader, kTimeoutMs, m_product->Id());
    ASSERT_NE(loader, nullptr);
    EXPECT_EQ(winauto::ProgressMaximum(loader, kLoaderBar), 200);
    std::vector<int> positions;
    HWND dialog = nullptr;
    winauto::WaitUntil([&] {
        const int position = winauto::ProgressPosition(loader, kLoaderBar);
        // A bar destroyed with its dialog reads as 0.
        if (::IsWindow(::GetDlgItem(loader, kLoaderBar)))
            positions.push_back(position);
        return (dialog = winauto::WaitForWindow(kLanguageDialog, 0, m_product->Id())) != nullptr;
    }, kTimeoutMs);
    ASSERT_NE(dialog, nullptr) << "the language dialog did not follow";
    EXPECT_TRUE(std::any_of(positions.begin(), positions.end(), [](int p) { return p > 0 && p < 100; })) << "download";
    EXPECT_TRUE(std::any_of(positions.begin(), positions.end(), [](int p) { return p > 100; })) << "extraction";
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << "the bar went backwards";
    EXPECT_EQ(CancelLanguageDialog(dialog), 0u);

    ASSERT_NO_FATAL_FAILURE(ExpectRecordsInOrder(
        {"Aquiring resource Database", "[DownloadTask] URL: http://127.0.0.1:", "Setup Resource Archive downloaded to ",
         "Start Extracting Resource Archive.", "[UnzipTask] File: ", "Finish un zip task",
         "Extracting Resource Archive Done.", "Resource File is ", "Resources aquired"}));
}

TEST_F(BootstrapTest, DatabaseInASubfolderIsNotFound)
{
    ServeArchive({ZipItem::Folder("nested/")}, "nested/resources.db");
    auto product = Start(L"KestrafinSetup.exe");
    ExpectBoxAndConfirm(*product, L"Error", L"Cannot locate Setup Resource File");
    ExpectFatalEnd(*product);
    EXPECT_EQ(CountRecords("\\resources.db Not Found."), 1u);
}

// A download error and an unsigned archive: a box without caption names it.
TEST_F(BootstrapTest, DownloadErrorAndUnsignedArchiveAreShownWithoutCaptionAndEndTheRun)
{
    using testing_support::LoopbackHttpServer;
    const std::string unsignedArchive = testing_support::BuildZip(
        {ZipItem::File("resources.db", testing_support::ReadFileBytes(m_source / L"resources.db"))});
    for (const bool downloaded : {false, true}) {
        m_server.Serve(testing_support::ArchivePath(), downloaded ? LoopbackHttpServer::Body(unsignedArchive)
                                                                  : LoopbackHttpServer::Body("missing", 404));
        auto product = Start(L"KestrafinSetup.exe");
        ASSERT_NE(winauto::WaitForWindow(L"", kTimeoutMs, product->Id()), nullptr);
        ExpectBoxAndConfirm(*product, L"", downloaded
            ? L"The downloaded file is damaged or has been altered :" + DownloadedFile(L"resources.zip")
            : L"An error occured while downloading the file : error code = 0x80190194");
        ExpectFatalEnd(*product);
    }
    EXPECT_EQ(CountRecords("Fatal error Error Occured While Preparing Setup Resource File.", "Resloader::DialogProc"), 2u);
    EXPECT_EQ(CountRecords("Finish un zip task"), 0u);
}

// No task's thread: its progress counts as extraction, its end does nothing, its textless error shows no box.
TEST_F(BootstrapTest, MessagesOfNoTaskAndAnErrorWithoutText)
{
    ServeArchive({}, "resources.db", 1, 60000);  // one byte, then the download waits
    auto product = Start(L"KestrafinSetup.exe");
    const HWND loader = winauto::WaitForWindow(kLoader, kTimeoutMs, product->Id());
    ASSERT_NE(loader, nullptr);
    const WPARAM noTask = 3;  // thread ids are multiples of four
    ::SendMessageW(loader, UWM_TASK_FINISHED, noTask, 0);
    EXPECT_TRUE(winauto::WaitUntil([&] {
        ::SendMessageW(loader, UWM_TASK_PROGRESS, noTask, 50);
        return winauto::ProgressPosition(loader, kLoaderBar) == 150;
    }, kTimeoutMs));
    ::SendNotifyMessageW(loader, UWM_TASK_ERROR, noTask, 0);
    ExpectFatalEnd(*product);
    EXPECT_EQ(CountRecords("Setup Resource Archive downloaded to "), 0u);
    EXPECT_EQ(CountRecords("Fatal error Error Occured While Preparing Setup Resource File.", "Resloader::DialogProc"), 1u);
}

TEST_F(BootstrapTest, ArchiveGoneAfterItsDownloadIsReportedAndNotExtracted)
{
    ServeArchive();
    auto probe = Start(L"shell_probe.exe", L"archive-vanishes");
    ExpectBoxAndConfirm(*probe, L"Fatal Error", L"Cannot locate Setup Resource Archive");
    ExpectFatalEnd(*probe);
    EXPECT_EQ(CountRecords("Cannot locate Setup Resource Archive", "Resloader::DialogProc"), 1u);
    EXPECT_EQ(CountRecords("Start Extracting Resource Archive."), 0u);
}
