#include "Wnd.h"

#include "Exception.h"
#include "ProcedureBoundary.h"

namespace Win32xx {

namespace {
const wchar_t kDefaultClassName[] = L"Win32xx Window";
// The window property that points from a window to its object.
const wchar_t kObjectProperty[] = L"Win32xx.CWnd";
}  // namespace

CWnd::~CWnd()
{
    Destroy();
}

void CWnd::RegisterDefaultClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), kDefaultClassName, &wc))
        return;
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kDefaultClassName;
    if (!::RegisterClassExW(&wc))
        throw CWinException(L"Failed to register the window class");
}

HWND CWnd::Create(HWND parent)
{
    RegisterDefaultClass();
    CREATESTRUCTW cs{};
    cs.lpszClass = kDefaultClassName;
    cs.hwndParent = parent;
    cs.hInstance = ::GetModuleHandleW(nullptr);
    cs.style = (parent ? WS_CHILD : WS_OVERLAPPEDWINDOW) | WS_VISIBLE;
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    PreCreate(cs);

    const HWND hwnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                                        cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, this);
    RethrowHeldException();
    if (!hwnd)
        throw CWinException(L"CWnd::Create  Failed to create window");
    return hwnd;
}

void CWnd::AttachDlgItem(int id, HWND dialog)
{
    const HWND control = ::GetDlgItem(dialog, id);
    if (!control)
        throw CWinException(L"CWnd::AttachDlgItem  Failed to find the dialog item");
    Bind(control);
    m_previousProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWindowProc)));
}

void CWnd::Destroy()
{
    if (IsWindow()) {
        if (m_previousProc) {
            // An attached control belongs to its dialog: give it back instead.
            Unbind();
            return;
        }
        ::DestroyWindow(m_hwnd);
    }
    m_hwnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    return hwnd ? static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty)) : nullptr;
}

void CWnd::Bind(HWND hwnd)
{
    m_hwnd = hwnd;
    ::SetPropW(hwnd, kObjectProperty, this);
}

void CWnd::Unbind()
{
    if (m_previousProc) {
        ::SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        m_previousProc = nullptr;
    }
    ::RemovePropW(m_hwnd, kObjectProperty);
    m_hwnd = nullptr;
}

LRESULT CWnd::OnNotifyReflect(WPARAM, LPARAM)
{
    return 0;
}

void CWnd::PreCreate(CREATESTRUCTW&) {}

LRESULT CWnd::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return WndProcDefault(message, wParam, lParam);
}

LRESULT CWnd::WndProcDefault(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_previousProc)
        return ::CallWindowProcW(m_previousProc, m_hwnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams)->Bind(hwnd);
    CWnd* window = FromHandle(hwnd);
    if (!window)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result =
        CallAtBoundary<LRESULT>(0, [&] { return window->WndProc(message, wParam, lParam); });
    if (message == WM_NCDESTROY && window->m_hwnd == hwnd)
        window->Unbind();
    return result;
}

}  // namespace Win32xx
