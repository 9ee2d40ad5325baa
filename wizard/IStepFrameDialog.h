// What the steps manager and the main dialog ask of a wizard page.
#pragma once

#include <functional>

#include "FrameLayout.h"
#include "framework/CString.h"

class StepFrame;
namespace Win32xx {
class CDialog;
}

class IStepFrameDialog {
public:
    virtual ~IStepFrameDialog() = default;

    // The user asked to cancel the setup while this page was shown.
    virtual void OnSetupCancel() = 0;
    // The page is being shown.
    virtual void OnStepEnter() = 0;
    // May the wizard move on from this page?
    virtual bool OnNext() = 0;
    // The page is shown and the main dialog's buttons are laid out.
    virtual void OnStepShown() = 0;
    // May the wizard go back from this page?
    virtual bool OnPrevious() = 0;

    // What the page is, for the main dialog's layout around it.
    virtual PageKind Kind() const = 0;

    // The page as a dialog, for the page container.
    virtual Win32xx::CDialog& Dialog() = 0;

    // Reports a failure of the page to the steps manager.
    std::function<void(StepFrame*, const Win32xx::CString&)> notify;
    // The record that owns this page.
    StepFrame* stepFrame = nullptr;
};
