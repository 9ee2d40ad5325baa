#include "ShownWindow.h"

#include <iterator>

#include "BenchSupport.h"

namespace bench {

namespace {

struct ShownWindowQuery {
    const std::wstring* caption;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchShownWindow(HWND window, LPARAM param)
{
    auto* query = reinterpret_cast<ShownWindowQuery*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId || !::IsWindowVisible(window) || KeptText(window) != *query->caption)
        return TRUE;
    query->found = window;
    return FALSE;
}

}  // namespace

std::wstring KeptText(HWND window)
{
    // No WM_GETTEXT: for a window of another process GetWindowTextW reads the
    // text that the system keeps, whatever the window's thread is doing.
    wchar_t text[256] = L"";
    ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

HWND FindShownWindow(const std::wstring& caption, DWORD processId)
{
    ShownWindowQuery query{&caption, processId, nullptr};
    ::EnumWindows(MatchShownWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitForShownWindow(const std::wstring& caption, DWORD processId, DWORD timeoutMs, DWORD pollMs)
{
    const double deadline = Now() + timeoutMs / 1000.0;
    for (;;) {
        if (const HWND found = FindShownWindow(caption, processId))
            return found;
        if (Now() > deadline)
            return nullptr;
        ::Sleep(pollMs);
    }
}

}  // namespace bench
