// Win32xx::CWnd: owns one window. The window procedure is bound to the object
// when the window is created and unbound when it is destroyed; each message
// goes to the virtual WndProc.
#pragma once

#include <windows.h>

#include "CString.h"

namespace Win32xx {

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetHwnd() const noexcept { return m_hwnd; }
    operator HWND() const noexcept { return m_hwnd; }
    // True while the object has a window that still exists.
    bool IsWindow() const noexcept { return m_hwnd != nullptr && ::IsWindow(m_hwnd); }

    // Creates a top-level or child window of the framework's default class.
    // Raises CWinException when the platform refuses.
    HWND Create(HWND parent = nullptr);
    // Binds this object to the existing control `id` of `dialog`: its
    // messages then come to WndProc first. Raises CWinException when the
    // dialog has no such control.
    void AttachDlgItem(int id, HWND dialog);
    void Destroy();

    // The object bound to a window by Create or AttachDlgItem, or null.
    static CWnd* FromHandle(HWND hwnd);

    void SetWindowText(const CString& text) const { ::SetWindowTextW(m_hwnd, text.c_str()); }
    void ShowWindow(int command = SW_SHOWNORMAL) const { ::ShowWindow(m_hwnd, command); }
    void EnableWindow(bool enable = true) const { ::EnableWindow(m_hwnd, enable); }

    // A notification (WM_NOTIFY) that the parent dialog passed back to the
    // control that sent it. Returns the notification's result.
    virtual LRESULT OnNotifyReflect(WPARAM wParam, LPARAM lParam);

protected:
    // Lets a derived class change the creation parameters.
    virtual void PreCreate(CREATESTRUCTW& cs);
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    // What the window would do with the message without this object.
    LRESULT WndProcDefault(UINT message, WPARAM wParam, LPARAM lParam);

    void SetHwnd(HWND hwnd) noexcept { m_hwnd = hwnd; }

private:
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void RegisterDefaultClass();
    void Bind(HWND hwnd);
    void Unbind();

    HWND m_hwnd = nullptr;
    WNDPROC m_previousProc = nullptr;  // set while a control is attached
};

}  // namespace Win32xx
