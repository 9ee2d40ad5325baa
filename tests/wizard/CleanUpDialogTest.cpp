// The clean-up dialog runs the offer steps' clean-up tasks in page order; the database comes via the real bootstrap.

#include <algorithm>
#include <atomic>
#include <thread>

#include "LoopbackHttpServer.h"
#include "ArchiveSigner.h"
#include "Automation.h"
#include "TaskTestSupport.h"
#include "support/FatalBoxWatch.h"
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
        LogPath();  // the logger keeps its file open to the end: outside the folder, which then goes
        {
            TestDatabase database(folder / L"resources.db");
            database.AddLanguage("0", "Neutral", "", "", 0);
            database.AddText("0", 7, "Please wait for $(^Name)");
            database.AddText("0", 58, "Kestrafin");
        }
        using namespace testing_support;
        LoopbackHttpServer server(ArchivePort());
        server.Serve(ArchivePath(), LoopbackHttpServer::Body(BuildSignedZip(
                                        {ZipItem::File("resources.db", ReadFileBytes(folder / L"resources.db"))})));
        SetTempVariables(folder.Path() + L"\\");  // the bootstrap's GUID folders go with the test's folder
        GenericSingleton<ResourceManager>::instance();  // the bootstrap runs here

        StepsManager& steps = GenericSingleton<StepsManager>::instance();
        steps.AddStep<TestPage>(L"Welcome");
        s_first = steps.AddStep<TestOfferPage>(L"FirstOffer");
        s_second = steps.AddStep<TestOfferPage>(L"SecondOffer");
        s_second->active = 0;  // a skipped offer cleans up as well
        s_tasks = steps.AddStep<TestPage>(L"Tasks");
    }

    ~CleanUpDialogTest() override { SetCleanUpTasks({}, {}); }

    static const std::wstring& LogPath() { return testing_support::TestLogPath(); }
    using Tasks = std::vector<std::shared_ptr<AbstractTaskBase>>;
    static void SetCleanUpTasks(Tasks first, Tasks second)
    {
        s_first->cancelSetupTasks = std::move(first);
        s_second->cancelSetupTasks = std::move(second);
    }
    std::vector<std::string> DialogRecords() const
    {
        std::vector<std::string> records;
        const auto log = testing_support::ReadLog(LogPath());
        for (size_t i = m_logStart; i < log.size(); ++i)
            if (log[i].function.rfind("CancelSetupProcessingDialog::", 0) == 0)
                records.push_back(log[i].message);
        return records;
    }

    // Presses `key` (with Alt held when `alt`) on the dialog's focused window as the keyboard does; whether the
    // user-interface thread handled it, and what it posted, in time, and the dialog is still shown.
    bool Press(HWND dialog, UINT key, bool alt = false) const
    {
        alt ? winauto::PressAltKey(dialog, key) : winauto::PressKey(dialog, key);
        return winauto::WaitForPostedMessages(m_marker.get(), 10000) && ::IsWindowVisible(dialog);
    }

    static inline const testing_support::TempFolder* s_folder = nullptr;
    static inline StepFrame *s_first = nullptr, *s_second = nullptr, *s_tasks = nullptr;
    const size_t m_logStart = testing_support::ReadLog(LogPath()).size();
    // A hidden bar of this thread: a marker through it is handled after all that was posted to the thread before it.
    const std::unique_ptr<HWND__, decltype(&::DestroyWindow)> m_marker{::CreateWindowW(L"msctls_progress32", nullptr,
        0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr), &::DestroyWindow};
};

}  // namespace

// Escape, Alt+F4, Space and Tab while the first task runs do not end the dialog (no close box; Enter: the next test).
TEST_F(CleanUpDialogTest, RunsTheOfferStepsCleanUpTasksInPageOrderAndEndsOnlyAfterThem)
{
    const DWORD uiThread = ::GetCurrentThreadId();
    const std::wstring second = *s_folder / L"second.txt";
    bool secondRanFirst = false;
    size_t keysHandled = 0;
    auto closing = std::make_shared<ScriptedTask>(nullptr, [&, uiThread](ScriptedTask&) {
        secondRanFirst = testing_support::FileExists(second);
        const HWND dialog = CleanUpDialogOf(uiThread);
        const UINT keys[] = {VK_ESCAPE, VK_F4, VK_SPACE, VK_TAB};  // F4 with Alt
        while (keysHandled < 4 && Press(dialog, keys[keysHandled], keys[keysHandled] == VK_F4))
            ++keysHandled;
        return TRUE;
    });
    SetCleanUpTasks({closing}, {CleanUpTask(second)});
    s_tasks->cancelSetupTasks = {CleanUpTask(*s_folder / L"not-an-offer.txt")};

    CancelSetupProcessingDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(keysHandled, 4u) << "Escape, Alt+F4, Space, Tab: this one not handled, or the dialog had ended";
    EXPECT_TRUE(testing_support::FileExists(second) && !secondRanFirst);
    EXPECT_FALSE(testing_support::FileExists(*s_folder / L"not-an-offer.txt")) << "only offer steps clean up";
    EXPECT_EQ(DialogRecords(), (std::vector<std::string>{"Starting Cancel Setup Task #0", "Cancel Setup Task #0 Finished",
                                                         "Starting Cancel Setup Task #1", "Cancel Setup Task #1 Finished",
                                                         "All Cancel Setup Task are done."}));
}

// Meanwhile the dialog is on screen and handles input: Enter, which must not end it.
TEST_F(CleanUpDialogTest, WaitsForACollectedTaskThatStillRunsAndRunsItAgain)
{
    std::atomic<int> runs{0};
    const Win32xx::CScopedHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto task = std::make_shared<ScriptedTask>(nullptr, [&](ScriptedTask&) {
        if (++runs == 1)
            ::WaitForSingleObject(release.Get(), INFINITE);
        return TRUE;
    });
    // Started elsewhere, as the task page does: it reports there.
    testing_support::TaskWindow elsewhere;
    task->SetNotifyWindow(&elsewhere);
    ASSERT_TRUE(task->Start());
    // Held once it runs (as the cancel question holds it): its report waits until the dialog that waits lets it go.
    ASSERT_TRUE(testing_support::PumpUntil([&] { return runs == 1; }, 10000));
    task->Suspend();
    SetCleanUpTasks({}, {task});

    bool enterHandled = false;
    wchar_t status[64] = {};
    std::thread user([&, uiThread = ::GetCurrentThreadId()] {
        HWND dialog = nullptr;
        for (int tries = 0; tries < 500 && !(dialog && ::IsWindowVisible(dialog)); ++tries, ::Sleep(20))
            dialog = CleanUpDialogOf(uiThread);
        ::GetDlgItemTextW(dialog, 1057, status, 64);
        enterHandled = dialog && Press(dialog, VK_RETURN);
        ::SetEvent(release.Get());
    });
    CancelSetupProcessingDialog dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    user.join();
    EXPECT_TRUE(enterHandled) << "hidden, or deaf to input, while it waited";
    EXPECT_STREQ(status, L"Please wait for Kestrafin");
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(elsewhere.Count(UWM_TASK_FINISHED), 1) << "the first run reports where it was started";
    EXPECT_EQ(DialogRecords(), (std::vector<std::string>{"Starting Cancel Setup Task #0", "Cancel Setup Task #0 Finished",
                                                         "All Cancel Setup Task are done."}));
}

// Runs last: a fatal stop lasts for the rest of the process. Die leaves the quit request pending, which ends the
// dialog at once: a task it started would be terminated wherever it was, so none starts, in this dialog or a later one.
TEST_F(CleanUpDialogTest, FailingTaskEndsTheRunWithItsOwnTextAndNoTaskStartsAfterIt)
{
    const wchar_t text[] = L"Could not remove the offer";
    auto failing = std::make_shared<ScriptedTask>(nullptr, [&](ScriptedTask& self) { return self.OnError(text), FALSE; });
    auto later = std::make_shared<ScriptedTask>(nullptr, [](ScriptedTask&) { return TRUE; });
    SetCleanUpTasks({failing}, {later});
    {
        testing_support::FatalBoxWatch box;
        CancelSetupProcessingDialog dialog;
        dialog.DoModal(nullptr);
        EXPECT_EQ(box.Text(), text);
    }
    ::PostQuitMessage(-1);
    CancelSetupProcessingDialog dialog;
    dialog.DoModal(nullptr);
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was taken";
    EXPECT_EQ(later->GetThreadId(), 0xFFFFFFFFu) << "a clean-up task started after the fatal stop";
    EXPECT_EQ(DialogRecords(), (std::vector<std::string>{"Starting Cancel Setup Task #0",
                                                         "Cancel Setup Tasks not started: the setup ends on a fatal error."}));
    const auto log = testing_support::ReadLog(LogPath());
    EXPECT_EQ(std::count_if(log.begin() + m_logStart, log.end(), [](const auto& record) {
        return record.function == "Die" && record.message == "Could not remove the offer exiting.";
    }), 1);
}
