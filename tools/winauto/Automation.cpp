#include "Automation.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace winauto {

namespace {

// Replies to cross-process queries: a hung program must not hang its tester.
constexpr UINT kReplyTimeoutMs = 5000;

// The static text control of a message box.
constexpr int kMessageBoxTextId = 0xFFFF;

struct VisibleWindowsRequest {
    DWORD processId;  // 0: any process
    std::vector<HWND> windows;
};

BOOL CALLBACK AddVisibleWindow(HWND window, LPARAM param)
{
    auto* request = reinterpret_cast<VisibleWindowsRequest*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (::IsWindowVisible(window) && (request->processId == 0 || owner == request->processId))
        request->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleWindows(DWORD processId)
{
    VisibleWindowsRequest request{processId, {}};
    ::EnumWindows(AddVisibleWindow, reinterpret_cast<LPARAM>(&request));
    return request.windows;
}

HWND FindVisibleWindow(const std::wstring& caption, DWORD processId)
{
    for (const HWND window : VisibleWindows(processId))
        if (WindowText(window) == caption)
            return window;
    return nullptr;
}

LRESULT Query(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

}  // namespace

std::wstring VisibleCaptions(DWORD processId)
{
    std::wstring captions;
    for (const HWND window : VisibleWindows(processId))
        captions += L" \"" + WindowText(window) + L"\"";
    return captions;
}

HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs, DWORD processId)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindVisibleWindow(caption, processId)) != nullptr; }, timeoutMs);
    return found;
}

bool WaitForWindowGone(const std::wstring& caption, DWORD timeoutMs, DWORD processId)
{
    return WaitUntil([&] { return FindVisibleWindow(caption, processId) == nullptr; }, timeoutMs);
}

std::wstring WindowText(HWND window)
{
    const auto length = static_cast<size_t>(Query(window, WM_GETTEXTLENGTH));
    std::vector<wchar_t> buffer(length + 1);
    const auto copied =
        static_cast<size_t>(Query(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    return std::wstring(buffer.data(), std::min(copied, length));
}

std::wstring ControlText(HWND dialog, int controlId)
{
    return WindowText(::GetDlgItem(dialog, controlId));
}

bool IsControlVisible(HWND dialog, int controlId)
{
    const HWND control = ::GetDlgItem(dialog, controlId);
    return control && (::GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE);
}

bool IsControlEnabled(HWND dialog, int controlId)
{
    const HWND control = ::GetDlgItem(dialog, controlId);
    return control && ::IsWindowEnabled(control);
}

void Click(HWND dialog, int controlId)
{
    ::SendNotifyMessageW(::GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

namespace {
HWND FocusedWindow(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void PostKeystroke(HWND dialog, UINT down, UINT up, UINT virtualKey, LPARAM flags)
{
    const HWND focused = FocusedWindow(dialog);
    const HWND target = focused ? focused : dialog;
    ::PostMessageW(target, down, virtualKey, flags | 1);
    ::PostMessageW(target, up, virtualKey, flags | static_cast<LPARAM>(0xC0000001u));
}
}  // namespace

void PressKey(HWND dialog, UINT virtualKey)
{
    PostKeystroke(dialog, WM_KEYDOWN, WM_KEYUP, virtualKey, 0);
}

void PressAltKey(HWND dialog, UINT virtualKey)
{
    PostKeystroke(dialog, WM_SYSKEYDOWN, WM_SYSKEYUP, virtualKey, static_cast<LPARAM>(KF_ALTDOWN) << 16);
}

ShiftHeld::ShiftHeld(HWND dialog)
    : m_thread(::GetWindowThreadProcessId(dialog, nullptr)),
      m_attached(::AttachThreadInput(::GetCurrentThreadId(), m_thread, TRUE))
{
    Set(0x80);
}

ShiftHeld::~ShiftHeld()
{
    Set(0);
    if (m_attached)
        ::AttachThreadInput(::GetCurrentThreadId(), m_thread, FALSE);
}

void ShiftHeld::Set(BYTE state)
{
    // Attached, the two threads share one keyboard state.
    BYTE keys[256]{};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = state;
    ::SetKeyboardState(keys);
}

bool WaitForPostedMessages(HWND control, DWORD timeoutMs, int depth)
{
    // A value that the control keeps and only the test sets: a bar's step, a
    // list's first item's data.
    wchar_t className[32] = {};
    ::GetClassNameW(control, className, 32);
    const bool list = std::wstring(className) == L"ComboBox";
    const UINT set = list ? CB_SETITEMDATA : PBM_SETSTEP, get = list ? CB_GETITEMDATA : PBM_GETSTEP;
    // Posted messages are handled in order, sent queries ahead of them.
    for (int round = 0; round < depth; ++round) {
        const LRESULT marker = Query(control, get) == 7 ? 9 : 7;
        const auto setMarker = [&] {
            return list ? ::PostMessageW(control, set, 0, marker) : ::PostMessageW(control, set, marker, 0);
        };
        if (!setMarker() || !WaitUntil([&] { return Query(control, get) == marker; }, timeoutMs, 1))
            return false;
    }
    return true;
}

int FocusedControl(HWND window)
{
    const HWND focused = FocusedWindow(window);
    return focused ? ::GetDlgCtrlID(focused) : 0;
}

void Close(HWND window)
{
    ::PostMessageW(window, WM_CLOSE, 0, 0);
}

void ClickCloseBox(HWND window)
{
    ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

int ProgressPosition(HWND dialog, int controlId)
{
    return static_cast<int>(Query(::GetDlgItem(dialog, controlId), PBM_GETPOS));
}

int ProgressMaximum(HWND dialog, int controlId)
{
    return static_cast<int>(Query(::GetDlgItem(dialog, controlId), PBM_GETRANGE, FALSE, 0));
}

int ComboSelection(HWND dialog, int controlId)
{
    return static_cast<int>(Query(::GetDlgItem(dialog, controlId), CB_GETCURSEL));
}

int ComboCount(HWND dialog, int controlId)
{
    return static_cast<int>(Query(::GetDlgItem(dialog, controlId), CB_GETCOUNT));
}

std::wstring ComboItemText(HWND dialog, int controlId, int index)
{
    const HWND combo = ::GetDlgItem(dialog, controlId);
    const LRESULT length = Query(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0)
        return L"";
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    Query(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return std::wstring(buffer.data());
}

namespace {
struct DescendantRequest {
    int id;
    HWND found;
};

BOOL CALLBACK MatchDescendant(HWND window, LPARAM param)
{
    auto* request = reinterpret_cast<DescendantRequest*>(param);
    if (::GetDlgCtrlID(window) != request->id)
        return TRUE;
    request->found = window;
    return FALSE;
}
}  // namespace

HWND FindDescendant(HWND window, int controlId)
{
    DescendantRequest request{controlId, nullptr};
    ::EnumChildWindows(window, MatchDescendant, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

RECT ControlRect(HWND dialog, int controlId)
{
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(dialog, controlId), &rect);
    return rect;
}

void SelectComboItem(HWND dialog, int controlId, int index)
{
    const HWND combo = ::GetDlgItem(dialog, controlId);
    Query(combo, CB_SETCURSEL, static_cast<WPARAM>(index));
    ::SendNotifyMessageW(dialog, WM_COMMAND, MAKEWPARAM(controlId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::wstring MessageBoxText(HWND box)
{
    return ControlText(box, kMessageBoxTextId);
}

LONG_PTR ExtendedStyle(HWND window)
{
    return ::GetWindowLongPtrW(window, GWL_EXSTYLE);
}

}  // namespace winauto
