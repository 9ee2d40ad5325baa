// The download task against a loopback server, and its callback's rules for progress and length.

#include <algorithm>
#include <functional>

#include "LoopbackHttpServer.h"
#include "TaskTestSupport.h"
#include "ZipBuilder.h"
#include "tasks/DownloadTask.h"

using namespace testing_support;
using Win32xx::CString;

namespace {

class DownloadTaskTest : public TaskTest {
protected:
    CString Url(const std::string& path) const { return CString(server.Url(path).c_str()); }
    CString CheckUrl() const { return Url("/"); }
    std::vector<std::wstring> DownloadFolders() const { return GuidFolders(Temp().Path()); }

    LoopbackHttpServer server;
    TaskWindow window;
};

}  // namespace

TEST_F(DownloadTaskTest, DownloadsTheWholeFileIntoAGuidFolderWithStrictlyRisingProgress)
{
    // Sent in pieces with a pause after each, so that the transfer reports on its way.
    LoopbackHttpServer::Reply reply = LoopbackHttpServer::Body(PatternBytes(300000, 7));
    reply.pieceSize = 8192;
    reply.pauseMs = 15;
    server.Serve("/files/setup.exe", reply);
    DownloadTask task(Url("/files/setup.exe"), CheckUrl());
    ASSERT_TRUE(RunToEnd(task, &window, 60000));

    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1) << (window.Errors().empty() ? "" : Narrow(window.Errors()[0]));
    const std::vector<std::wstring> folders = DownloadFolders();
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(task.GetStringResult().str(), folders[0] + L"\\setup.exe");
    EXPECT_EQ(ReadFileBytes(folders[0] + L"\\setup.exe"), *reply.body);
    ExpectHeldPrivateFolder(folders[0]);
    const std::vector<int> progress = window.Progress();
    EXPECT_GT(progress.size(), 3u) << "a throttled transfer reports on its way";
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(std::adjacent_find(progress.begin(), progress.end(), std::greater_equal<int>()), progress.end());
}

TEST_F(DownloadTaskTest, FailedTransfersReportTheirCodeAndLeaveNoFile)
{
    LoopbackHttpServer::Reply cut = LoopbackHttpServer::Body(PatternBytes(200000));
    cut.sendOnly = 120000;
    const std::pair<LoopbackHttpServer::Reply, const wchar_t*> cases[] = {
        {LoopbackHttpServer::Body("<html>bad request</html>", 400), L"0x80190190"},
        {cut, L"0x800C0007"},
    };
    for (const auto& [reply, code] : cases) {
        SCOPED_TRACE(Narrow(code));
        server.Serve("/setup.exe", reply);
        TaskWindow failing;
        DownloadTask task(Url("/setup.exe"), CheckUrl());
        ASSERT_TRUE(RunToEnd(task, &failing));
        ExpectFailure(task, failing, std::wstring(L"An error occured while downloading the file : error code = ") + code);
    }
    // The folders stay, one per download, but nothing of the failed downloads is in them.
    const std::vector<std::wstring> folders = DownloadFolders();
    EXPECT_EQ(folders.size(), std::size(cases));
    for (const std::wstring& folder : folders)
        EXPECT_TRUE(ListFolder(folder).empty()) << Narrow(folder);
}

TEST_F(DownloadTaskTest, ChecksBeforeTheDownloadFailWithTheirTextsAndNoFolder)
{
    struct Case {
        std::wstring url, checkUrl, temp, error;
        std::shared_ptr<AbstractTaskBase> input;  // whose result replaces the URL
    };
    const std::wstring nothing = L"http://127.0.0.1:" + std::to_wstring(LoopbackHttpServer::UnusedPort()) + L"/";
    const std::wstring file = server.Url("/file.zip");
    const std::wstring check = server.Url("/");
    std::vector<Case> cases = {
        {file, nothing, TempPath(), L"Error downloading resource,Please check your internet connection!", nullptr},
        {L"not a url", check, TempPath(), L"Invalid Url :not a url.", nullptr},
        {L"not\na url", check, TempPath(), L"Invalid Url :not\\u000Aa url.", nullptr},
        {file, check, TempPath(), L"Invalid Url :.", std::make_shared<ResultTask>(5ul)},
        {file, check, TempPath() + std::wstring(270, L'x'), L"Could not create a temporary folder for the download.",
         nullptr},
    };
    // File names that would leave the download's folder, or not be a file in it.
    for (const wchar_t* last : {L"", L"..\\..\\evil.exe", L"..", L"setup..exe", L"a\\b.exe", L"setup.exe:stream", L"Con.exe"})
        cases.push_back({server.Url("/folder/") + last, check, TempPath(), L"Could not create a temporary filename.",
                         nullptr});
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.url + L": " + c.error));
        SetTempVariables(c.temp);
        TaskWindow failing;
        DownloadTask task(CString(c.url.c_str()), CString(c.checkUrl.c_str()));
        task.SetInputTask(c.input);
        ASSERT_TRUE(RunToEnd(task, &failing));
        ExpectFailure(task, failing, c.error);
        EXPECT_TRUE(DownloadFolders().empty());
    }
    EXPECT_EQ(server.RequestCount("/file.zip") + server.RequestCount("/folder/"), 0);
    // The address in the task's records as in its error: no line of the log that reads as a record of its own.
    const std::vector<std::string> started = MessagesFrom("AbstractTaskBase::Start");
    EXPECT_EQ(std::count(started.begin(), started.end(), "[DownloadTask] URL: not\\u000Aa url Task Started"), 1);
}

// As urlmon drives the callback: only data codes with a known total count, each percent sent once, rising.
TEST_F(DownloadTaskTest, ProgressCountsOnlyDataCodesAndRisingPercents)
{
    struct Report {
        ULONG progress, total, code;
    };
    const std::pair<std::vector<Report>, std::vector<int>> cases[] = {
        {{{1, 200, 5}, {1, 200, 5}, {2, 200, 5}, {200, 200, 6}}, {1, 100}},
        {{{100, 200, 4}, {150, 200, 14}, {100, 200, 2}, {199, 200, 11}}, {}},
        {{{10, 0, 5}, {0, 0, 6}}, {}}, {{{150, 200, 5}, {100, 200, 5}, {151, 200, 5}}, {75}},
        // Totals above 4 GiB / 100, where a percent computed in 32 bits wraps.
        {{{50000000, 100000000, 5}, {3000000000u, 4000000000u, 5}, {4000000000u, 4000000000u, 6}}, {50, 75, 100}},
    };
    for (const auto& [reports, sent] : cases) {
        TaskWindow receiver;
        DownloadTask task(&receiver, CheckUrl());
        DownloadTask::CallbackHandler callback(&task);
        for (const Report& report : reports)
            EXPECT_EQ(callback.OnProgress(report.progress, report.total, report.code, L""), S_OK);
        EXPECT_EQ(receiver.Progress(), sent);
    }
}

// urlmon hands the headers over as sent: an encoded body's Content-Length counts the encoded bytes.
TEST_F(DownloadTaskTest, OnlyAnUnencodedResponseDemandsItsContentLength)
{
    const std::pair<const wchar_t*, LONGLONG> cases[] = {
        {L"Content-Length: 1234\r\n", 1234},
        {L"Content-Length: 1234\r\nContent-Encoding: gzip\r\n", -1},
        {L"content-encoding: Deflate\r\ncontent-length: 1234\r\n", -1},
        {L"Content-Encoding:  identity \r\nContent-Length: 1234\r\n", 1234}, {L"Content-Type: application/zip\r\n", -1},
    };
    for (const auto& [headers, expectedSize] : cases) {
        DownloadTask::CallbackHandler callback(nullptr);
        const std::wstring response = std::wstring(L"HTTP/1.1 200 OK\r\n") + headers + L"\r\n";
        EXPECT_EQ(callback.OnResponse(200, response.c_str(), nullptr, nullptr), S_OK);
        EXPECT_EQ(callback.GetExpectedFileSize(), expectedSize) << Narrow(headers);
    }
}
