// The clean-up dialog runs the offer steps' clean-up tasks in page order; the database comes via the real bootstrap.

#include "LoopbackHttpServer.h"
#include "ArchiveSigner.h"
#include "TaskTestSupport.h"
#include "TestPages.h"
#include "framework/logging/Logger.h"
#include "resources/ResourceManager.h"
#include "support/BuildAddress.h"
#include "tasks/CancelSetupProcessingDialog.h"
#include "tasks/ExecProgramTask.h"
#include "tests/resources/TestDatabase.h"
#include "wizard/StepsManager.h"

using testing_support::ScriptedTask;

namespace {

// A clean-up task: the recording program, which writes `record`.
std::shared_ptr<AbstractTaskBase> CleanUpTask(const std::wstring& record)
{
    auto task = std::make_shared<ExecProgramTask>(nullptr);
    task->SetCommand(testing_support::BuildPath(L"recorder.exe").c_str());
    task->SetParameters((L"--record \"" + record + L"\"").c_str());
    return task;
}

// The clean-up dialog (the window with its status text) among the windows of `thread`.
HWND CleanUpDialogOf(DWORD thread)
{
    HWND found = nullptr;
    ::EnumThreadWindows(thread, [](HWND window, LPARAM result) {
        *reinterpret_cast<HWND*>(result) = ::GetDlgItem(window, 1057) ? window : nullptr;
        return *reinterpret_cast<HWND*>(result) ? FALSE : TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

class CleanUpDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static testing_support::TempFolder folder(L"cleanup");
        s_folder = &folder;
        logging::InitFileLogger(logging::debug, LogPath());
        {
            TestDatabase database(folder / L"resources.db");
            database.AddLanguage("0", "Neutral", "", "", 0);
            database.AddText("0", 7, "Please wait");
        }
        using namespace testing_support;
        LoopbackHttpServer server(ArchivePort());
        server.Serve(ArchivePath(), LoopbackHttpServer::Body(BuildSignedZip(
                                        {ZipItem::File("resources.db", ReadFileBytes(folder / L"resources.db"))})));
        GenericSingleton<ResourceManager>::instance();  // the bootstrap runs here

        StepsManager& steps = GenericSingleton<StepsManager>::instance();
        steps.AddStep<TestPage>(L"Welcome");
        s_first = steps.AddStep<TestOfferPage>(L"FirstOffer");
        s_second = steps.AddStep<TestOfferPage>(L"SecondOffer");
        s_second->active = 0;  // a skipped offer cleans up as well
        s_tasks = steps.AddStep<TestPage>(L"Tasks");
    }

    ~CleanUpDialogTest() override { SetCleanUpTasks({}, {}); }

    static std::wstring LogPath() { return *s_folder / L"osi.log"; }
    using Tasks = std::vector<std::shared_ptr<AbstractTaskBase>>;
    static void SetCleanUpTasks(Tasks first, Tasks second)
    {
        s_first->cancelSetupTasks = std::move(first);
        s_second->cancelSetupTasks = std::move(second);
    }
    // The dialog's records since the test began.
    std::vector<std::string> DialogRecords() const
    {
        std::vector<std::string> records;
        const auto log = testing_support::ReadLog(LogPath());
        for (size_t i = m_logStart; i < log.size(); ++i)
            if (log[i].function.rfind("CancelSetupProcessingDialog::", 0) == 0)
                records.push_back(log[i].message);
        return records;
    }

    static inline const testing_support::TempFolder* s_folder = nullptr;
    static inline StepFrame *s_first = nullptr, *s_second = nullptr, *s_tasks = nullptr;
    const size_t m_logStart = testing_support::ReadLog(LogPath()).size();
};

}  // namespace

// Escape, the close box and Alt+F4 while the first task runs do not end the dialog.
TEST_F(CleanUpDialogTest, RunsTheOfferStepsCleanUpTasksInPageOrderAndEndsOnlyAfterThem)
{
    const DWORD uiThread = ::GetCurrentThreadId();
    const std::wstring second = *s_folder / L"second.txt";
    bool secondRanFirst = false;
    auto closing = std::make_shared<ScriptedTask>(nullptr, [&, uiThread](ScriptedTask& self) {
        secondRanFirst = testing_support::FileExists(second);
        const HWND dialog = CleanUpDialogOf(uiThread);
        ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ::SendMessageW(dialog, WM_CLOSE, 0, 0);
        ::SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        self.SendProgress(50);  // the dialog must still be there
        return TRUE;
    });
    SetCleanUpTasks({closing}, {CleanUpTask(second)});
    s_tasks->cancelSetupTasks = {CleanUpTask(*s_folder / L"not-an-offer.txt")};

    CancelSetupProcessingDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(testing_support::ThreadExitCode(closing->GetThreadId()), 0u);
    EXPECT_TRUE(testing_support::FileExists(second) && !secondRanFirst);
    EXPECT_FALSE(testing_support::FileExists(*s_folder / L"not-an-offer.txt")) << "only offer steps clean up";
    EXPECT_EQ(DialogRecords(), (std::vector<std::string>{"Starting Cancel Setup Task #0", "Cancel Setup Task #0 Finished",
                                                         "Starting Cancel Setup Task #1", "Cancel Setup Task #1 Finished",
                                                         "All Cancel Setup Task are done."}));
}

TEST_F(CleanUpDialogTest, WaitsForACollectedTaskThatStillRunsAndRunsItAgain)
{
    int runs = 0;
    auto task = std::make_shared<ScriptedTask>(nullptr, [&runs](ScriptedTask&) { return ++runs > 0; });
    // Started elsewhere, as the task page does: its worker waits in its first send until this thread handles it.
    testing_support::TaskWindow elsewhere;
    task->SetNotifyWindow(&elsewhere);
    ASSERT_TRUE(task->Start());
    SetCleanUpTasks({}, {task});

    CancelSetupProcessingDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(elsewhere.Count(UWM_TASK_FINISHED), 1) << "the first run reports where it was started";
    EXPECT_EQ(DialogRecords(), (std::vector<std::string>{"Starting Cancel Setup Task #0", "Cancel Setup Task #0 Finished",
                                                         "All Cancel Setup Task are done."}));
}
