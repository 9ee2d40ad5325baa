#include "CancelSetupProcessingDialog.h"

#include "app/Die.h"
#include "framework/logging/Logger.h"
#include "res/resource.h"
#include "resources/ResourceManager.h"

namespace {
constexpr UINT_PTR kWaitTimer = 1;
// How often a task that still runs elsewhere is looked at.
constexpr UINT kWaitPollMs = 50;
}  // namespace

CancelSetupProcessingDialog::CancelSetupProcessingDialog() : CDialog(IDD_CANCEL_SETUP)
{
    m_sequence.onEnded = [this](int index) { OnFinishTask(index); };
}

BOOL CancelSetupProcessingDialog::OnInitDialog()
{
    m_statusText.AttachDlgItem(IDC_CANCEL_SETUP_STATUS, GetHwnd());
    m_statusText.SetWindowText(GenericSingleton<ResourceManager>::instance().getLocalizedString(Resource::CANCEL_CLEANUP_TEXT));
    ::PostMessageW(GetHwnd(), UWM_START_CLEANUP, 0, 0);
    return TRUE;
}

void CancelSetupProcessingDialog::StartCancelSetupTasks()
{
    m_sequence.Collect([](const StepFrame& step) { return step.isOffer == 1 ? &step.cancelSetupTasks : nullptr; });
    if (m_sequence.Count() == 0) {
        LOG_INFO << "No Cancel Setup Tasks Are registred.";
        EndDialog(IDOK);
        return;
    }
    if (FatalStopRequested()) {
        LOG_INFO << "Cancel Setup Tasks not started: the setup ends on a fatal error.";
        EndDialog(IDCANCEL);
        return;
    }
    StartTask(0);
}

void CancelSetupProcessingDialog::StartTask(int index)
{
    if (index < 0 || index >= m_sequence.Count())
        return;
    LOG_INFO << "Starting Cancel Setup Task #" << index;
    RunOnceEnded(index);
}

void CancelSetupProcessingDialog::RunOnceEnded(int index)
{
    AbstractTaskBase& task = *m_sequence.Tasks()[static_cast<size_t>(index)];
    if (task.IsRunning()) {
        // Started by the task page, it still reports to that page: it runs
        // again here once it has ended. Looked at from the modal loop, so
        // that the dialog shows and handles input meanwhile; a held worker
        // would never end, and nobody else is left to resume it.
        task.ReleaseHold();
        if (m_waitingIndex < 0)
            ::SetTimer(GetHwnd(), kWaitTimer, kWaitPollMs, nullptr);
        m_waitingIndex = index;
        return;
    }
    if (m_waitingIndex >= 0) {
        ::KillTimer(GetHwnd(), kWaitTimer);
        m_waitingIndex = -1;
    }
    task.SetNotifyWindow(this);
    m_sequence.Start(index);
}

INT_PTR CancelSetupProcessingDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case UWM_START_CLEANUP:
        StartCancelSetupTasks();
        return 1;
    case WM_TIMER:
        if (wParam == kWaitTimer && m_waitingIndex >= 0)
            RunOnceEnded(m_waitingIndex);
        return 1;
    case UWM_TASK_PROGRESS:
        return 1;  // the dialog shows no progress
    case UWM_TASK_ERROR: {
        const std::unique_ptr<std::wstring> text(reinterpret_cast<std::wstring*>(lParam));
        Die(Win32xx::CString(text ? text->c_str() : L""));
        return 1;
    }
    case UWM_TASK_FINISHED:
    case UWM_TASK_ENDED:
        m_sequence.OnMessage(message, wParam);
        return 1;
    case WM_CLOSE:
        return 0;  // Alt+F4 and the close box: the dialog ends when its tasks have
    default:
        return DialogProcDefault(message, wParam, lParam);
    }
}

void CancelSetupProcessingDialog::OnFinishTask(int index)
{
    LOG_INFO << "Cancel Setup Task #" << index << " Finished";
    if (m_sequence.IsLast(index)) {
        OnDone();
        return;
    }
    StartTask(index + 1);
}

void CancelSetupProcessingDialog::OnDone()
{
    LOG_INFO << "All Cancel Setup Task are done.";
    EndDialog(IDOK);
}
