// The download task against a loopback server: whole files, progress,
// HTTP errors, short responses, no server, the checks before a download,
// suspension in the middle of a transfer, and the progress rule itself.

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

#include "TaskTestSupport.h"
#include "LoopbackHttpServer.h"
#include "ZipBuilder.h"
#include "tasks/DownloadTask.h"

using namespace testing_support;
using Win32xx::CString;

namespace {

class DownloadTaskTest : public TaskTest {
protected:
    DownloadTaskTest() { DownloadTask::SetConnectivityCheckUrl(server.Url("/").c_str()); }

    // The address of `path` on the test's server.
    CString Url(const std::string& path) const { return CString(server.Url(path).c_str()); }
    // The GUID folders that downloads made in the test's temporary folder.
    std::vector<std::wstring> DownloadFolders() const { return GuidFolders(Temp().Path()); }

    LoopbackHttpServer server;
    TaskWindow window;
};

// A reply sent in pieces with a pause after each, so that the transfer
// reports on its way and can be met in the middle.
LoopbackHttpServer::Reply Throttled(std::string body, size_t pieceSize, DWORD pauseMs)
{
    LoopbackHttpServer::Reply reply = LoopbackHttpServer::Body(std::move(body));
    reply.pieceSize = pieceSize;
    reply.pauseMs = pauseMs;
    return reply;
}

bool StrictlyRising(const std::vector<int>& values)
{
    return std::adjacent_find(values.begin(), values.end(), std::greater_equal<int>()) == values.end();
}

}  // namespace

TEST_F(DownloadTaskTest, DownloadsTheWholeFileIntoAGuidFolderWithStrictlyRisingProgress)
{
    const LoopbackHttpServer::Reply reply = Throttled(PatternBytes(300000, 7), 8192, 15);
    server.Serve("/files/setup.exe", reply);
    DownloadTask task(Url("/files/setup.exe"));
    ASSERT_TRUE(RunToEnd(task, &window, 60000));

    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1) << (window.Errors().empty() ? "" : Narrow(window.Errors()[0]));
    const std::vector<std::wstring> folders = DownloadFolders();
    ASSERT_EQ(folders.size(), 1u);
    const std::wstring expected = folders[0] + L"\\setup.exe";
    EXPECT_EQ(task.GetStringResult().str(), expected);
    EXPECT_EQ(ReadFileBytes(expected), *reply.body);
    const std::vector<int> progress = window.Progress();
    EXPECT_GT(progress.size(), 3u) << "a throttled transfer reports on its way";
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(StrictlyRising(progress));
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::OnFinish"),
              std::vector<std::string>{"[DownloadTask] URL: " + Narrow(server.Url("/files/setup.exe")) +
                                       " Task Completed"});
}

TEST_F(DownloadTaskTest, TwoDownloadsOfOneUrlLandInTwoFolders)
{
    server.Serve("/a.zip", LoopbackHttpServer::Body("first"));
    DownloadTask first(Url("/a.zip"));
    ASSERT_TRUE(RunToEnd(first, &window));
    server.Serve("/a.zip", LoopbackHttpServer::Body("second"));
    DownloadTask second(Url("/a.zip"));
    ASSERT_TRUE(RunToEnd(second, &window));

    EXPECT_EQ(DownloadFolders().size(), 2u);
    EXPECT_NE(first.GetStringResult(), second.GetStringResult());
    EXPECT_EQ(ReadFileBytes(first.GetStringResult().str()), "first");
    // A cached copy of the first answer is not served again.
    EXPECT_EQ(ReadFileBytes(second.GetStringResult().str()), "second");
    EXPECT_EQ(server.RequestCount("/a.zip"), 2);
}

TEST_F(DownloadTaskTest, ResponseWithoutLengthCompletesWithoutProgress)
{
    LoopbackHttpServer::Reply reply = LoopbackHttpServer::Body(PatternBytes(50000));
    reply.announceLength = false;
    server.Serve("/unsized.bin", reply);
    DownloadTask task(Url("/unsized.bin"));
    ASSERT_TRUE(RunToEnd(task, &window));

    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_EQ(window.Progress(), std::vector<int>{0});
    EXPECT_EQ(ReadFileBytes(task.GetStringResult().str()), *reply.body);
}

TEST_F(DownloadTaskTest, GzipEncodedResponseIsSavedDecodedAndKept)
{
    const std::string content = PatternBytes(200000, 3);
    LoopbackHttpServer::Reply reply = LoopbackHttpServer::Body(Gzip(content));
    reply.extraHeaders = "Content-Encoding: gzip\r\n";
    server.Serve("/packed.zip", reply);
    DownloadTask task(Url("/packed.zip"));
    ASSERT_TRUE(RunToEnd(task, &window));

    // urlmon asks for compressed bodies and saves them decoded.
    EXPECT_EQ(server.RequestHeader("/packed.zip", "Accept-Encoding"), "gzip, deflate");
    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1) << (window.Errors().empty() ? "" : Narrow(window.Errors()[0]));
    EXPECT_EQ(ReadFileBytes(task.GetStringResult().str()), content);
}

// The response headers as Windows' urlmon hands them over: as sent, so the
// Content-Length of an encoded body counts the encoded bytes, not the file's.
// (Wine drops Content-Length and Content-Encoding from a body it decoded.)
TEST_F(DownloadTaskTest, OnlyAnUnencodedResponseDemandsItsContentLength)
{
    struct Case {
        const wchar_t* headers;
        LONGLONG expectedSize;
    };
    const Case cases[] = {
        {L"Content-Length: 1234\r\n", 1234},
        {L"Content-Length: 1234\r\nContent-Encoding: gzip\r\n", -1},
        {L"content-encoding: Deflate\r\ncontent-length: 1234\r\n", -1},
        {L"Content-Encoding:  identity \r\nContent-Length: 1234\r\n", 1234},
        {L"Content-Type: application/zip\r\n", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.headers));
        DownloadTask task(CString(L"http://127.0.0.1/x.zip"));
        DownloadTask::CallbackHandler& callback = *task.GetCallback();
        const std::wstring headers = std::wstring(L"HTTP/1.1 200 OK\r\n") + c.headers + L"\r\n";
        EXPECT_EQ(callback.OnResponse(200, headers.c_str(), nullptr, nullptr), S_OK);
        EXPECT_EQ(callback.GetExpectedFileSize(), c.expectedSize);
    }
}

TEST_F(DownloadTaskTest, FailedTransfersReportTheirCodeAndLeaveNoFile)
{
    struct Case {
        const char* path;
        LoopbackHttpServer::Reply reply;
        const wchar_t* code;
    };
    LoopbackHttpServer::Reply cut = LoopbackHttpServer::Body(PatternBytes(200000));
    cut.sendOnly = 120000;
    // An identity encoding is no encoding: the length still counts.
    LoopbackHttpServer::Reply cutIdentity = cut;
    cutIdentity.extraHeaders = "Content-Encoding: identity\r\n";
    const Case cases[] = {
        {"/missing.exe", LoopbackHttpServer::Body("<html>not here</html>", 404), L"0x80190194"},
        {"/broken.exe", LoopbackHttpServer::Body("<html>oops</html>", 500), L"0x801901F4"},
        {"/cut.exe", cut, L"0x800C0007"},
        {"/cut-identity.exe", cutIdentity, L"0x800C0007"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        server.Serve(c.path, c.reply);
        TaskWindow failing;
        DownloadTask task(Url(c.path));
        ASSERT_TRUE(RunToEnd(task, &failing));
        ExpectFailure(task, failing,
                      std::wstring(L"An error occured while downloading the file : error code = ") + c.code);
    }
    // The folders stay, but nothing of the failed downloads is in them.
    for (const std::wstring& folder : DownloadFolders())
        EXPECT_TRUE(ListFolder(folder).empty()) << Narrow(folder);
}

TEST_F(DownloadTaskTest, ServerThatRefusesTheConnectionFailsTheDownload)
{
    const std::wstring url =
        L"http://127.0.0.1:" + std::to_wstring(LoopbackHttpServer::UnusedPort()) + L"/setup.exe";
    DownloadTask task(CString(url.c_str()));
    ASSERT_TRUE(RunToEnd(task, &window));
    ASSERT_EQ(window.Errors().size(), 1u);
    EXPECT_EQ(window.Errors()[0].rfind(L"An error occured while downloading the file : error code = 0x800C", 0), 0u)
        << Narrow(window.Errors()[0]);
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 0);
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
    const std::wstring tooLong = TempPath() + std::wstring(270, L'x');
    std::vector<Case> cases = {
        {file, nothing, TempPath(), L"Error downloading resource,Please check your internet connection!", nullptr},
        {L"not a url", check, TempPath(), L"Invalid Url :not a url.", nullptr},
        {file, check, TempPath(), L"Invalid Url :.", std::make_shared<ResultTask>(5ul)},
        {file, check, tooLong, L"Could not create a temporary folder for the download.", nullptr},
    };
    // File names that would leave the download's folder, or not be a file in it.
    for (const wchar_t* last : {L"", L"..\\..\\evil.exe", L"..", L"C:evil.exe", L"setup.exe:stream", L"nul",
                                L"Con.exe", L"evil\x01.exe"})
        cases.push_back({server.Url("/folder/") + last, check, TempPath(), L"Could not create a temporary filename.",
                         nullptr});
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.url + L": " + c.error));
        DownloadTask::SetConnectivityCheckUrl(c.checkUrl.c_str());
        SetTempVariables(c.temp);
        TaskWindow failing;
        DownloadTask task(CString(c.url.c_str()));
        task.SetInputTask(c.input);
        ASSERT_TRUE(RunToEnd(task, &failing));
        ExpectFailure(task, failing, c.error);
        EXPECT_TRUE(DownloadFolders().empty());
    }
    EXPECT_EQ(server.RequestCount("/file.zip") + server.RequestCount("/folder/"), 0);
}

TEST_F(DownloadTaskTest, InputTaskResultReplacesTheUrl)
{
    server.Serve("/from-input.txt", LoopbackHttpServer::Body("chained"));
    DownloadTask task(CString(L"http://127.0.0.1/replaced.txt"));
    task.SetInputTask(std::make_shared<ResultTask>(Url("/from-input.txt")));
    ASSERT_TRUE(RunToEnd(task, &window));
    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_EQ(ReadFileBytes(task.GetStringResult().str()), "chained");
}

TEST_F(DownloadTaskTest, DescriptionReadWhileTheWorkerTakesItsUrlIsNeverHalfWritten)
{
    // Two addresses of one length: taking one in place of the other rewrites
    // the text where it lies, which a reader on another thread could catch
    // half done. Nothing listens on port 1, so each run ends at once.
    const std::wstring base = L"http://127.0.0.1:1/";
    const CString urls[] = {CString((base + std::wstring(8000, L'a')).c_str()),
                            CString((base + std::wstring(8000, L'b')).c_str())};
    DownloadTask task(urls[1]);
    std::atomic<bool> reading{true};
    std::atomic<int> halfWritten{0};
    std::thread reader([&] {
        while (reading) {
            const CString description = task.GetDescription();
            if (description.Find(urls[0].c_str()) < 0 && description.Find(urls[1].c_str()) < 0)
                ++halfWritten;
        }
    });
    for (int run = 0; run < 200; ++run) {
        task.SetInputTask(std::make_shared<ResultTask>(urls[run % 2]));
        task.Start();
        task.WaitUntilEnded();
    }
    reading = false;
    reader.join();
    EXPECT_EQ(halfWritten, 0);
}

TEST_F(DownloadTaskTest, DownloadSuspendedMidwayFinishesWholeAfterResume)
{
    const LoopbackHttpServer::Reply reply = Throttled(PatternBytes(256 * 1024, 11), 4096, 10);
    server.Serve("/held.bin", reply);
    DownloadTask task(Url("/held.bin"));
    task.SetNotifyWindow(&window);
    bool suspended = false;
    window.onMessage = [&](const TaskMessage& message) {
        if (message.id == UWM_TASK_PROGRESS && message.value > 0 && !suspended) {
            task.Suspend();
            suspended = true;
        }
    };
    task.Start();
    ASSERT_TRUE(PumpUntil([&] { return suspended; }, 30000));
    const size_t reportsWhenSuspended = window.Messages().size();
    PumpFor(700);
    EXPECT_EQ(window.Messages().size(), reportsWhenSuspended) << "a suspended task sends nothing";
    EXPECT_TRUE(task.IsRunning());

    task.Resume();
    ASSERT_TRUE(WaitForTask(task, 60000));
    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_EQ(ReadFileBytes(task.GetStringResult().str()), *reply.body);
    EXPECT_TRUE(StrictlyRising(window.Progress()));

    std::vector<std::string> order;
    for (const LogRecord& record : NewLogRecords())
        if (record.function == "AbstractTaskBase::Suspend" || record.function == "AbstractTaskBase::Resume")
            order.push_back(record.message);
    const std::string description = "[DownloadTask] URL: " + Narrow(server.Url("/held.bin"));
    EXPECT_EQ(order, (std::vector<std::string>{description + " Task Suspended", description + " Task Resumed"}));
}

TEST_F(DownloadTaskTest, DestructorRecordNamesTheTaskAndItsThread)
{
    { DownloadTask idle(CString(L"http://127.0.0.1/x.bin")); }
    EXPECT_EQ(MessagesFrom("DownloadTask::~DownloadTask"),
              std::vector<std::string>{"[DownloadTask] URL: http://127.0.0.1/x.bin  Task dstructor : 4294967295"});
}

// The progress rule, driven through the callback as urlmon drives it.
TEST_F(DownloadTaskTest, ProgressCountsOnlyDataCodesAndRisingPercents)
{
    struct Report {
        ULONG progress, total, code;
    };
    struct Case {
        const char* name;
        std::vector<Report> reports;
        std::vector<int> sent;
    };
    const Case cases[] = {
        {"1, 1 and 2 of 200", {{1, 200, 5}, {1, 200, 5}, {2, 200, 5}}, {1}},
        {"then 200 of 200", {{1, 200, 5}, {1, 200, 5}, {2, 200, 5}, {200, 200, 6}}, {1, 100}},
        {"other codes ignored", {{100, 200, 4}, {150, 200, 14}, {100, 200, 2}, {199, 200, 11}}, {}},
        {"unknown total", {{10, 0, 5}, {0, 0, 6}}, {}},
        {"falling is silent", {{150, 200, 5}, {100, 200, 5}, {151, 200, 5}}, {75}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TaskWindow reports;
        DownloadTask task(&reports);
        DownloadTask::CallbackHandler& callback = *task.GetCallback();
        for (const Report& report : c.reports)
            EXPECT_EQ(callback.OnProgress(report.progress, report.total, report.code, L""), S_OK);
        EXPECT_EQ(reports.Progress(), c.sent);
        for (const TaskMessage& message : reports.Messages())
            EXPECT_EQ(message.threadId, 0xFFFFFFFFu);
    }
}

TEST_F(DownloadTaskTest, CallbackAnswersForItsInterfacesOnly)
{
    DownloadTask task(CString(L"http://127.0.0.1/x"));
    DownloadTask::CallbackHandler& callback = *task.GetCallback();
    void* object = nullptr;
    EXPECT_EQ(callback.QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(object, static_cast<IBindStatusCallback*>(&callback));
    EXPECT_EQ(callback.QueryInterface(IID_IBindStatusCallback, &object), S_OK);
    EXPECT_EQ(object, static_cast<IBindStatusCallback*>(&callback));
    EXPECT_EQ(callback.QueryInterface(IID_IHttpNegotiate, &object), S_OK);
    EXPECT_EQ(object, static_cast<IHttpNegotiate*>(&callback));
    EXPECT_EQ(callback.QueryInterface(IID_IServiceProvider, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(callback.AddRef(), 2u);
    EXPECT_EQ(callback.Release(), 1u);
    EXPECT_EQ(callback.OnStartBinding(0, nullptr), E_NOTIMPL);
    EXPECT_EQ(callback.GetBindInfo(nullptr, nullptr), E_NOTIMPL);
}
