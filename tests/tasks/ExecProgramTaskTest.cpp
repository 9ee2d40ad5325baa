// The launch task with the recorder: parameters, folder, hidden start, exit code; with a digest, only a match runs.

#include "TaskTestSupport.h"
#include "tasks/ExecProgramTask.h"

using namespace testing_support;
using Win32xx::CString;

namespace {

std::shared_ptr<AbstractTaskBase> PathResult(const std::wstring& path)
{
    return std::make_shared<ResultTask>(CString(path.c_str()));
}

class ExecProgramTaskTest : public TaskTest {
protected:
    // A copy of the recorder as a downloaded installer, which tests may change.
    ExecProgramTaskTest() { WriteFileBytes(installer, ReadFileBytes(BuildPath(L"recorder.exe"))); }

    std::wstring RecordPath() const { return records / L"record.txt"; }
    // Launches the result of `input` recording to RecordPath(), checked against `digest` when one is given.
    std::unique_ptr<ExecProgramTask> Launch(std::shared_ptr<AbstractTaskBase> input,
                                            std::optional<std::string> digest = std::nullopt) const
    {
        auto task = std::make_unique<ExecProgramTask>(std::move(input));
        task->SetParameters((L"--record \"" + RecordPath() + L"\"").c_str());
        task->SetExpectedDigest(std::move(digest));
        return task;
    }

    TempFolder records{L"records"};
    const std::wstring installer = records / L"setup.exe";
    TaskWindow window;
};

}  // namespace

TEST_F(ExecProgramTaskTest, LaunchesTheInputHiddenInTheTempFolderAndKeepsItsExitCode)
{
    ExecProgramTask task(PathResult(installer));
    const std::wstring parameters = L"/S --record \"" + RecordPath() + L"\" --exit-code 3010";
    task.SetParameters(parameters.c_str());
    ASSERT_TRUE(RunToEnd(task, &window));

    ASSERT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    ASSERT_NE(task.GetResult()->As<unsigned long>(), nullptr);
    EXPECT_EQ(*task.GetResult()->As<unsigned long>(), 3010ul);

    // What recorder.exe wrote after its command line; the current folder has no trailing backslash.
    const std::string record = ReadFileBytes(RecordPath());
    EXPECT_EQ(record.substr(record.find("\nargument=") + 1),
              Narrow(L"argument=/S\nargument=--record\nargument=" + RecordPath() + L"\nargument=--exit-code\n"
                     L"argument=3010\nworking-folder=" + TempPath().substr(0, TempPath().size() - 1) +
                     L"\nshow-window=" + std::to_wstring(SW_HIDE) + L"\n"));
    EXPECT_EQ(MessagesFrom("ExecProgramTask::OnStart"),
              (std::vector<std::string>{Narrow(L"[ExecProgramTask] \n PARAMETERS: " + parameters + L"\n COMMAND : " +
                                               installer + L"\n LAUNCHDIR : " + TempPath() + L" "),
                                        Narrow(installer) + " Exit code: 3010"}));
}

// Refused before anything ran, the check's reason logged (bytes after the image change nothing for the loader).
TEST_F(ExecProgramTaskTest, ProgramThatCannotStartOrDoesNotMatchItsDigestIsNotLaunched)
{
    const std::string digest = FileDigest(installer);
    const std::wstring altered = records / L"altered.exe", missing = records / L"no-such-setup.exe";
    WriteFileBytes(altered, ReadFileBytes(installer) + "altered");
    const std::wstring damaged = L"The downloaded file is damaged or has been altered :";
    struct Case {
        std::shared_ptr<AbstractTaskBase> input;
        std::optional<std::string> digest;
        std::wstring temp, error;
        std::string reason;  // the start of the check's record; none without a digest
    };
    const Case cases[] = {
        {PathResult(missing), std::nullopt, TempPath(), L"Can't launch program :" + missing, ""},
        {std::make_shared<ResultTask>(1ul), std::nullopt, TempPath(), L"Can't launch program :", ""},
        {PathResult(installer), std::nullopt, TempPath() + std::wstring(270, L'x'), L"Can't Locate temp folder", ""},
        {PathResult(altered), digest, TempPath(), damaged + altered,
         Narrow(altered) + " SHA-256 " + FileDigest(altered) + " differs from the expected " + digest},
        {PathResult(installer), "", TempPath(), damaged + installer,
         Narrow(installer) + " SHA-256 " + digest + " differs from the expected "},
        {PathResult(missing), digest, TempPath(), damaged + missing, Narrow(missing) + " cannot be verified: "},
    };
    for (size_t index = 0; index < std::size(cases); ++index) {
        const Case& c = cases[index];
        SCOPED_TRACE(index);
        StartCase(std::to_wstring(index));
        SetTempVariables(c.temp);
        TaskWindow refused;
        const auto task = Launch(c.input, c.digest);
        ASSERT_TRUE(RunToEnd(*task, &refused));
        ExpectFailure(*task, refused, c.error);
        EXPECT_FALSE(FileExists(RecordPath())) << "the refused installer ran";
        const std::vector<std::string> reasons = MessagesFrom("ExecProgramTask::OpenVerified");
        ASSERT_EQ(reasons.size(), c.reason.empty() ? 0u : 1u);
        EXPECT_TRUE(c.reason.empty() || reasons[0].rfind(c.reason, 0) == 0) << reasons[0];
    }
    EXPECT_TRUE(::DeleteFileW(altered.c_str())) << "the refused file is released";
}

// Also the safe point before the launch: a suspended task starts no program until it is resumed.
TEST_F(ExecProgramTaskTest, SuspendedCheckedFileCannotBeReplacedOrLaunchedUntilResumed)
{
    const std::wstring replacement = records / L"replacement.exe";
    WriteFileBytes(replacement, ReadFileBytes(installer) + "altered");
    const std::string digest = FileDigest(installer);
    const auto task = Launch(PathResult(installer), digest);
    task->SetNotifyWindow(&window);
    // Held at the start message: the task checks the file, then stops just before the launch, holding it.
    window.onMessage = [&](const TaskMessage& message) {
        if (message.id == UWM_TASK_PROGRESS)
            task->Suspend();
    };
    task->Start();
    ASSERT_TRUE(PumpUntil([&] { return !MessagesFrom("ExecProgramTask::OpenVerified").empty(); }, 30000));
    PumpFor(500);  // time in which a task that ignored the hold would launch
    EXPECT_FALSE(::MoveFileExW(replacement.c_str(), installer.c_str(), MOVEFILE_REPLACE_EXISTING)) << "replaced";
    EXPECT_FALSE(CanOpenForWriting(installer));
    EXPECT_EQ(FileDigest(installer), digest);

    FILETIME resumed{};
    ::GetSystemTimeAsFileTime(&resumed);
    task->Resume();
    ASSERT_TRUE(WaitForTask(*task));
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    WIN32_FILE_ATTRIBUTE_DATA record{};  // the recorder writes it as it starts
    ASSERT_TRUE(::GetFileAttributesExW(RecordPath().c_str(), GetFileExInfoStandard, &record)) << "did not run";
    EXPECT_GE(::CompareFileTime(&record.ftLastWriteTime, &resumed), 0) << "launched while suspended";
    EXPECT_EQ(MessagesFrom("ExecProgramTask::OpenVerified"),
              std::vector<std::string>{Narrow(installer) + " SHA-256 verified: " + digest});
    EXPECT_TRUE(::MoveFileExW(replacement.c_str(), installer.c_str(), MOVEFILE_REPLACE_EXISTING))
        << "still held after the launch";
}
