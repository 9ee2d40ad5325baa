// The small waiting window that runs the clean-up tasks of the offer steps,
// one after the other, when the wizard closed before the setup finished. It
// closes itself when they are done, or at once when there are none; the user
// cannot close it while they run.
#pragma once

#include "framework/Dialog.h"
#include "wizard/StepTaskSequence.h"

class CancelSetupProcessingDialog : public Win32xx::CDialog {
public:
    CancelSetupProcessingDialog();

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Escape does not end it: a running task reports to this dialog.
    void OnCancel() override {}
    BOOL OnInitDialog() override;

private:
    void StartCancelSetupTasks();
    void StartTask(int index);
    void OnFinishTask(int index);
    void OnDone();

    Win32xx::CWnd m_statusText;
    StepTaskSequence m_sequence{*this};
};
