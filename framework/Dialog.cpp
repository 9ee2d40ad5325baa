#include "Dialog.h"

#include "Exception.h"
#include "ProcedureBoundary.h"

namespace Win32xx {

CDialog::~CDialog()
{
    if (!IsWindow())
        return;
    if (m_modal) {
        ::EndDialog(GetHwnd(), 0);
    } else {
        // The object is half gone: its window must not reach it any more.
        ::SetWindowLongPtrW(GetHwnd(), DWLP_USER, 0);
        ::DestroyWindow(GetHwnd());
    }
    SetHwnd(nullptr);
}

INT_PTR CDialog::DoModal(HWND owner)
{
    m_modal = true;
    INT_PTR result;
    {
        const ModalScope scope(*this);
        result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                                   StaticDialogProc, reinterpret_cast<LPARAM>(this));
    }
    m_modal = false;
    SetHwnd(nullptr);
    RethrowHeldException();
    if (result == -1)
        throw CResourceException(L"Failed to create dialog", ::GetLastError());
    return result;
}

HWND CDialog::Create(HWND parent)
{
    m_modal = false;
    const HWND hwnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                                           StaticDialogProc, reinterpret_cast<LPARAM>(this));
    RethrowHeldException();
    if (!hwnd)
        throw CResourceException(L"Failed to create dialog", ::GetLastError());
    return hwnd;
}

void CDialog::EndDialog(INT_PTR result)
{
    if (!IsWindow())
        return;
    if (m_modal)
        ::EndDialog(GetHwnd(), result);
    else
        Destroy();
}

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DialogProcDefault(message, wParam, lParam);
}

INT_PTR CDialog::DialogProcDefault(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return TRUE;
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY:
        // Controls handle their own notifications.
        if (CWnd* control = FromHandle(reinterpret_cast<NMHDR*>(lParam)->hwndFrom)) {
            ::SetWindowLongPtrW(GetHwnd(), DWLP_MSGRESULT, control->OnNotifyReflect(wParam, lParam));
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        // The close box ends the dialog with 0, without going through OnCancel.
        EndDialog(0);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CDialog::OnCommand(WPARAM, LPARAM)
{
    return FALSE;
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->SetHwnd(hwnd);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        // Unwinding has begun: the dialog is not set up, and a modal one ends.
        if (IsExceptionHeld()) {
            if (dialog->m_modal)
                ::EndDialog(hwnd, IDABORT);
            return FALSE;
        }
    }
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!dialog)
        return FALSE;
    const INT_PTR result =
        CallAtBoundary<INT_PTR>(FALSE, [&] { return dialog->DialogProc(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        dialog->SetHwnd(nullptr);
    }
    return result;
}

}  // namespace Win32xx
