#include "CancelSetupProcessingDialog.h"

#include "app/Die.h"
#include "framework/logging/Logger.h"
#include "res/resource.h"
#include "resources/ResourceManager.h"
#include "wizard/StepsManager.h"

namespace {
constexpr int kPleaseWaitText = 7;
}

CancelSetupProcessingDialog::CancelSetupProcessingDialog() : CDialog(IDD_CANCEL_SETUP)
{
}

BOOL CancelSetupProcessingDialog::OnInitDialog()
{
    statusText.AttachDlgItem(IDC_CANCEL_SETUP_STATUS, GetHwnd());
    statusText.SetWindowText(GenericSingleton<ResourceManager>::instance().getLocalizedString(kPleaseWaitText));
    StartCancelSetupTasks();
    return TRUE;
}

void CancelSetupProcessingDialog::StartCancelSetupTasks()
{
    tasks.clear();
    taskCount = 0;
    currentIndex = -1;
    for (StepFrame* step : GenericSingleton<StepsManager>::instance().GetSteps()) {
        if (step->isOffer != 1)
            continue;
        taskCount += static_cast<int>(step->cancelSetupTasks.size());
        for (const auto& task : step->cancelSetupTasks) {
            if (!task->IsRunning())
                task->SetNotifyWindow(this);
            tasks.push_back(task);
        }
    }
    if (tasks.empty()) {
        LOG_INFO << "No Cancel Setup Tasks Are registred.";
        if (IsWindow())
            EndDialog(IDOK);
        return;
    }
    StartTask(0);
}

void CancelSetupProcessingDialog::StartTask(int index)
{
    if (index < 0 || index >= static_cast<int>(tasks.size()))
        return;
    currentIndex = index;
    LOG_INFO << "Starting Cancel Setup Task #" << index;
    GenericSingleton<StepsManager>::instance().SetCurrentTask(tasks[static_cast<size_t>(index)]);
    tasks[static_cast<size_t>(index)]->Start();
}

INT_PTR CancelSetupProcessingDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case UWM_TASK_PROGRESS:
        return 1;  // the dialog shows no progress
    case UWM_TASK_ERROR: {
        const std::unique_ptr<std::wstring> text(reinterpret_cast<std::wstring*>(lParam));
        Die(Win32xx::CString(text ? text->c_str() : L""));
        return 1;
    }
    case UWM_TASK_FINISHED:
        OnFinishTask();
        return 1;
    default:
        return DialogProcDefault(message, wParam, lParam);
    }
}

void CancelSetupProcessingDialog::OnFinishTask()
{
    LOG_INFO << "Cancel Setup Task #" << currentIndex << " Finished";
    if (currentIndex == static_cast<int>(tasks.size()) - 1) {
        OnDone();
        return;
    }
    StartTask(currentIndex + 1);
}

void CancelSetupProcessingDialog::OnDone()
{
    LOG_INFO << "All Cancel Setup Task are done.";
    if (IsWindow())
        EndDialog(IDOK);
}
