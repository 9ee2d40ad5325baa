// The launch task with the build's recorder program: parameters, working
// folder, hidden start, exit code, programs that cannot start, and a whole
// download-then-launch chain. With an expected digest: a matching program
// runs, an altered one or a malformed digest does not, and the file cannot be
// changed between the check and the launch.

#include <algorithm>
#include <cctype>
#include <optional>
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

std::shared_ptr<AbstractTaskBase> PathResult(const std::wstring& path)
{
    return std::make_shared<ResultTask>(CString(path.c_str()));
}

std::string DigestOf(const std::wstring& path)
{
    Win32xx::CFile file(path.c_str(), Win32xx::CFile::modeRead);
    return Sha256Text(Sha256OfFile(file));
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
    // A task that launches the result of `input` recording to RecordPath(),
    // and checks the program against `digest` when one is given.
    std::unique_ptr<ExecProgramTask> Launch(std::shared_ptr<AbstractTaskBase> input,
                                            std::optional<std::string> digest = std::nullopt) const
    {
        auto task = std::make_unique<ExecProgramTask>(std::move(input));
        task->SetParameters((L"--record \"" + RecordPath() + L"\"").c_str());
        task->SetExpectedDigest(std::move(digest));
        return task;
    }
    // Launches `program` expecting `digest` and checks that it was refused
    // as altered, before anything ran.
    void ExpectRefused(const std::wstring& program, const std::string& digest)
    {
        TaskWindow refused;
        const auto task = Launch(PathResult(program), digest);
        ASSERT_TRUE(RunToEnd(*task, &refused));
        ExpectFailure(*task, refused, L"The downloaded file is damaged or has been altered :" + program);
        EXPECT_FALSE(FileExists(RecordPath())) << "the refused installer ran";
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
    ASSERT_TRUE(RunToEnd(task, &window));

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
    EXPECT_EQ(Widen(record["working-folder"][0]) + L"\\", TempPath()) << "the current folder has no backslash";
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
    const auto task = Launch(nullptr);
    task->SetCommand(BuildPath(L"recorder.exe").c_str());
    task->SetLaunchFolder(records.Path().c_str());
    ASSERT_TRUE(RunToEnd(*task, &window));
    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_EQ(*task->GetResult()->As<unsigned long>(), 0ul);
    EXPECT_EQ(ReadRecord(RecordPath())["working-folder"], std::vector<std::string>{Narrow(records.Path())});
}

TEST_F(ExecProgramTaskTest, LaunchThatCannotHappenFailsTheChain)
{
    const std::wstring missing = records / L"no-such-setup.exe";
    struct Case {
        const char* name;
        std::shared_ptr<AbstractTaskBase> input;
        std::wstring temp;
        std::wstring error;
    };
    const Case cases[] = {
        {"missing file", PathResult(missing), TempPath(), L"Can't launch program :" + missing},
        {"input without a string result",
         std::make_shared<ResultTask>(1ul), TempPath(), L"Can't launch program :"},
        {"no temporary folder", PathResult(BuildPath(L"recorder.exe")), TempPath() + std::wstring(270, L'x'),
         L"Can't Locate temp folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetTempVariables(c.temp);
        TaskWindow failing;
        const auto task = Launch(c.input);
        ASSERT_TRUE(RunToEnd(*task, &failing));
        ExpectFailure(*task, failing, c.error);
        EXPECT_FALSE(FileExists(RecordPath()));
    }
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
        const auto task = Launch(PathResult(installer), expected);
        ASSERT_TRUE(RunToEnd(*task, &launched));
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

    ExpectRefused(installer, digest);
    EXPECT_EQ(MessagesFrom("ExecProgramTask::OpenVerified"),
              std::vector<std::string>{Narrow(installer) + " SHA-256 " + actual + " differs from the expected " +
                                       digest});
    EXPECT_TRUE(::DeleteFileW(installer.c_str())) << "the refused file is released";
}

TEST_F(ExecProgramTaskTest, DigestThatIsNotSixtyFourHexDigitsRefusesEvenTheRightProgram)
{
    const std::wstring installer = Installer();
    const std::string digest = DigestOf(installer);
    for (const std::string& expected : {std::string(), digest.substr(0, 63), digest + "0", digest.substr(0, 63) + "g",
                                        digest + " ", "sha256:" + digest}) {
        SCOPED_TRACE("\"" + expected + "\"");
        ExpectRefused(installer, expected);
    }
}

TEST_F(ExecProgramTaskTest, MissingProgramWithADigestIsRefusedAsAltered)
{
    const std::wstring missing = records / L"no-such-setup.exe";
    ExpectRefused(missing, DigestOf(BuildPath(L"recorder.exe")));
    const std::vector<std::string> reasons = MessagesFrom("ExecProgramTask::OpenVerified");
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_EQ(reasons[0].rfind(Narrow(missing) + " cannot be verified: ", 0), 0u) << reasons[0];
}

// Also the test of the safe point before the launch: a suspended task starts
// no program until it is resumed.
TEST_F(ExecProgramTaskTest, SuspendedCheckedFileCannotBeChangedOrLaunchedUntilResumed)
{
    const std::wstring installer = Installer();
    const std::string original = ReadFileBytes(installer);
    const std::wstring replacement = records / L"replacement.exe";
    WriteFileBytes(replacement, original + "altered");

    const auto task = Launch(PathResult(installer), DigestOf(installer));
    task->SetNotifyWindow(&window);
    // Held at the start message: the task checks the file and then stops at
    // the safe point just before the launch, holding the file.
    window.onMessage = [&](const TaskMessage& message) {
        if (message.id == UWM_TASK_PROGRESS)
            task->Suspend();
    };
    task->Start();
    ASSERT_TRUE(PumpUntil([&] { return !MessagesFrom("ExecProgramTask::OpenVerified").empty(); }, 30000));
    PumpFor(500);
    ASSERT_TRUE(task->IsRunning());
    ASSERT_FALSE(FileExists(RecordPath())) << "launched while suspended";

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
