// The base of every wizard page: a child dialog painted on white, which knows
// the screen's DPI and tells itself once when it is first shown.
#pragma once

#include "IStepFrameDialog.h"
#include "framework/Dialog.h"
#include "framework/GdiObject.h"
#include "res/Messages.h"

class StepFrameDialogBase : public Win32xx::CDialog, public IStepFrameDialog {
public:
    // Raises CResourceException "CreateSolidBrush failed" when the brush
    // cannot be made.
    StepFrameDialogBase(StepFrame* owner, WORD dialogTemplateId);

    void OnSetupCancel() override {}
    void OnStepEnter() override {}
    bool OnNext() override { return true; }
    void OnStepShown() override {}
    bool OnPrevious() override { return true; }
    Win32xx::CDialog& Dialog() override { return *this; }

    // The screen's resolution in percent of 96 DPI.
    int DpiPercent() const noexcept { return dpiPercent; }

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A page is closed by the wizard only, never by Escape.
    void OnCancel() override {}
    BOOL OnInitDialog() override { return OnInitPage(); }

    virtual void OnFirstShown() {}
    // Nonzero when the page handled the message.
    virtual BOOL OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnInitPage() { return TRUE; }

private:
    // Established names without the m_ prefix; the flag is a 32-bit int (0 or 1).
    Win32xx::CBrush backgroundBrush;
    int dpiPercent;
    int firstShownPosted = 0;
};

// Gives a control a bold variant of its font. Raises CResourceException
// "CreateFont failed" when the font cannot be made. The font lives as long
// as the program (the control keeps using it).
void MakeFontBold(HWND control);
