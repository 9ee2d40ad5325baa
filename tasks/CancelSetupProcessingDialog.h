// The small waiting window that runs the clean-up tasks of the offer steps,
// one after the other, when the wizard closed before the setup finished. It
// closes itself when they are done, or at once when there are none.
#pragma once

#include <memory>
#include <vector>

#include "AbstractTaskBase.h"
#include "framework/Dialog.h"

class CancelSetupProcessingDialog : public Win32xx::CDialog {
public:
    CancelSetupProcessingDialog();

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

private:
    void StartCancelSetupTasks();
    void StartTask(int index);
    void OnFinishTask();
    void OnDone();

    Win32xx::CWnd statusText;
    int taskCount = 0;
    int currentIndex = -1;
    std::vector<std::shared_ptr<AbstractTaskBase>> tasks;
};
