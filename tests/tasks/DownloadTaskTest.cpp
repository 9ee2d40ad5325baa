// The download task against a loopback server: whole files, progress,
// HTTP errors, short responses, no server, the checks before a download,
// suspension in the middle of a transfer, and the progress rule itself.

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

    // Runs a download of `url` to its end with a window.
    void Download(DownloadTask& task)
    {
        task.SetNotifyWindow(&window);
        ASSERT_TRUE(task.Start());
        ASSERT_TRUE(WaitForTask(task, 60000));
    }
    // The GUID folders that downloads made in the test's temporary folder.
    std::vector<std::wstring> DownloadFolders() const { return GuidFolders(Temp().Path()); }

    LoopbackHttpServer server;
    TaskWindow window;
};

bool StrictlyRising(const std::vector<int>& values)
{
    for (size_t index = 1; index < values.size(); ++index)
        if (values[index] <= values[index - 1])
            return false;
    return true;
}

}  // namespace

TEST_F(DownloadTaskTest, DownloadsTheWholeFileIntoAGuidFolder)
{
    const std::string body = PatternBytes(300000, 7);
    server.Serve("/files/setup.exe", LoopbackHttpServer::Body(body));
    DownloadTask task(CString(server.Url("/files/setup.exe").c_str()));
    Download(task);

    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1) << (window.Errors().empty() ? "" : Narrow(window.Errors()[0]));
    const std::vector<std::wstring> folders = DownloadFolders();
    ASSERT_EQ(folders.size(), 1u);
    const std::wstring expected = folders[0] + L"\\setup.exe";
    EXPECT_EQ(task.GetStringResult().str(), expected);
    EXPECT_EQ(ReadFileBytes(expected), body);
    EXPECT_EQ(window.Progress().front(), 0);
    EXPECT_EQ(window.Progress().back(), 100);
    EXPECT_TRUE(StrictlyRising(window.Progress()));
    EXPECT_EQ(MessagesFrom("AbstractTaskBase::OnFinish"),
              std::vector<std::string>{"[DownloadTask] URL: " + Narrow(server.Url("/files/setup.exe")) +
                                       " Task Completed"});
}

TEST_F(DownloadTaskTest, ThrottledDownloadReportsStrictlyRisingPercents)
{
    LoopbackHttpServer::Reply reply = LoopbackHttpServer::Body(PatternBytes(64 * 1024, 3));
    reply.pieceSize = 2048;
    reply.pauseMs = 15;
    server.Serve("/slow.bin", reply);
    DownloadTask task(CString(server.Url("/slow.bin").c_str()));
    Download(task);

    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    const std::vector<int> progress = window.Progress();
    EXPECT_GT(progress.size(), 3u) << "a throttled transfer reports on its way";
    EXPECT_TRUE(StrictlyRising(progress));
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(ReadFileBytes(task.GetStringResult().str()), *reply.body);
}

TEST_F(DownloadTaskTest, TwoDownloadsOfOneUrlLandInTwoFolders)
{
    server.Serve("/a.zip", LoopbackHttpServer::Body("first"));
    DownloadTask first(CString(server.Url("/a.zip").c_str()));
    Download(first);
    server.Serve("/a.zip", LoopbackHttpServer::Body("second"));
    DownloadTask second(CString(server.Url("/a.zip").c_str()));
    Download(second);

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
    DownloadTask task(CString(server.Url("/unsized.bin").c_str()));
    Download(task);

    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_EQ(window.Progress(), std::vector<int>{0});
    EXPECT_EQ(ReadFileBytes(task.GetStringResult().str()), *reply.body);
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
    const Case cases[] = {
        {"/missing.exe", LoopbackHttpServer::Body("<html>not here</html>", 404), L"0x80190194"},
        {"/broken.exe", LoopbackHttpServer::Body("<html>oops</html>", 500), L"0x801901F4"},
        {"/cut.exe", cut, L"0x800C0007"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        server.Serve(c.path, c.reply);
        TaskWindow failing;
        DownloadTask task(CString(server.Url(c.path).c_str()));
        task.SetNotifyWindow(&failing);
        task.Start();
        ASSERT_TRUE(WaitForTask(task));
        EXPECT_EQ(failing.Errors(),
                  std::vector<std::wstring>{std::wstring(L"An error occured while downloading the file : error code = ") +
                                            c.code});
        EXPECT_EQ(failing.Count(UWM_TASK_FINISHED), 0);
        EXPECT_EQ(task.GetStringResult(), CString());
        EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 2u);
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
    Download(task);
    ASSERT_EQ(window.Errors().size(), 1u);
    EXPECT_EQ(window.Errors()[0].rfind(L"An error occured while downloading the file : error code = 0x800C", 0), 0u)
        << Narrow(window.Errors()[0]);
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 0);
}

TEST_F(DownloadTaskTest, ChecksBeforeTheDownloadFailWithTheirTextsAndNoFolder)
{
    struct Case {
        std::wstring url;
        std::wstring checkUrl;
        std::wstring error;
    };
    const std::wstring nothing = L"http://127.0.0.1:" + std::to_wstring(LoopbackHttpServer::UnusedPort()) + L"/";
    const Case cases[] = {
        {server.Url("/file.zip"), nothing, L"Error downloading resource,Please check your internet connection!"},
        {L"not a url", server.Url("/"), L"Invalid Url :not a url."},
        {server.Url("/folder/"), server.Url("/"), L"Could not create a temporary filename."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.error));
        DownloadTask::SetConnectivityCheckUrl(c.checkUrl.c_str());
        TaskWindow failing;
        DownloadTask task(CString(c.url.c_str()));
        task.SetNotifyWindow(&failing);
        task.Start();
        ASSERT_TRUE(WaitForTask(task));
        EXPECT_EQ(failing.Errors(), std::vector<std::wstring>{c.error});
        EXPECT_TRUE(DownloadFolders().empty());
    }
    EXPECT_EQ(server.RequestCount("/file.zip") + server.RequestCount("/folder/"), 0);
}

TEST_F(DownloadTaskTest, NoTemporaryFolderFailsBeforeTheDownload)
{
    server.Serve("/f.bin", LoopbackHttpServer::Body("data"));
    SetTempVariables(TempPath() + std::wstring(270, L'x'));
    DownloadTask task(CString(server.Url("/f.bin").c_str()));
    Download(task);
    EXPECT_EQ(window.Errors(), std::vector<std::wstring>{L"Could not create a temporary folder for the download."});
    EXPECT_EQ(server.RequestCount("/f.bin"), 0);
}

TEST_F(DownloadTaskTest, InputTaskResultReplacesTheUrl)
{
    server.Serve("/from-input.txt", LoopbackHttpServer::Body("chained"));
    DownloadTask task(CString(L"http://127.0.0.1/replaced.txt"));
    task.SetInputTask(std::make_shared<ResultTask>(
        std::make_unique<Any::Derived<CString>>(CString(server.Url("/from-input.txt").c_str()))));
    Download(task);
    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_EQ(ReadFileBytes(task.GetStringResult().str()), "chained");
}

TEST_F(DownloadTaskTest, InputTaskWithoutAStringResultGivesAnEmptyUrl)
{
    DownloadTask task(CString(server.Url("/never.txt").c_str()));
    task.SetInputTask(std::make_shared<ResultTask>(std::make_unique<Any::Derived<unsigned long>>(5ul)));
    Download(task);
    EXPECT_EQ(window.Errors(), std::vector<std::wstring>{L"Invalid Url :."});
    EXPECT_EQ(task.GetUrl(), CString());
    EXPECT_EQ(server.RequestCount("/never.txt"), 0);
}

TEST_F(DownloadTaskTest, DownloadSuspendedMidwayFinishesWholeAfterResume)
{
    LoopbackHttpServer::Reply reply = LoopbackHttpServer::Body(PatternBytes(256 * 1024, 11));
    reply.pieceSize = 4096;
    reply.pauseMs = 10;
    server.Serve("/held.bin", reply);
    DownloadTask task(CString(server.Url("/held.bin").c_str()));
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

    const std::vector<LogRecord> records = NewLogRecords();
    int suspendedAt = -1;
    int resumedAt = -1;
    for (size_t index = 0; index < records.size(); ++index) {
        if (records[index].function == "AbstractTaskBase::Suspend")
            suspendedAt = static_cast<int>(index);
        if (records[index].function == "AbstractTaskBase::Resume")
            resumedAt = static_cast<int>(index);
    }
    ASSERT_GE(suspendedAt, 0);
    EXPECT_GT(resumedAt, suspendedAt);
    EXPECT_NE(records[static_cast<size_t>(suspendedAt)].message.find("Task Suspended"), std::string::npos);
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
