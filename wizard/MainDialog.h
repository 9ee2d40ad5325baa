// The wizard's frame: banner, strip, the page area in which the steps manager
// shows one page at a time, and the row of buttons, laid out anew for each
// step. It turns clicks and close requests into steps-manager operations,
// a step error into a fatal stop, and records whether the setup finished.
#pragma once

#include <vector>

#include "framework/Dialog.h"
#include "framework/GdiObject.h"
#include "wizard/controls/CJPEGStatic.h"

class StepFrame;

struct FrameLayout;

class MainDialog : public Win32xx::CDialog {
public:
    // `templateId`: the frame (108), or its mirrored variant (151).
    explicit MainDialog(UINT templateId);
    ~MainDialog() override;

    // True once the last setup task has finished.
    bool IsSetupFinished() const noexcept { return m_setupFinished; }
    void OnSetupFinished();

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override { ConfirmCancel(); }
    BOOL OnInitDialog() override;

private:
    void LoadTexts();
    void OnStepChanged(StepFrame* step);
    // Shows exactly the buttons given (by id); hides the others.
    void ShowButtons(const std::vector<int>& visible);
    void ApplyLayout(const FrameLayout& layout);
    void MoveNextToCancel();
    // Whether the dialog may close; else the setup is suspended and the
    // cancel question shown (outside the task step).
    bool ConfirmCancel();
    void SetMessageMode(int mode);

    Win32xx::CWnd m_skipButton, m_skipAllButton, m_nextButton, m_closeButton, m_previousButton, m_cancelButton, m_taskCancelButton;
    CJPEGStatic m_banner;
    CJPEGStatic m_strip;
    Win32xx::CWnd m_headerTitle, m_headerText, m_bottomRule;
    bool m_setupFinished = false;
    Win32xx::CBrush m_backgroundBrush{RGB(255, 255, 255)};
    WINDOWPLACEMENT m_nextPlacement{};
};
