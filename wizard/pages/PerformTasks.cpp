#include "PerformTasks.h"

#include "InstallerDigest.h"
#include "res/resource.h"
#include "resources/ResourceManager.h"
#include "tasks/DownloadTask.h"
#include "tasks/ExecProgramTask.h"
#include "wizard/StepsManager.h"

namespace {
constexpr int kInstallerAddressId = 56;
constexpr int kInstallerParametersId = 57;
constexpr int kInstallerDigestId = 300;
constexpr int kStatusTextId = 3;
constexpr int kProgressPerTask = 100;
// Posted by the page to itself when the current task has finished.
constexpr UINT UWM_TASK_ENDED = WM_USER + 5;
}  // namespace

PerformTasks::PerformTasks(StepFrame* step) : StepFrameDialogBase(step, IDD_PERFORM_TASKS_PAGE)
{
    ResourceManager& resources = GenericSingleton<ResourceManager>::instance();
    const std::wstring code = resources.currentLanguage().code;
    const Win32xx::CString address(resources.getString(code, kInstallerAddressId).c_str());
    const Win32xx::CString parameters = resources.getLocalizedString(kInstallerParametersId);

    auto download = std::make_shared<DownloadTask>(address);
    auto launch = std::make_shared<ExecProgramTask>(download);
    launch->SetParameters(parameters);
    launch->SetExpectedDigest(InstallerDigest(resources, kInstallerDigestId));
    step->tasks.push_back(download);
    step->tasks.push_back(launch);
    step->isOffer = 0;
    step->active = 1;
    step->isTaskStep = 1;
}

BOOL PerformTasks::OnInitPage()
{
    progressBar.AttachDlgItem(IDC_TASKS_PROGRESS, GetHwnd());
    statusText.AttachDlgItem(IDC_TASKS_STATUS, GetHwnd());
    ResourceManager& resources = GenericSingleton<ResourceManager>::instance();
    statusText.SetWindowText(resources.getString(resources.currentLanguage().code, kStatusTextId).c_str());
    return TRUE;
}

void PerformTasks::OnStepEnter()
{
    tasks.clear();
    taskCount = 0;
    currentIndex = -1;
    for (StepFrame* step : GenericSingleton<StepsManager>::instance().GetSteps()) {
        // A skipped offer contributes its clean-up tasks instead.
        const auto& contributed = (!step->isOffer || step->active) ? step->tasks : step->cancelSetupTasks;
        taskCount += static_cast<int>(contributed.size());
        for (const auto& task : contributed) {
            if (!task->IsRunning())
                task->SetNotifyWindow(this);
            tasks.push_back(task);
        }
    }
    progressBar.SetRange(0, taskCount * kProgressPerTask);
    progressBar.SetPos(0);
    StartTask(0);
}

void PerformTasks::StartTask(int index)
{
    if (index < 0 || index >= static_cast<int>(tasks.size()))
        return;
    currentIndex = index;
    GenericSingleton<StepsManager>::instance().SetCurrentTask(tasks[static_cast<size_t>(index)]);
    tasks[static_cast<size_t>(index)]->Start();
}

BOOL PerformTasks::OnPageMessage(UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case UWM_TASK_PROGRESS:
        progressBar.SetPos(currentIndex * kProgressPerTask + static_cast<int>(lParam));
        return TRUE;
    case UWM_TASK_ERROR:
        OnTaskError(reinterpret_cast<std::wstring*>(lParam));
        return TRUE;
    case UWM_TASK_FINISHED:
        OnTaskFinished();
        return TRUE;
    case UWM_TASK_ENDED:
        OnTaskEnded();
        return TRUE;
    default:
        return FALSE;
    }
}

void PerformTasks::OnTaskError(std::wstring* text)
{
    const std::unique_ptr<std::wstring> owned(text);
    // The sequence stops here: no further task is started.
    if (notify && owned)
        notify(stepFrame, Win32xx::CString(owned->c_str()));
}

void PerformTasks::OnTaskFinished()
{
    // The finished task's worker is still inside this message: what follows
    // it waits until that worker has ended, so that two workers never live
    // at once and none lives on under the finish page (each thread costs
    // about 1 MB of working set under Wine, whatever its stack size).
    ::PostMessageW(GetHwnd(), UWM_TASK_ENDED, 0, 0);
}

void PerformTasks::OnTaskEnded()
{
    if (currentIndex < 0 || currentIndex >= static_cast<int>(tasks.size()))
        return;
    // The worker has sent its last message; it only returns now.
    tasks[static_cast<size_t>(currentIndex)]->WaitUntilEnded();
    if (currentIndex == static_cast<int>(tasks.size()) - 1) {
        StepsManager& steps = GenericSingleton<StepsManager>::instance();
        if (steps.finishedHandler)
            steps.finishedHandler();
        return;
    }
    StartTask(currentIndex + 1);
}
