#include "CancelSetupProcessingDialog.h"

#include "app/Die.h"
#include "framework/logging/Logger.h"
#include "res/resource.h"
#include "resources/ResourceManager.h"

CancelSetupProcessingDialog::CancelSetupProcessingDialog() : CDialog(IDD_CANCEL_SETUP)
{
    // The record keeps the name under which it has always been written.
    m_sequence.onStarting = [](int index) {
        LOG_NAMED(logging::info, "CancelSetupProcessingDialog::StartTask") << "Starting Cancel Setup Task #" << index;
    };
    m_sequence.onError = [](const std::wstring* text) { Die(Win32xx::CString(text ? text->c_str() : L"")); };
    m_sequence.onTaskEnded = [](int index) { return OnFinishTask(index), true; };
    m_sequence.onFinished = [this] { OnDone(); };
}

BOOL CancelSetupProcessingDialog::OnInitDialog()
{
    m_statusText.AttachDlgItem(IDC_CANCEL_SETUP_STATUS, GetHwnd());
    ResourceManager& resources = GenericSingleton<ResourceManager>::instance();
    m_statusText.SetWindowText(resources.getText(Resource::CANCEL_CLEANUP_TEXT));
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
    m_sequence.Start(0);
}

INT_PTR CancelSetupProcessingDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_sequence.OnMessage(message, wParam, lParam))
        return 1;
    switch (message) {
    case UWM_START_CLEANUP:
        StartCancelSetupTasks();
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
}

void CancelSetupProcessingDialog::OnDone()
{
    LOG_INFO << "All Cancel Setup Task are done.";
    EndDialog(IDOK);
}
