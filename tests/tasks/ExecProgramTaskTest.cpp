// The launch task with the build's recorder program: parameters, working
// folder, hidden start, exit code, programs that cannot start. With an
// expected digest: a matching program runs, any other is refused, and the
// file cannot be changed between the check and the launch.

#include <map>
#include <optional>
#include <sstream>
#include <tuple>

#include "TaskTestSupport.h"
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
    // A copy of the recorder as a downloaded installer, which tests may change.
    ExecProgramTaskTest() { WriteFileBytes(installer, ReadFileBytes(BuildPath(L"recorder.exe"))); }

    std::wstring RecordPath() const { return records / L"record.txt"; }
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
    EXPECT_EQ(task.GetStringResult(), CString()) << "a number is no string result";

    auto record = ReadRecord(RecordPath());
    EXPECT_EQ(record["argument"], (std::vector<std::string>{"/S", "--record", Narrow(RecordPath()), "--exit-code",
                                                            "3010"}));
    ASSERT_EQ(record["working-folder"].size(), 1u);
    EXPECT_EQ(Widen(record["working-folder"][0]) + L"\\", TempPath()) << "the current folder has no backslash";
    EXPECT_EQ(record["show-window"], std::vector<std::string>{std::to_string(SW_HIDE)});
    EXPECT_EQ(MessagesFrom("ExecProgramTask::OnStart"),
              (std::vector<std::string>{Narrow(L"[ExecProgramTask] \n PARAMETERS: " + parameters + L"\n COMMAND : " +
                                               installer + L"\n LAUNCHDIR : " + TempPath() + L" "),
                                        Narrow(installer) + " Exit code: 3010"}));
    EXPECT_TRUE(MessagesFrom("ExecProgramTask::OpenVerified").empty()) << "no digest, no check";
}

TEST_F(ExecProgramTaskTest, LaunchThatCannotHappenFailsTheChain)
{
    const std::wstring missing = records / L"no-such-setup.exe";
    struct Case {
        std::shared_ptr<AbstractTaskBase> input;
        std::wstring temp, error;
    };
    const Case cases[] = {
        {PathResult(missing), TempPath(), L"Can't launch program :" + missing},
        {std::make_shared<ResultTask>(1ul), TempPath(), L"Can't launch program :"},
        {PathResult(installer), TempPath() + std::wstring(270, L'x'), L"Can't Locate temp folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.error));
        SetTempVariables(c.temp);
        TaskWindow failing;
        const auto task = Launch(c.input);
        ASSERT_TRUE(RunToEnd(*task, &failing));
        ExpectFailure(*task, failing, c.error);
        EXPECT_FALSE(FileExists(RecordPath()));
    }
}

// Refused before anything ran: an altered program (bytes after the image
// change nothing for the loader), a digest that is no digest, no program.
TEST_F(ExecProgramTaskTest, ProgramThatDoesNotMatchItsDigestIsNotLaunched)
{
    const std::string digest = DigestOf(installer);
    const std::wstring altered = records / L"altered.exe";
    WriteFileBytes(altered, ReadFileBytes(installer) + "altered");
    const std::wstring missing = records / L"no-such-setup.exe";
    const std::tuple<std::wstring, std::string, std::string> cases[] = {
        {altered, digest, " SHA-256 " + DigestOf(altered) + " differs from the expected " + digest},
        {installer, "", " SHA-256 " + digest + " differs from the expected "},
        {missing, digest, " cannot be verified: "},
    };
    for (size_t index = 0; index < std::size(cases); ++index) {
        const auto& [program, expected, reason] = cases[index];
        SCOPED_TRACE(Narrow(program));
        StartCase(std::to_wstring(index));
        TaskWindow refused;
        const auto task = Launch(PathResult(program), expected);
        ASSERT_TRUE(RunToEnd(*task, &refused));
        ExpectFailure(*task, refused, L"The downloaded file is damaged or has been altered :" + program);
        EXPECT_FALSE(FileExists(RecordPath())) << "the refused installer ran";
        const std::vector<std::string> reasons = MessagesFrom("ExecProgramTask::OpenVerified");
        ASSERT_EQ(reasons.size(), 1u);
        EXPECT_EQ(reasons[0].rfind(Narrow(program) + reason, 0), 0u) << reasons[0];
    }
    EXPECT_TRUE(::DeleteFileW(altered.c_str())) << "the refused file is released";
}

// Also the test of the safe point before the launch: a suspended task starts
// no program until it is resumed.
TEST_F(ExecProgramTaskTest, SuspendedCheckedFileCannotBeReplacedOrLaunchedUntilResumed)
{
    const std::wstring replacement = records / L"replacement.exe";
    WriteFileBytes(replacement, ReadFileBytes(installer) + "altered");
    const std::string digest = DigestOf(installer);
    const auto task = Launch(PathResult(installer), digest);
    task->SetNotifyWindow(&window);
    // Held at the start message: the task checks the file and then stops at
    // the safe point just before the launch, holding the file.
    window.onMessage = [&](const TaskMessage& message) {
        if (message.id == UWM_TASK_PROGRESS)
            task->Suspend();
    };
    task->Start();
    ASSERT_TRUE(PumpUntil([&] { return !MessagesFrom("ExecProgramTask::OpenVerified").empty(); }, 30000));
    PumpUntil([] { return false; }, 500);
    ASSERT_FALSE(FileExists(RecordPath())) << "launched while suspended";
    EXPECT_FALSE(::MoveFileExW(replacement.c_str(), installer.c_str(), MOVEFILE_REPLACE_EXISTING)) << "replaced";
    EXPECT_EQ(DigestOf(installer), digest);

    task->Resume();
    ASSERT_TRUE(WaitForTask(*task));
    EXPECT_EQ(window.Count(UWM_TASK_FINISHED), 1);
    EXPECT_TRUE(FileExists(RecordPath())) << "the checked installer did not run";
    EXPECT_EQ(MessagesFrom("ExecProgramTask::OpenVerified"),
              std::vector<std::string>{Narrow(installer) + " SHA-256 verified: " + digest});
    EXPECT_TRUE(::MoveFileExW(replacement.c_str(), installer.c_str(), MOVEFILE_REPLACE_EXISTING))
        << "still held after the launch";
}
