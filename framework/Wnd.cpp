#include "Wnd.h"

#include <vector>

#include "Exception.h"

namespace Win32xx {

namespace {
const wchar_t kDefaultClassName[] = L"Win32xx Window";
}

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
    if (!hwnd)
        throw CWinException(L"CWnd::Create  Failed to create window");
    return hwnd;
}

void CWnd::Destroy()
{
    if (IsWindow())
        ::DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
}

CString CWnd::GetWindowText() const
{
    const int length = ::GetWindowTextLengthW(m_hwnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = ::GetWindowTextW(m_hwnd, buffer.data(), length + 1);
    return CString(buffer.data(), static_cast<size_t>(copied));
}

void CWnd::PreCreate(CREATESTRUCTW&) {}

LRESULT CWnd::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* window = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->m_hwnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<CWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = window->WndProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        window->m_hwnd = nullptr;
    }
    return result;
}

}  // namespace Win32xx
