// Drives another process's windows as a user would: finds top-level windows by
// caption and controls by id, reads their texts and states, clicks buttons,
// presses keys and closes windows. Used by the GUI tests and by the demo.
#pragma once

#include <windows.h>

#include <string>

namespace winauto {

// The captions of the visible top-level windows in z-order, each quoted and
// after a space (of the given process, when processId is not 0): what a
// failed wait saw instead.
std::wstring VisibleCaptions(DWORD processId = 0);

// The first visible top-level window whose caption is exactly `caption` (of
// the given process, when processId is not 0), waiting up to timeoutMs for it
// to appear. Null when none appeared.
HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs, DWORD processId = 0);

// Waits until no visible top-level window with that caption exists; false
// when one is still there after timeoutMs.
bool WaitForWindowGone(const std::wstring& caption, DWORD timeoutMs, DWORD processId = 0);

// The caption of a top-level window, or the text of a control.
std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int controlId);

bool IsControlVisible(HWND dialog, int controlId);
bool IsControlEnabled(HWND dialog, int controlId);

// Clicks a button the way the mouse does (BM_CLICK), without waiting for the
// program to handle it.
void Click(HWND dialog, int controlId);

// Presses and releases a key (for example VK_ESCAPE or VK_RETURN) on the
// window that has the keyboard focus in the dialog's thread.
void PressKey(HWND dialog, UINT virtualKey);

// Presses Alt+F4 (or another key with Alt held) on the focused window.
void PressAltKey(HWND dialog, UINT virtualKey);

// Holds Shift down while it lives, in the keyboard state that the dialog's
// thread reads (posted keys leave that state alone): a Tab pressed meanwhile
// is Shift+Tab. Release it only once the keys have been handled.
class ShiftHeld {
public:
    explicit ShiftHeld(HWND dialog);
    ~ShiftHeld();
    ShiftHeld(const ShiftHeld&) = delete;
    ShiftHeld& operator=(const ShiftHeld&) = delete;

private:
    void Set(BYTE state);

    DWORD m_thread;
    bool m_attached;
};

// Returns once the thread of the control (a progress bar or a combo box
// with an item) has handled every message posted to it before the call, and
// what handling them posted in turn (`depth` deep): a key that had no visible
// effect was handled. The marker is the bar's step, which only PBM_STEPIT
// reads, or the first item's data, which nothing of the program reads.
// False on timeout or when the control is gone.
bool WaitForPostedMessages(HWND control, DWORD timeoutMs, int depth = 3);

// The id of the control that has the keyboard focus in the window's thread,
// 0 when none has.
int FocusedControl(HWND window);

// Asks a window to close, as its close box does.
void Close(HWND window);

// Clicks a top-level window's close box: the system command that it posts.
void ClickCloseBox(HWND window);

// A progress bar's position and range; a combo box's selection and item text.
int ProgressPosition(HWND dialog, int controlId);
int ProgressMaximum(HWND dialog, int controlId);
int ComboSelection(HWND dialog, int controlId);
int ComboCount(HWND dialog, int controlId);
std::wstring ComboItemText(HWND dialog, int controlId, int index);

// A control with that id anywhere below `window` (inside child dialogs too),
// or null.
HWND FindDescendant(HWND window, int controlId);

// A control's rectangle in screen coordinates.
RECT ControlRect(HWND dialog, int controlId);

// Selects an item of a combo box as the user's choice would (and tells the
// dialog that the selection changed).
void SelectComboItem(HWND dialog, int controlId, int index);

// The text of a message box (its static text control).
std::wstring MessageBoxText(HWND box);

// The window's extended style (WS_EX_LAYOUTRTL tells a mirrored layout).
LONG_PTR ExtendedStyle(HWND window);

// Waits until `condition` holds, polling every `pollMs` milliseconds; false
// on timeout.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs, DWORD pollMs = 20)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (::GetTickCount64() >= deadline)
            return false;
        ::Sleep(pollMs);
    }
}

}  // namespace winauto
