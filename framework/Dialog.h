// Win32xx::CDialog: a dialog created from a template of the program's own
// resources, run modally. Messages go to the virtual DialogProc, whose default
// (DialogProcDefault) dispatches to the OnXxx handlers.
#pragma once

#include "Wnd.h"

namespace Win32xx {

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId) : m_templateId(templateId) {}
    ~CDialog() override;

    // Runs the dialog modally and returns the result given to EndDialog.
    // Raises CResourceException when the template cannot be used, and again
    // an exception that a procedure held while the dialog ran
    // (ProcedureBoundary.h).
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog modelessly (for example as a child page). Raises
    // CResourceException when the template cannot be used.
    HWND Create(HWND parent);
    void EndDialog(INT_PTR result);

    UINT GetTemplateId() const noexcept { return m_templateId; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(GetHwnd(), id); }

protected:
    // Returns nonzero when the message was handled (or the value that a
    // dialog procedure returns for it).
    virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR DialogProcDefault(UINT message, WPARAM wParam, LPARAM lParam);

    virtual BOOL OnInitDialog() { return TRUE; }
    // Returns TRUE when the command was handled; IDOK and IDCANCEL that are
    // not handled go to OnOK and OnCancel.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    bool m_modal = false;
};

}  // namespace Win32xx
