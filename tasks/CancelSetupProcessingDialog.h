// The small waiting window that runs the clean-up tasks of the offer steps,
// one after the other, when the wizard closed before the setup finished. It
// closes itself when they are done, or at once when there are none; the user
// cannot close it while they run. After a fatal stop it starts none: the
// pending quit request would end the dialog, and with it a task just begun.
#pragma once

#include "framework/Dialog.h"
#include "wizard/StepTaskSequence.h"

class CancelSetupProcessingDialog : public Win32xx::CDialog {
public:
    CancelSetupProcessingDialog();

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Neither Enter (IDOK: the dialog has no button) nor Escape ends it: a
    // running task reports to this dialog.
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnInitDialog() override;

private:
    void StartCancelSetupTasks();
    static void OnFinishTask(int index);
    void OnDone();

    Win32xx::CWnd m_statusText;
    StepTaskSequence m_sequence{*this};
};
