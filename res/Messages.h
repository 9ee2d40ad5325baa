// The program's own window messages, in one list so that no two share a
// value. Every layer may include this header; it holds numbers only.
//
// A dialog that can receive one of them must answer it in its own procedure
// and never pass it on to the default dialog processing: the dialog manager
// gives WM_USER + 0 to + 2 meanings of its own (DM_GETDEFID, DM_SETDEFID,
// DM_REPOSITION), so a progress message passed on would make its percent the
// default button's id, and an error message would move the dialog.
#pragma once

#include <windows.h>

// Sent by a task's worker (wParam: the worker's thread id). Started
// (lParam 0) or progressed (lParam = percent, 0 to 100).
constexpr UINT UWM_TASK_PROGRESS = WM_USER + 1;
// Sent by a task's worker: failed; lParam is a heap std::wstring with the
// error text that the receiver takes over and deletes.
constexpr UINT UWM_TASK_ERROR = WM_USER + 2;
// Sent by a task's worker: finished successfully; lParam is 0.
constexpr UINT UWM_TASK_FINISHED = WM_USER + 3;
// Posted by a wizard page to itself once, after it was first shown; wParam
// is 1 when the page is visible.
constexpr UINT UWM_PAGE_FIRST_SHOWN = WM_USER + 4;
// Posted by a window to itself on UWM_TASK_FINISHED (same wParam), so that
// it goes on once the finished worker has left its send (see TaskSequence).
constexpr UINT UWM_TASK_ENDED = WM_USER + 5;
// Posted by the bootstrap dialog to itself from WM_INITDIALOG: the dialog is
// shown and painted first, then its hidden browser is attached.
constexpr UINT UWM_ATTACH_BROWSER = WM_USER + 6;
// Posted by the clean-up dialog to itself from WM_INITDIALOG: its tasks
// start from the modal loop, so that waiting for one never keeps the dialog
// from being shown or from handling input.
constexpr UINT UWM_START_CLEANUP = WM_USER + 7;

constexpr UINT kFirstProgramMessage = UWM_TASK_PROGRESS;
constexpr UINT kLastProgramMessage = UWM_START_CLEANUP;
