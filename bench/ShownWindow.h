// Another process's windows as the system keeps them: found by caption and
// read without sending them a message, so that a program whose
// user-interface thread is busy is seen as it is on screen, and the
// benchmark neither waits for that thread nor adds to its work.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

// The caption of a top-level window, or the text of a control, of another
// process (GetWindowTextW reads the text that the system keeps for it).
std::wstring KeptText(HWND window);

// The visible top-level window of process `processId` whose caption is
// exactly `caption`; null when there is none.
HWND FindShownWindow(const std::wstring& caption, DWORD processId);

// Polls every `pollMs` for that window; null after `timeoutMs`.
HWND WaitForShownWindow(const std::wstring& caption, DWORD processId, DWORD timeoutMs, DWORD pollMs);

}  // namespace bench
