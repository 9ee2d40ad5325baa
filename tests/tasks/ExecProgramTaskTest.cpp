// The launch task with the build's recorder program: parameters, working
// folder, hidden start, exit code, programs that cannot start, and a whole
// download-then-launch chain. With an expected digest: a matching program
// runs, an altered one or a malformed digest does not, and the file cannot be
// changed between the check and the launch.

#include <algorithm>
#include <cctype>
#include <sstream>

#include "LoopbackHttpServer.h"
#include "TaskTestSupport.h"
#include "tasks/DownloadTask.h"
#include "tasks/ExecProgramTask.h"
#include "tasks/FileSha256.h"

using namespace testing_support;
using Win32xx::CString;

namespace {

// What recorder.exe wrote: "name=value" lines.
std::map<std::string, std::vector<std::string>> ReadRecord(const std::wstring& path)
{
    std::map<std::string, std::vector<std::string>> fields;
    std::istringstream lines(ReadFileBytes(path));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            fields[line.substr(0, equals)].push_back(line.substr(equals + 1));
    }
    return fields;
}

std::wstring WithoutTrailingBackslash(std::wstring path)
{
    if (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}

std::shared_ptr<AbstractTaskBase> PathResult(const std::wstring& path)
{
    return std::make_shared<ResultTask>(std::make_unique<Any::Derived<CString>>(CString(path.c_str())));
}

std::string DigestOf(const std::wstring& path)
{
    Win32xx::CFile file(path.c_str(), Win32xx::CFile::modeRead);
    return Sha256Text(Sha256OfFile(file));
}

std::wstring AlteredText(const std::wstring& path)
{
    return L"The downloaded file is damaged or has been altered :" + path;
}

class ExecProgramTaskTest : public TaskTest {
protected:
    std::wstring RecordPath() const { return records / L"record.txt"; }
    // A copy of the recorder as a downloaded installer, which tests may
    // change or delete; its path.
    std::wstring Installer()
    {
        const std::wstring path = records / L"setup.exe";
        if (!FileExists(path))
            WriteFileBytes(path, ReadFileBytes(BuildPath(L"recorder.exe")));
        return path;
    }
    // A task that launches `program` with the expected digest, reporting to `receiver`.
    std::unique_ptr<ExecProgramTask> CheckedLaunch(const std::wstring& program, const std::string& digest,
                                                   TaskWindow& receiver) const
    {
        auto task = std::make_unique<ExecProgramTask>(PathResult(program));
        task->SetParameters((L"--record \"" + RecordPath() + L"\"").c_str());
        task->SetExpectedDigest(digest);
        task->SetNotifyWindow(&receiver);
        return task;
    }

    TempFolder records{L"records"};
    TaskWindow window;
};

}  // namespace

TEST_F(ExecProgramTaskTest, LaunchesTheInputHiddenInTheTempFolderAndKeepsItsExitCode)
{
    const std::wstring program = BuildPath(L"recorder.exe");
    ExecProgramTask task(PathResult(program));
    const std::wstring parameters = L"/S --record \"" + RecordPath() + L"\" --exit-code 3010";
    task.SetParameters(parameters.c_str());
    task.SetNotifyWindow(&window);
    ASSERT_TRUE(task.Start());
    ASSERT_TRUE(WaitForTask(task));

    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    ASSERT_NE(task.GetResult(), nullptr);
    ASSERT_NE(task.GetResult()->As<unsigned long>(), nullptr);
    EXPECT_EQ(*task.GetResult()->As<unsigned long>(), 3010ul);
    EXPECT_EQ(task.GetStringResult(), CString());
    EXPECT_EQ(task.GetCommand().str(), program);
    EXPECT_EQ(task.GetLaunchFolder().str(), TempPath());

    auto record = ReadRecord(RecordPath());
    EXPECT_EQ(record["argument"], (std::vector<std::string>{"/S", "--record", Narrow(RecordPath()), "--exit-code",
                                                            "3010"}));
    ASSERT_EQ(record["working-folder"].size(), 1u);
    EXPECT_EQ(WithoutTrailingBackslash(Widen(record["working-folder"][0])), WithoutTrailingBackslash(TempPath()));
    EXPECT_EQ(record["show-window"], std::vector<std::string>{std::to_string(SW_HIDE)});

    const std::vector<std::string> messages = MessagesFrom("ExecProgramTask::OnStart");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], Narrow(L"[ExecProgramTask] \n PARAMETERS: " + parameters + L"\n COMMAND : " + program +
                                  L"\n LAUNCHDIR : " + TempPath() + L" "));
    EXPECT_EQ(messages[1], Narrow(program) + " Exit code: 3010");
    EXPECT_TRUE(MessagesFrom("ExecProgramTask::OpenVerified").empty()) << "no digest, no check";
}

TEST_F(ExecProgramTaskTest, GivenCommandAndLaunchFolderAreUsedUnchanged)
{
    ExecProgramTask task(nullptr);
    task.SetCommand(BuildPath(L"recorder.exe").c_str());
    task.SetParameters((L"--record \"" + RecordPath() + L"\"").c_str());
    task.SetLaunchFolder(records.Path().c_str());
    task.SetNotifyWindow(&window);
    task.Start();
    ASSERT_TRUE(WaitForTask(task));
    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_EQ(*task.GetResult()->As<unsigned long>(), 0ul);
    EXPECT_EQ(ReadRecord(RecordPath())["working-folder"], std::vector<std::string>{Narrow(records.Path())});
}

TEST_F(ExecProgramTaskTest, ProgramThatCannotStartFailsTheChain)
{
    const std::wstring missing = records / L"no-such-setup.exe";
    struct Case {
        const char* name;
        std::shared_ptr<AbstractTaskBase> input;
        std::wstring error;
    };
    const Case cases[] = {
        {"missing file", PathResult(missing), L"Can't launch program :" + missing},
        {"input without a string result",
         std::make_shared<ResultTask>(std::make_unique<Any::Derived<unsigned long>>(1ul)), L"Can't launch program :"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TaskWindow failing;
        ExecProgramTask task(c.input);
        task.SetNotifyWindow(&failing);
        task.Start();
        ASSERT_TRUE(WaitForTask(task));
        EXPECT_EQ(failing.Errors(), std::vector<std::wstring>{c.error});
        EXPECT_EQ(failing.Count(UWM_TASK_FINISHED), 0);
        EXPECT_EQ(task.GetResult(), nullptr);
        EXPECT_EQ(ThreadExitCode(task.GetThreadId()), 2u);
    }
}

TEST_F(ExecProgramTaskTest, NoTemporaryFolderFailsBeforeTheLaunch)
{
    SetTempVariables(TempPath() + std::wstring(270, L'x'));
    ExecProgramTask task(PathResult(BuildPath(L"recorder.exe")));
    task.SetParameters((L"--record \"" + RecordPath() + L"\"").c_str());
    task.SetNotifyWindow(&window);
    task.Start();
    ASSERT_TRUE(WaitForTask(task));
    EXPECT_EQ(window.Errors(), std::vector<std::wstring>{L"Can't Locate temp folder"});
    EXPECT_FALSE(FileExists(RecordPath()));
}

TEST_F(ExecProgramTaskTest, SuspendedTaskDoesNotLaunchUntilResumed)
{
    ExecProgramTask task(PathResult(BuildPath(L"recorder.exe")));
    task.SetParameters((L"--record \"" + RecordPath() + L"\"").c_str());
    task.SetNotifyWindow(&window);
    // Held at the start message, before the launch.
    window.onMessage = [&](const TaskMessage& message) {
        if (message.id == UWM_TASK_PROGRESS)
            task.Suspend();
    };
    task.Start();
    PumpFor(500);
    EXPECT_FALSE(FileExists(RecordPath()));
    EXPECT_TRUE(task.IsRunning());
    task.Resume();
    ASSERT_TRUE(WaitForTask(task));
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_TRUE(FileExists(RecordPath()));
}

TEST_F(ExecProgramTaskTest, DownloadedProgramRunsWithItsParameters)
{
    LoopbackHttpServer server;
    DownloadTask::SetConnectivityCheckUrl(server.Url("/").c_str());
    server.Serve("/installer/setup.exe", LoopbackHttpServer::Body(ReadFileBytes(BuildPath(L"recorder.exe"))));
    auto download = std::make_shared<DownloadTask>(CString(server.Url("/installer/setup.exe").c_str()));
    ExecProgramTask launch(download);
    launch.SetParameters((L"--record \"" + RecordPath() + L"\" --exit-code 7").c_str());

    // The chain as the pages run it: the next task starts on the finish message.
    download->SetNotifyWindow(&window);
    window.onMessage = [&](const TaskMessage& message) {
        if (message.id == UWM_TASK_FINISHED && message.threadId == download->GetThreadId()) {
            launch.SetNotifyWindow(&window);
            launch.Start();
        }
    };
    download->Start();
    ASSERT_TRUE(PumpUntil([&] { return window.Count(UWM_TASK_FINISHED) == 2 || !window.Errors().empty(); }, 60000));
    ASSERT_TRUE(window.Errors().empty()) << Narrow(window.Errors()[0]);
    EXPECT_EQ(launch.GetCommand(), download->GetStringResult());
    EXPECT_EQ(*launch.GetResult()->As<unsigned long>(), 7ul);
    EXPECT_EQ(ReadRecord(RecordPath())["argument"].size(), 4u);
}

TEST_F(ExecProgramTaskTest, MatchingDigestInEitherCaseLaunches)
{
    const std::wstring installer = Installer();
    const std::string digest = DigestOf(installer);
    std::string upper = digest;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(::toupper(c)); });
    for (const std::string& expected : {digest, upper}) {
        SCOPED_TRACE(expected);
        RemoveTree(RecordPath());
        TaskWindow launched;
        const auto task = CheckedLaunch(installer, expected, launched);
        task->Start();
        ASSERT_TRUE(WaitForTask(*task));
        EXPECT_TRUE(launched.Errors().empty()) << Narrow(launched.Errors().front());
        EXPECT_EQ(launched.Count(UWM_TASK_FINISHED), 1);
        EXPECT_TRUE(FileExists(RecordPath())) << "the installer did not run";
    }
    EXPECT_EQ(MessagesFrom("ExecProgramTask::OpenVerified"),
              std::vector<std::string>(2, Narrow(installer) + " SHA-256 verified: " + digest));
    // Released once the process had started.
    EXPECT_TRUE(::DeleteFileW(installer.c_str()));
}

TEST_F(ExecProgramTaskTest, AlteredProgramIsNotLaunched)
{
    const std::wstring installer = Installer();
    const std::string digest = DigestOf(installer);
    // Still a program that would run: bytes after the image change nothing for the loader.
    WriteFileBytes(installer, ReadFileBytes(installer) + "altered");
    const std::string actual = DigestOf(installer);
    ASSERT_NE(actual, digest);

    const auto task = CheckedLaunch(installer, digest, window);
    task->Start();
    ASSERT_TRUE(WaitForTask(*task));
    EXPECT_EQ(window.Errors(), std::vector<std::wstring>{AlteredText(installer)});
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 0);
    EXPECT_EQ(task->GetResult(), nullptr);
    EXPECT_EQ(ThreadExitCode(task->GetThreadId()), 2u);
    EXPECT_FALSE(FileExists(RecordPath())) << "the altered installer ran";
    EXPECT_EQ(MessagesFrom("ExecProgramTask::OpenVerified"),
              std::vector<std::string>{Narrow(installer) + " SHA-256 " + actual + " differs from the expected " +
                                       digest});
    EXPECT_TRUE(::DeleteFileW(installer.c_str())) << "the refused file is released";
}

TEST_F(ExecProgramTaskTest, DigestThatIsNotSixtyFourHexDigitsRefusesEvenTheRightProgram)
{
    const std::wstring installer = Installer();
    const std::string digest = DigestOf(installer);
    const std::string malformed[] = {"", digest.substr(0, 63), digest + "0", digest.substr(0, 63) + "g",
                                     digest + " ", "sha256:" + digest};
    for (const std::string& expected : malformed) {
        SCOPED_TRACE("\"" + expected + "\"");
        TaskWindow refused;
        const auto task = CheckedLaunch(installer, expected, refused);
        task->Start();
        ASSERT_TRUE(WaitForTask(*task));
        EXPECT_EQ(refused.Errors(), std::vector<std::wstring>{AlteredText(installer)});
        EXPECT_FALSE(FileExists(RecordPath()));
    }
}

TEST_F(ExecProgramTaskTest, MissingProgramWithADigestIsRefusedAsAltered)
{
    const std::wstring missing = records / L"no-such-setup.exe";
    const auto task = CheckedLaunch(missing, DigestOf(BuildPath(L"recorder.exe")), window);
    task->Start();
    ASSERT_TRUE(WaitForTask(*task));
    EXPECT_EQ(window.Errors(), std::vector<std::wstring>{AlteredText(missing)});
    const std::vector<std::string> reasons = MessagesFrom("ExecProgramTask::OpenVerified");
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_EQ(reasons[0].rfind(Narrow(missing) + " cannot be verified: ", 0), 0u) << reasons[0];
}

TEST_F(ExecProgramTaskTest, CheckedFileCannotBeChangedUntilItsProcessStarted)
{
    const std::wstring installer = Installer();
    const std::string original = ReadFileBytes(installer);
    const std::wstring replacement = records / L"replacement.exe";
    WriteFileBytes(replacement, original + "altered");

    const auto task = CheckedLaunch(installer, DigestOf(installer), window);
    // Held at the start message: the task checks the file and then stops at
    // the safe point just before the launch, holding the file.
    window.onMessage = [&](const TaskMessage& message) {
        if (message.id == UWM_TASK_PROGRESS)
            task->Suspend();
    };
    task->Start();
    ASSERT_TRUE(PumpUntil([&] { return !MessagesFrom("ExecProgramTask::OpenVerified").empty(); }, 30000));
    ASSERT_TRUE(task->IsRunning());
    ASSERT_FALSE(FileExists(RecordPath()));

    const HANDLE writer = ::CreateFileW(installer.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "opened for writing";
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (writer != INVALID_HANDLE_VALUE)
        ::CloseHandle(writer);
    EXPECT_FALSE(::DeleteFileW(installer.c_str())) << "deleted";
    EXPECT_FALSE(::MoveFileExW(replacement.c_str(), installer.c_str(), MOVEFILE_REPLACE_EXISTING)) << "replaced";
    EXPECT_FALSE(::MoveFileW(installer.c_str(), (installer + L".moved").c_str())) << "renamed away";
    EXPECT_EQ(ReadFileBytes(installer), original);

    task->Resume();
    ASSERT_TRUE(WaitForTask(*task));
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_TRUE(FileExists(RecordPath())) << "the checked installer did not run";
    EXPECT_TRUE(::MoveFileExW(replacement.c_str(), installer.c_str(), MOVEFILE_REPLACE_EXISTING))
        << "still held after the launch";
}
